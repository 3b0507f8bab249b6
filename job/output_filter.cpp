#include "job/output_filter.h"

#include <cmath>

#include "job/output_files.h"
#include "output/particle_sample.h"
#include "job/selection_evaluator.h"

namespace vantrel {

namespace {

bool Emitted(double z, double pz) { return z > EmissionHeight && pz > 0; }

// Kinetic energy above the threshold (J), without dividing by the mass.
bool EnergyAbove(double px, double py, double pz, double mass, double threshold) {
    return px * px + py * py + pz * pz > 2 * mass * threshold;
}

}  // namespace

bool OutputFilter(SimulationState& s, std::int32_t index, std::int32_t runNumber, double x,
                  double y, double z, double px, double py, double pz, double time, double mass,
                  std::uint32_t& flags) {
    bool accept = false;
    bool goOn = true;
    switch (s.Run.OutputSelection) {
        case 0: accept = true; break;
        case 1:
            accept = index == 0;
            goOn = false;
            break;
        case 2: accept = EnergyAbove(px, py, pz, mass, JoulesPerEvFilter); break;
        case 3: accept = EnergyAbove(px, py, pz, mass, 1.60219e-18); break;
        case 4: accept = EnergyAbove(px, py, pz, mass, 1.60219e-17); break;
        case 5: accept = Emitted(z, pz); break;
        case 6:
            accept = index == 0 && Emitted(z, pz);
            goOn = false;
            break;
        case 7:
            // The height test comes first, so the angle divides only by a positive PZ.
            accept = Emitted(z, pz) && std::sqrt(px * px + py * py) / pz < TangentOfFiveDegrees;
            break;
        case 8: {
            const SelectionVariables v{x, y, z, px, py, pz, mass, time, index, runNumber};
            const SelectionOutcome outcome = EvaluateSelection(s, v);
            goOn = !outcome.Aborted && !outcome.ErrorReported;
            // A condition that hit an error has no trustworthy value: not written.
            accept = goOn && outcome.Write;
            break;
        }
        default: return false;
    }
    if (accept) {
        AppendSample(s, BuildSample(index, runNumber, x, y, z, px, py, pz, time, mass));
        flags |= Recorded;
    }
    return goOn;
}

void SampleParticles(SimulationState& s, double time, bool periodic) {
    ParticleTable& p = s.Particles;
    const bool skipRecorded = periodic && s.Run.SkipRecorded;
    const std::int32_t runNumber = s.RunNumber();
    for (std::int32_t i = 0; i <= p.AtomCount; ++i) {
        if (skipRecorded && (p.Flags[i] & Recorded) != 0) continue;
        const double m = p.Mass[i];
        if (!OutputFilter(s, i, runNumber, p.X[i], p.Y[i], p.Z[i], m * p.VX[i], m * p.VY[i],
                          m * p.VZ[i], time, m, p.Flags[i]))
            break;
    }
    FlushDynamicalFile(s);
}

}  // namespace vantrel
