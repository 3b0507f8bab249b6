// Partner-list rebuild, both searches, on fcc Cu(100) crystallites with a
// list radius of 8 A: 16 x 16 x 10 cells (10,240 atoms) and 50 x 50 x 20
// cells (200,000 atoms).  Reports the time per atom of one rebuild and the
// partners per atom.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>

#include "job/partner_lists.h"
#include "tools/crystal_builder.h"

namespace vantrel {
namespace {

constexpr double CutoffAngstrom = 7.0;
constexpr double ListRadiusAngstrom = 8.0;

struct Crystallite {
    SilentUserInterface ui{false};
    ProgramContext program{ui};
    SimulationState s{program};
    TrajectoryState t;
};

// A projectile 5 A above atom 1 and the crystal, each atom shaken by about
// 0.1 A as at room temperature; the cell edge grown as the target set-up
// grows it until the lattice zone fits the grid.
std::unique_ptr<Crystallite> MakeCrystallite(int cellsXY, int cellsZ, bool bruteForce) {
    CrystalSpec spec;
    spec.Cells = {cellsXY, cellsXY, cellsZ};
    std::vector<CrystalAtom> atoms;
    std::string error;
    if (!BuildCrystal(spec, atoms, error)) return nullptr;

    auto c = std::make_unique<Crystallite>();
    SimulationState& s = c->s;
    c->program.Options.NeighbourSearch = bruteForce;
    const auto n = static_cast<std::int32_t>(atoms.size());
    AllocateParticleTable(s, n);
    AllocateMassAndAtomicNumber(s);
    AllocatePartnerLists(s, MaxPartnersLimit);
    std::mt19937 gen(12345);
    std::normal_distribution<double> shake(0.0, 0.06);
    ParticleTable& p = s.Particles;
    p.X[0] = atoms[0].X * MetresPerAngstrom;
    p.Y[0] = atoms[0].Y * MetresPerAngstrom;
    p.Z[0] = 5.0 * MetresPerAngstrom;
    for (std::int32_t i = 1; i <= n; ++i) {
        p.X[i] = (atoms[i - 1].X + shake(gen)) * MetresPerAngstrom;
        p.Y[i] = (atoms[i - 1].Y + shake(gen)) * MetresPerAngstrom;
        p.Z[i] = (atoms[i - 1].Z + shake(gen)) * MetresPerAngstrom;
    }
    double lateral = 0, zMin = 0, zMax = 0;
    for (std::int32_t i = 0; i <= n; ++i) {
        lateral = std::max({lateral, std::fabs(p.X[i]), std::fabs(p.Y[i])});
        zMin = std::min(zMin, p.Z[i]);
        zMax = std::max(zMax, p.Z[i]);
    }
    const double rc = CutoffAngstrom * MetresPerAngstrom;
    s.CellEdge = 4.0e-10;
    while (lateral + rc > 12 * s.CellEdge || zMax + rc > 4 * s.CellEdge ||
           zMin - rc < -12 * s.CellEdge)
        s.CellEdge *= 1.1;
    s.ListRadius = ListRadiusAngstrom * MetresPerAngstrom;
    s.ListRadiusSq = s.ListRadius * s.ListRadius;
    return c;
}

void Rebuild(benchmark::State& state, int cellsXY, int cellsZ, bool bruteForce) {
    auto c = MakeCrystallite(cellsXY, cellsZ, bruteForce);
    if (!c) {
        state.SkipWithError("crystal could not be built");
        return;
    }
    // The lists of a running job are rebuilt into arrays that earlier
    // rebuilds have sized.
    RebuildPartnerLists(c->s, c->t);
    for (auto _ : state) {
        if (!RebuildPartnerLists(c->s, c->t)) {
            state.SkipWithError("rebuild failed");
            return;
        }
        benchmark::DoNotOptimize(c->s.Partners.Index.data());
    }
    const double atoms = c->s.Particles.AtomCount + 1;
    // Seconds per atom and rebuild, printed with an SI prefix (1.04us).
    state.counters["time_per_atom"] = benchmark::Counter(
        atoms, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["partners_per_atom"] =
        static_cast<double>(c->s.Partners.Index.size()) / atoms;
    state.counters["list_MB"] =
        (c->s.Partners.Index.capacity() * 4.0 + c->s.Partners.Start.capacity() * 4.0) / 1048576;
}

void CellIndex10240(benchmark::State& state) { Rebuild(state, 16, 10, false); }
void BruteForce10240(benchmark::State& state) { Rebuild(state, 16, 10, true); }
void CellIndex200000(benchmark::State& state) { Rebuild(state, 50, 20, false); }
void BruteForce200000(benchmark::State& state) { Rebuild(state, 50, 20, true); }

BENCHMARK(CellIndex10240)->Unit(benchmark::kMillisecond);
BENCHMARK(BruteForce10240)->Unit(benchmark::kMillisecond);
BENCHMARK(CellIndex200000)->Unit(benchmark::kMillisecond);
BENCHMARK(BruteForce200000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace vantrel

