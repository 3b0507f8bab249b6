// Drives the atom count and the target set-up with arbitrary target files,
// two runs each, with a fixed copper model: nothing may crash, hang or read
// out of bounds, and a successful set-up leaves every particle at a finite
// position strictly inside the lattice zone, with the cell grid around it.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <numbers>

#include "job/state.h"
#include "fuzz/fuzz_support.h"
#include "io/example_models.h"
#include "job/target_file.h"

namespace {

const std::string& ModelPath() {
    static const std::string path = [] {
        const std::string text = vantrel::ModelFileText(vantrel::ExampleModels().front().Description);
        return vantrel::fuzz::WriteScratchFile(reinterpret_cast<const std::uint8_t*>(text.data()),
                                               text.size(), ".mdl");
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantrel;
    if (size < 1 || size > fuzz::MaxInputBytes) return 0;
    const std::uint8_t choice = data[0];
    const std::string target = fuzz::WriteScratchFile(data + 1, size - 1, ".trg");

    SilentUserInterface ui;
    ProgramContext program(ui);
    program.RandomSeed = 1;
    program.Options.NeighbourSearch = (choice & 1) != 0;
    program.Options.NoYVibration = (choice & 2) != 0;
    program.Options.ElementalTarget = (choice & 4) != 0;
    SimulationState s(program);
    s.Inputs.Target = target;
    s.Inputs.Model = ModelPath();
    s.Projectile.AtomicNumber = 18;
    s.Projectile.ProjectileMass = 39.948;
    s.Run.Altitude = (choice & 8) ? 30.0 * std::numbers::pi / 180 : std::numbers::pi / 2;
    s.Run.Azimuth = 0.5;
    s.Impact = {1.0, -1.0, 10.0};

    const std::int32_t n = CountTargetAtoms(s, target);
    if (n < 0 || n > MaxAtomCount) std::abort();
    if (n > 0) {
        AllocateParticleTable(s, n);
        AllocateMassAndAtomicNumber(s);
        for (int run = 1; run <= 2; ++run) {
            s.RunCounter = run;
            if (!SetUpTarget(s)) break;
            const ParticleTable& p = s.Particles;
            for (std::int32_t i = 0; i <= n; ++i) {
                if (!std::isfinite(p.X[i]) || !std::isfinite(p.Y[i]) || !std::isfinite(p.Z[i]))
                    std::abort();
                if (!InsideZone(s.Zone, p.X[i], p.Y[i], p.Z[i])) std::abort();
            }
            if (!program.Options.NeighbourSearch &&
                !(s.Zone.XMax <= s.GridHalfWidth && s.Zone.ZMax <= s.GridTop * 1.0000001))
                std::abort();
        }
        ReleaseJobArrays(s);
    }
    std::remove(target.c_str());
    return 0;
}
