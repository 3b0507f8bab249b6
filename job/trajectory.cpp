#include "job/trajectory.h"

#include <cfenv>
#include <cmath>

#include "core/barriers.h"
#include "core/number_text.h"
#include "core/verlet.h"
#include "job/energy_report.h"
#include "job/forces.h"
#include "job/inelastic.h"
#include "job/log.h"
#include "job/partner_lists.h"
#include "job/run_figures.h"
#include "job/run_results.h"
#include "job/verlet.h"
#include "output/event_line.h"
#include "job/output_files.h"

namespace vantrel {

namespace {

constexpr int ArithmeticFaults = FE_INVALID | FE_OVERFLOW | FE_DIVBYZERO;

double KineticEnergy(const ParticleTable& p, std::int32_t i) {
    return 0.5 * p.Mass[i] * (p.VX[i] * p.VX[i] + p.VY[i] * p.VY[i] + p.VZ[i] * p.VZ[i]);
}

// The first-run warnings: a termination energy too high for a head-on
// collision with atom 1, and a timestep that moves the projectile too far.
// A later run has neither, so a relay hears of them as first-run lines.
void FirstRunWarnings(SimulationState& s, const TrajectoryState& t, double v0) {
    if (s.Relay) s.Relay->FirstRunLinesBegin();
    const ParticleTable& p = s.Particles;
    const double m0 = p.Mass[0];
    const double m1 = p.AtomCount >= 1 ? p.Mass[1] : 0.0;
    const double massSum = m0 + m1;
    const double w = massSum > 0 ? m0 * m0 * m1 * v0 * v0 / (massSum * massSum) : 0.0;
    if (w < s.Model.TerminationEnergy)
        s.Ui().WarningBox(
            "Simulation may terminate prematurely:\r"
            "termination energy is too high to ensure proper\r"
            "handling of direct impact collisions (see Help).");
    if (t.StepLength > LargeStepLength)
        LogLine(s.Ui(),
                "  Warning: large timestep (gives dr = " +
                    FormatReal8(t.StepLength * AngstromPerMetre) + " A)",
                ColourRed);
    if (s.Relay) s.Relay->FirstRunLinesEnd({});
}

void EndOfRunReport(SimulationState& s, TrajectoryState& t) {
    UserInterface& ui = s.Ui();
    const SimulationOptions& o = s.Options();
    const ParticleTable& p = s.Particles;

    s.Program.Plot.Time = static_cast<float>(t.Time);
    ui.PlotUpdate(s.Program.Plot);
    ui.ProcessPendingEvents();

    if (o.Verbose) {
        ui.Beep();
        LogLine(ui, "                 * TERMINATED *", ColourBlue);
        ReportMaxPartners(s);
        const double ke0 = KineticEnergy(p, 0) * EvPerJoule;
        const double v0 = std::sqrt(p.VX[0] * p.VX[0] + p.VY[0] * p.VY[0] + p.VZ[0] * p.VZ[0]);
        const bool inside = InsideZone(t.Zone, p.X[0], p.Y[0], p.Z[0]) && v0 >= t.FastestSpeed;
        LogLine(ui,
                std::string(inside ? "  Projectile energy (inside lattice zone) fell to "
                                   : "  Projectile energy (outside lattice zone) fell to ") +
                    FormatReal8(ke0) + " eV",
                ColourBlue);
        const double keFastest =
            0.5 * p.Mass[t.FastestIndex] * t.FastestSpeed * t.FastestSpeed * EvPerJoule;
        LogLine(ui,
                "  At last check, KE of fastest particle inside lattice zone was " +
                    FormatReal8(keFastest) + " eV (for particle #" +
                    IntegerText(t.FastestIndex) + ")",
                ColourBlue);
        LogLine(ui, "  No. of timesteps executed = " + IntegerText(t.StepCount), ColourBlack);
        LogLine(ui,
                "  Timestep at termination = " +
                    FormatReal8(t.Timestep * FemtosecondsPerSecond) + " fs",
                ColourBlack);
    }
    LogLine(ui,
            "  Time elapsed = " + FormatRealDecimals(2, t.Time * FemtosecondsPerSecond) + " fs.",
            ColourBlue);

    double energyError = NotApplicable;
    if (o.ReportEnergy) {
        const double finalEnergy = EnergyReport(s);
        const double k = EvPerJoule;
        const double losses = s.LssLoss + s.OrLoss + s.StLoss;
        const double dE = finalEnergy + k * t.SurfaceEnergySum + k * t.SideEnergySum -
                          k * losses - t.InitialTotalEnergy;
        const double scale = std::fabs(s.ReportedPotential) + s.ReportedKinetic;
        // An empty system has no energy scale; report no relative error.
        const double error = scale > 0 ? 100.0 * dE / scale : 0.0;
        energyError = error;
        ReportEnergyError(s, dE, error);
    }
    if (o.ReportLatticeEnergy) {
        CohesiveEnergyReport(s);
        LatticeEnergyReport(s);
    }
    if (o.StoreInelastic && o.UseLSS && EventsFileOpen(s)) WriteLssTotals(s, t.Timestep);
    if (o.ReportInelastic) ReportLosses(s);
    RecordRunResults(s, t, energyError);
    LogLine(ui, " ", ColourBlack);
    if (SamplesAtTermination(s.Run.SampleMode)) SampleParticles(s, t.Time, false);
}

}  // namespace

void StartTrajectory(SimulationState& s, TrajectoryState& t) {
    const ParticleTable& p = s.Particles;
    t = TrajectoryState{};
    t.ContinueJob = true;
    t.Zone = s.Zone;
    s.LssLoss = s.OrLoss = s.StLoss = 0;
    s.LssChannel.fill(0.0);
    EmptyInelasticPartnerLists(s);  // the lists exist only for the models in use
    s.Program.AbortNow = false;
    t.StepsSinceRebuild = s.Run.PartnerUpdateInterval;
    t.Timestep = s.Run.InitialTimestep;
    const double v0 = std::sqrt(p.VX[0] * p.VX[0] + p.VY[0] * p.VY[0] + p.VZ[0] * p.VZ[0]);
    t.FastestSpeed = t.WatchedSpeed = v0;
    t.StepLength = v0 * t.Timestep;
    SetInitialListRadius(s, v0, t.Timestep);
}

bool RunTrajectory(SimulationState& s) {
    UserInterface& ui = s.Ui();
    const SimulationOptions& o = s.Options();
    TrajectoryState t;

    if (o.Verbose) LogLine(ui, "                  * INITIALISED *  ", ColourBlue);
    StartTrajectory(s, t);
    if (s.RunCounter == 1) FirstRunWarnings(s, t, t.FastestSpeed);
    if (s.Run.SamplePeriod == 0)
        s.Run.SamplePeriod = SamplePeriodForZero;
    else if (o.StoreInitial)
        WriteInitialConditions(s);

    StepTimers* timers = s.Program.Timers;
    const auto loopStart = TimerStart(timers);
    const std::int32_t k = s.Run.PartnerUpdateInterval;
    const TerminationLimits limits{s.Run.MinTime, s.Run.MaxTime, s.Model.TerminationEnergy};
    for (;;) {
        if (t.StepsSinceRebuild == k) {
            const auto rebuildStart = TimerStart(timers);
            UpdateListRadius(s, t);
            RebuildPartnerLists(s, t);
            if (o.UseOR) UpdateOrPartners(s, t);
            if (o.UseST) UpdateStPartners(s, t);
            if (timers) {
                TimerAdd(timers, &StepTimers::RebuildSeconds, rebuildStart);
                timers->Rebuilds += 1;
            }
            t.StepsSinceRebuild = 1;
            if (s.Program.AbortNow) break;
        } else {
            t.StepsSinceRebuild += 1;
        }
        // Faults raised from here on, outside the guarded engine passes, end the job.
        std::feclearexcept(FE_ALL_EXCEPT);

        if (t.StepCount == 0) {
            if (o.Algorithm != AlgorithmHgeB) EvaluateInitialForces(s);
            t.InitialTotalEnergy = EnergyReport(s);
            if (o.ReportLatticeEnergy) {
                CohesiveEnergyReport(s);
                LatticeEnergyReport(s);
            }
        }
        s.CoolingActive = o.UseCooling && s.Inelastic.CoolingStart <= t.Time &&
                          t.Time < s.Inelastic.CoolingEnd;
        if (o.Algorithm == AlgorithmVerlet) VerletStep(s, t);
        t.Time += t.Timestep;
        t.StepCount += 1;

        if (SamplesPeriodically(s.Run.SampleMode) && t.StepCount % s.Run.SamplePeriod == 0)
            SampleParticles(s, t.Time, true);

        if (!o.FixedTimestep &&
            (o.Algorithm == AlgorithmTwoStepA || t.StepCount % TimestepCheckPeriod == 0))
            AdjustTimestep(s.Particles, s.Partners, s.Model.ProjectileOnlyTest, t);

        // The surface barrier's plane lies StartHeight below the top of the zone.
        if (s.Model.SurfaceBarrier != 0)
            ApplySurfaceBarrier(s.Particles, s.Model.SurfaceBarrier,
                                t.Zone.ZMax - s.Impact.StartHeight * MetresPerAngstrom,
                                t.SurfaceEnergySum);
        if (s.Model.SideBarrier != 0)
            ApplySideBarriers(s.Particles, s.Model.SideBarrier, t.Zone, t.SideEnergySum);

        if (std::fetestexcept(ArithmeticFaults)) {
            std::feclearexcept(FE_ALL_EXCEPT);
            LogLine(ui,
                    "  Math error in trajectory routine at step " + IntegerText(t.StepCount) +
                        ": job ended.",
                    ColourRed);
            t.ContinueJob = false;
            break;
        }
        if (TrajectoryEnds(t, limits, s.Particles.Mass[t.WatchedIndex], s.Program.AbortNow)) break;
    }
    TimerAdd(timers, &StepTimers::LoopSeconds, loopStart);

    EndOfRunReport(s, t);
    return t.ContinueJob;
}

void PassOverTrajectory(SimulationState& s) {
    if (s.Run.SamplePeriod == 0) s.Run.SamplePeriod = SamplePeriodForZero;
}

}  // namespace vantrel
