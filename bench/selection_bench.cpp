// Cost per particle of a sampling pass with the user-programmed selection,
// beside a fixed filter and beside scanning and parsing afresh for every
// particle.
#include <benchmark/benchmark.h>

#include <cmath>

#include "job/program.h"
#include "job/state.h"
#include "job/output_files.h"
#include "output/selection_evaluator.h"

namespace {

using namespace vantrel;

constexpr std::int32_t Atoms = 20000;
// A typical condition: sputtered atoms above 10 eV.
constexpr const char* TypicalCondition = "[KE > 10.0*EP] & [RZ > 5.0E-11] & [PZ > 0.0]";

// A cascade-like table: most atoms at rest in the crystal, a few fast ones above it.
void FillJob(SimulationState& s) {
    AllocateParticleTable(s, Atoms);
    AllocateMassAndAtomicNumber(s);
    ParticleTable& p = s.Particles;
    for (std::int32_t i = 0; i <= Atoms; ++i) {
        p.X[i] = 1e-10 * std::sin(i * 0.37);
        p.Y[i] = 1e-10 * std::cos(i * 0.11);
        p.Z[i] = i % 97 == 0 ? 2e-10 : -1e-10 * (i % 40);
        p.VX[i] = 300.0 * std::sin(i * 1.3);
        p.VY[i] = 300.0 * std::cos(i * 0.7);
        p.VZ[i] = i % 97 == 0 ? 9000.0 : 200.0 * std::sin(i * 0.9);
        p.Mass[i] = 1.0552e-25;
    }
    s.RunCounter = 1;
    s.Outputs.DynamicalVariables = "/dev/null";
    CreateDynamicalFile(s);
}

void Sampling(benchmark::State& state, std::int32_t mode) {
    SilentUserInterface ui;
    ProgramContext program(ui);
    SimulationState s(program);
    FillJob(s);
    s.Run.OutputSelection = mode;
    s.Output.Selection.Text = TypicalCondition;
    for (auto _ : state) SampleParticles(s, 1e-13, false);
    state.SetItemsProcessed(state.iterations() * (Atoms + 1));
    CloseDynamicalFile(s);
}

void UserConditionPass(benchmark::State& state) { Sampling(state, 8); }
void FixedEmissionFilterPass(benchmark::State& state) { Sampling(state, 5); }

// What every particle would cost if the text were scanned and parsed each time.
class NoWindows final : public ExpressionErrorSink {
public:
    void ExpressionError(std::string_view) override {}
};

void ParseEveryParticle(benchmark::State& state) {
    NoWindows windows;
    CompiledSelection selection{TypicalCondition, nullptr};
    SelectionVariables v{1e-10, 2e-10, 3e-10, 1e-22, 2e-22, 3e-22, 1.0552e-25, 1e-13, 7, 1};
    for (auto _ : state) {
        selection.Parsed.reset();
        benchmark::DoNotOptimize(EvaluateSelection(selection, v, windows));
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(UserConditionPass)->Unit(benchmark::kMicrosecond);
BENCHMARK(FixedEmissionFilterPass)->Unit(benchmark::kMicrosecond);
BENCHMARK(ParseEveryParticle)->Unit(benchmark::kNanosecond);

}  // namespace
