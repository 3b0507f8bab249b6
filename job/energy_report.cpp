#include "job/energy_report.h"

#include <string>

#include "core/energy_sums.h"
#include "core/number_text.h"
#include "job/log.h"
#include "job/state_views.h"

namespace vantrel {

namespace {

// Report factors: momenta in 1e-21 kg m/s, angular momenta in 1e-31 J s,
// velocities in Mm/s.
constexpr double MomentumScale = 1.0e21;
constexpr double AngularMomentumScale = 1.0e31;
constexpr double MegametresPerMetre = 1.0e-6;

std::string Angstrom3(double x, double y, double z) {
    return FormatReal8(x * AngstromPerMetre) + " " + FormatReal8(y * AngstromPerMetre) + " " +
           FormatReal8(z * AngstromPerMetre);
}

std::string Megametres3(double x, double y, double z) {
    return FormatReal8(x * MegametresPerMetre) + " " + FormatReal8(y * MegametresPerMetre) + " " +
           FormatReal8(z * MegametresPerMetre);
}

}  // namespace

double EnergyReport(SimulationState& s) {
    ProgramContext& program = s.Program;
    const SimulationOptions& options = program.Options;
    if (!options.ReportEnergy) return 0.0;
    UserInterface& ui = s.Ui();
    const bool verbose = options.Verbose;

    if (verbose && program.FinalReportToggle) LogLine(ui, FinalConfigurationText, ColourBlue);

    const ParticleTable& p = s.Particles;
    const std::int32_t n = p.AtomCount;
    const MotionSums motion = MotionSumsOf(p);

    program.FinalReportToggle = !program.FinalReportToggle;
    const double potential =
        PotentialEnergy(EnergyViewOf(s), EnergyTermsOf(s), s.EnergyWork, s.Workers.get());
    const double ke = motion.Kinetic;
    if (!program.FinalReportToggle) {
        s.ReportedKinetic = ke * EvPerJoule;
        s.ReportedPotential = potential * EvPerJoule;
    }
    const double total = (ke + potential) * EvPerJoule;
    const double potentialEv = potential * EvPerJoule;

    if (verbose) {
        LogLine(ui, "  Total System Energy: " + FormatReal8(total) + " eV", ColourBlue);
        LogLine(ui, "  Potential: " + FormatReal8(potentialEv) + " eV; Kinetic : " +
                        FormatReal8(total - potentialEv) + " eV",
                ColourBlue);
        LogLine(ui, "  Px:" + FormatReal8(motion.Px * MomentumScale) +
                        " Py:" + FormatReal8(motion.Py * MomentumScale) +
                        " Pz:" + FormatReal8(motion.Pz * MomentumScale) +
                        " (*1.0E+21 kg m/s)",
                ColourDarkGreen);
        LogLine(ui, "  Lx:" + FormatReal8(motion.Lx * AngularMomentumScale) +
                        " Ly:" + FormatReal8(motion.Ly * AngularMomentumScale) +
                        " Lz:" + FormatReal8(motion.Lz * AngularMomentumScale) +
                        " (*1.0E+31 Js)",
                ColourDarkGreen);
        LogLine(ui, "  Projectile (x,y,z) coordinates (A): " + Angstrom3(p.X[0], p.Y[0], p.Z[0]),
                ColourBlack);
        LogLine(ui, "  Projectile (x,y,z) velocities (Mm/s): " + Megametres3(p.VX[0], p.VY[0], p.VZ[0]),
                ColourBlack);
        if (n >= 1) {
            LogLine(ui, "  Particle 1 (x,y,z) coordinates (A): " + Angstrom3(p.X[1], p.Y[1], p.Z[1]),
                    ColourGrey);
            LogLine(ui, "  Particle 1 (x,y,z) velocities (Mm/s): " + Megametres3(p.VX[1], p.VY[1], p.VZ[1]),
                    ColourGrey);
        }
        const LatticeZone& zone = s.Zone;
        LogLine(ui, "  Lattice zone lower coordinates (A): " + Angstrom3(zone.XMin, zone.YMin, zone.ZMin),
                ColourBlack);
        LogLine(ui, "  Lattice zone upper coordinates (A): " + Angstrom3(zone.XMax, zone.YMax, zone.ZMax),
                ColourBlack);
    }
    return total;
}

void CohesiveEnergyReport(SimulationState& s) {
    const std::int32_t i0 = s.Program.Options.LatticeSiteIndex;
    // A negative index names no particle either.
    if (i0 < 0 || s.Particles.AtomCount < i0) {
        LogLine(s.Ui(), CohesiveWarningText, ColourRed);
        return;
    }
    const double ec = CohesiveEnergy(EnergyViewOf(s), i0) * EvPerJoule;
    LogLine(s.Ui(), "  Ec for atom #" + IntegerText(i0) + ": " + FormatReal8(ec) + " eV", ColourBlue);
}

void LatticeEnergyReport(SimulationState& s) {
    const double energy = LatticeEnergy(EnergyViewOf(s), s.EnergyWork, s.Workers.get()) * EvPerJoule;
    LogLine(s.Ui(), "  Lattice energy: " + FormatRealDecimals(4, energy) + " eV (excludes projectile)",
            ColourBlue);
}

}  // namespace vantrel
