// Drives the model reader with arbitrary model files: nothing may crash,
// hang or read out of bounds.  An accepted model keeps its radii inside the
// tables (1 A <= r_lo <= r_hi < r_c <= 20 A), and the look-ups then give
// finite forces and densities at every distance a force loop may ask about.
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "job/state_views.h"
#include "fuzz/fuzz_support.h"
#include "job/model_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantrel;
    if (size > fuzz::MaxInputBytes) return 0;
    const std::string path = fuzz::WriteScratchFile(data, size, ".mdl");

    SilentUserInterface ui;
    ProgramContext program(ui);
    SimulationState s(program);
    AllocateParticleTable(s, 2);
    AllocateMassAndAtomicNumber(s);
    s.RunCounter = 1;
    ParticleTable& p = s.Particles;
    p.AtomicNumber = {18, 29, 47};
    p.Flags = {0u, 0u, TypeB};
    p.Mass[1] = 63.546;
    s.BinaryTarget = true;

    if (ReadModelFile(s, path)) {
        const ModelParameters& m = s.Model;
        if (!(m.SplineLowRadius >= 1e-10 && m.SplineLowRadius <= m.SplineHighRadius &&
              m.SplineHighRadius < m.CutoffRadius && m.CutoffRadius <= 2e-9))
            std::abort();
        if (s.Tables.PairForce[AA].size() != static_cast<std::size_t>(TableEntries + 1)) std::abort();
        // Elemental pairs: the AA tables have been checked.
        s.BinaryTarget = false;
        p.EmbeddingFactor = {0.0, 1e18, 2e18};
        const PotentialView v = MakePotentialView(s);
        const double span = m.CutoffRadius - m.SplineLowRadius;
        for (int k = 0; k <= 16; ++k) {
            const double r = m.SplineLowRadius + span * k / 16.0;
            const ForceVector f = PairForce(v, 1, 2, r, r, 0, 0);
            if (!std::isfinite(f.X)) std::abort();
            if (r > m.SplineHighRadius && !std::isfinite(DensityContribution(v, 1, 2, r)))
                std::abort();
            if (!std::isfinite(PairForce(v, 0, 1, r, 0, r, 0).Y)) std::abort();
        }
        if (!std::isfinite(PairForce(v, 1, 2, 0.5e-10, 0.5e-10, 0, 0).X)) std::abort();
        if (PairForce(v, 1, 2, std::nextafter(m.CutoffRadius, 1.0), 1, 0, 0).X != 0.0) std::abort();
    }
    std::remove(path.c_str());
    return 0;
}
