// The force phase, the whole Verlet step and the energy report on Sutton-
// Chen Cu(100) crystallites at 300 K: 16 x 16 x 10 fcc cells (10,240
// atoms) and 50 x 50 x 20 cells (200,000 atoms), r_c 7 A (switched from
// 6.85 A), a slow Ar projectile (50 eV) far above the surface, fixed 1 fs
// timestep, cell-index lists rebuilt every 10 steps, so that the list radius
// settles near 8 A.
//
// Reported per benchmark: time per listed pair (force phase), time per
// atom and step (whole steps, rebuilds included), partners per atom.  The
// energy report's time_per_atom_step is its time per atom.  The argument
// of each benchmark is the thread count (wall-clock time throughout).
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <random>

#include "core/forces.h"
#include "job/energy_report.h"
#include "job/forces.h"
#include "job/partner_lists.h"
#include "core/screening.h"
#include "job/verlet.h"
#include "io/example_models.h"
#include "core/potential_tables.h"
#include "core/potential_forms.h"
#include "tools/crystal_builder.h"

namespace vantrel {
namespace {

constexpr double CutoffAngstrom = 7.0;
constexpr double SwitchAngstrom = 6.85;
constexpr double Temperature = 300.0;  // K
constexpr int RebuildInterval = 10;

struct Crystallite {
    SilentUserInterface ui{false};
    ProgramContext program{ui};
    SimulationState s{program};
    TrajectoryState t;
};

ModelFileDescription BenchModel() {
    ModelFileDescription d;
    for (const ExampleModel& e : ExampleModels())
        if (e.FileName == "cu_sutton_chen.mdl") d = e.Description;
    d.CutoffRadius = CutoffAngstrom;
    d.SwitchRadius = SwitchAngstrom;
    return d;
}

// Atoms shaken by their thermal amplitude (about 0.08 A per axis), Maxwell-
// Boltzmann velocities, the projectile 20 A above atom 1 moving down.
std::unique_ptr<Crystallite> MakeCrystallite(int cellsXY, int cellsZ, int threads) {
    CrystalSpec spec;
    spec.Cells = {cellsXY, cellsXY, cellsZ};
    std::vector<CrystalAtom> atoms;
    std::string error;
    if (!BuildCrystal(spec, atoms, error)) return nullptr;

    auto c = std::make_unique<Crystallite>();
    SimulationState& s = c->s;
    SimulationOptions& options = c->program.Options;
    options.NeighbourSearch = false;
    options.HotTarget = true;
    options.FixedTimestep = true;
    options.Verbose = false;

    const auto n = static_cast<std::int32_t>(atoms.size());
    if (threads > 1) s.Workers = std::make_unique<WorkerPool>(threads);
    AllocateParticleTable(s, n);
    AllocateMassAndAtomicNumber(s);
    s.Run.PartnerUpdateInterval = RebuildInterval;
    s.Run.InitialTimestep = 1e-15;
    s.Run.Altitude = std::numbers::pi / 2;
    AllocatePartnerLists(s, MaxPartnersLimit);

    ModelParameters& m = s.Model;
    m = ModelParametersOf(BenchModel());
    m.TargetTemperature = Temperature;
    for (int t = AA; t <= AB; ++t) {
        ScreeningLength(0, 18, 29, 1.0, m.ProjectileScreeningLength[t]);
        ScreeningLength(0, 29, 29, 1.0, m.TargetScreeningLength[t]);
        m.ProjectileScreening[t] = MakeScreeningRecord(m.ProjectileScreeningLength[t]);
        m.TargetScreening[t] = MakeScreeningRecord(m.TargetScreeningLength[t]);
    }
    BuildPotentialTables(m, s.Tables);

    ParticleTable& p = s.Particles;
    std::mt19937 gen(12345);
    std::normal_distribution<double> shake(0.0, 0.08);
    p.Mass[0] = 39.948 * KilogramsPerAmu;
    p.AtomicNumber[0] = 18;
    p.X[0] = atoms[0].X * MetresPerAngstrom;
    p.Y[0] = atoms[0].Y * MetresPerAngstrom;
    p.Z[0] = 20.0 * MetresPerAngstrom;
    for (std::int32_t i = 1; i <= n; ++i) {
        p.X[i] = (atoms[i - 1].X + shake(gen)) * MetresPerAngstrom;
        p.Y[i] = (atoms[i - 1].Y + shake(gen)) * MetresPerAngstrom;
        p.Z[i] = (atoms[i - 1].Z + shake(gen)) * MetresPerAngstrom;
        p.Mass[i] = atoms[i - 1].Mass * KilogramsPerAmu;
        p.AtomicNumber[i] = atoms[i - 1].AtomicNumber;
    }
    // The cell edge grown until the lattice zone fits the grid.
    double lateral = 0, zMin = 0, zMax = 0;
    for (std::int32_t i = 0; i <= n; ++i) {
        lateral = std::max({lateral, std::fabs(p.X[i]), std::fabs(p.Y[i])});
        zMin = std::min(zMin, p.Z[i]);
        zMax = std::max(zMax, p.Z[i]);
    }
    const double rc = m.CutoffRadius;
    s.CellEdge = 4.0e-10;
    while (lateral + rc > 12 * s.CellEdge || zMax + rc > 4 * s.CellEdge ||
           zMin - rc < -12 * s.CellEdge)
        s.CellEdge *= 1.1;

    s.Program.Random.Seed(4711);
    InitialiseVelocities(s, 0.050);
    TrajectoryState& t = c->t;
    t.Timestep = s.Run.InitialTimestep;
    const double v0 = std::sqrt(p.VX[0] * p.VX[0] + p.VY[0] * p.VY[0] + p.VZ[0] * p.VZ[0]);
    t.FastestSpeed = t.WatchedSpeed = v0;
    t.StepLength = v0 * t.Timestep;
    t.StepsSinceRebuild = RebuildInterval;
    SetInitialListRadius(s, v0, t.Timestep);
    // Let the list radius settle as it does in a run.
    for (int k = 0; k < 20; ++k) UpdateListRadius(s, t);
    if (!RebuildPartnerLists(s, t)) return nullptr;
    EvaluateInitialForces(s);
    return c;
}

void SetCounters(benchmark::State& state, const Crystallite& c, double atomSteps) {
    const double atoms = c.s.Particles.AtomCount + 1;
    state.counters["atoms"] = atoms;
    state.counters["partners_per_atom"] = static_cast<double>(c.s.Partners.Index.size()) / atoms;
    state.counters["list_radius_A"] = c.s.ListRadius * AngstromPerMetre;
    // Seconds per atom and step, printed with an SI prefix (1.02us).
    state.counters["time_per_atom_step"] = benchmark::Counter(
        atomSteps, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The force phase alone (both passes, the embedding transform), at fixed
// positions.
void ForcePhase(benchmark::State& state, int cellsXY, int cellsZ) {
    auto c = MakeCrystallite(cellsXY, cellsZ, static_cast<int>(state.range(0)));
    if (!c) {
        state.SkipWithError("crystal could not be set up");
        return;
    }
    for (auto _ : state) {
        ClearForcesAndDensity(c->s.Particles);
        EvaluateStepForces(c->s);
        benchmark::DoNotOptimize(c->s.Particles.FX.data());
    }
    const double pairs = static_cast<double>(c->s.Partners.Index.size());
    state.counters["time_per_pair"] = benchmark::Counter(
        pairs, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    SetCounters(state, *c, c->s.Particles.AtomCount + 1.0);
}

// Whole steps as the trajectory driver makes them: a rebuild every tenth
// step, a Verlet step every step.
void VerletSteps(benchmark::State& state, int cellsXY, int cellsZ) {
    auto c = MakeCrystallite(cellsXY, cellsZ, static_cast<int>(state.range(0)));
    if (!c) {
        state.SkipWithError("crystal could not be set up");
        return;
    }
    SimulationState& s = c->s;
    TrajectoryState& t = c->t;
    t.StepsSinceRebuild = 1;
    for (auto _ : state) {
        for (int step = 0; step < RebuildInterval; ++step) {
            if (t.StepsSinceRebuild == RebuildInterval) {
                UpdateListRadius(s, t);
                if (!RebuildPartnerLists(s, t)) {
                    state.SkipWithError("rebuild failed");
                    return;
                }
                t.StepsSinceRebuild = 1;
            } else {
                ++t.StepsSinceRebuild;
            }
            VerletStep(s, t);
            t.Time += t.Timestep;
            ++t.StepCount;
        }
    }
    SetCounters(state, *c, (s.Particles.AtomCount + 1.0) * RebuildInterval);
}

void EnergyReportOnly(benchmark::State& state, int cellsXY, int cellsZ) {
    auto c = MakeCrystallite(cellsXY, cellsZ, static_cast<int>(state.range(0)));
    if (!c) {
        state.SkipWithError("crystal could not be set up");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(EnergyReport(c->s));
    SetCounters(state, *c, c->s.Particles.AtomCount + 1.0);
}

void ForcePhase10240(benchmark::State& state) { ForcePhase(state, 16, 10); }
void VerletStep10240(benchmark::State& state) { VerletSteps(state, 16, 10); }
void ForcePhase200000(benchmark::State& state) { ForcePhase(state, 50, 20); }
void VerletStep200000(benchmark::State& state) { VerletSteps(state, 50, 20); }
void EnergyReport10240(benchmark::State& state) { EnergyReportOnly(state, 16, 10); }
void EnergyReport200000(benchmark::State& state) { EnergyReportOnly(state, 50, 20); }

BENCHMARK(ForcePhase10240)->Unit(benchmark::kMillisecond)->Arg(1)->Arg(2)->UseRealTime();
BENCHMARK(VerletStep10240)->Unit(benchmark::kMillisecond)->Arg(1)->Arg(2)->UseRealTime();
BENCHMARK(ForcePhase200000)->Unit(benchmark::kMillisecond)->Arg(1)->Arg(2)->UseRealTime();
BENCHMARK(VerletStep200000)->Unit(benchmark::kMillisecond)->Arg(1)->Arg(2)->UseRealTime();
BENCHMARK(EnergyReport10240)->Unit(benchmark::kMillisecond)->Arg(1)->Arg(2)->UseRealTime();
BENCHMARK(EnergyReport200000)
    ->Unit(benchmark::kMillisecond)
    ->Arg(1)
    ->Arg(2)
    ->UseRealTime()
    ->Iterations(2);

}  // namespace
}  // namespace vantrel
