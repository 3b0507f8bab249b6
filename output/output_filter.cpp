#include "output/output_filter.h"

#include <cmath>

#include "core/units.h"

namespace vantrel {

namespace {

bool Emitted(double z, double pz) { return z > EmissionHeight && pz > 0; }

// Kinetic energy above the threshold (J), without dividing by the mass.
bool EnergyAbove(double px, double py, double pz, double mass, double threshold) {
    return px * px + py * py + pz * pz > 2 * mass * threshold;
}

}  // namespace

FilterOutcome OutputFilter(SelectionFilter& filter, SampleWriter& writer,
                           const SelectionVariables& v, std::uint32_t& flags) {
    FilterOutcome outcome;
    bool accept = false;
    switch (filter.OutputSelection) {
        case 0: accept = true; break;
        case 1:
            accept = v.Index == 0;
            outcome.Continue = false;
            break;
        case 2: accept = EnergyAbove(v.PX, v.PY, v.PZ, v.Mass, JoulesPerEvFilter); break;
        case 3: accept = EnergyAbove(v.PX, v.PY, v.PZ, v.Mass, 1.60219e-18); break;
        case 4: accept = EnergyAbove(v.PX, v.PY, v.PZ, v.Mass, 1.60219e-17); break;
        case 5: accept = Emitted(v.Z, v.PZ); break;
        case 6:
            accept = v.Index == 0 && Emitted(v.Z, v.PZ);
            outcome.Continue = false;
            break;
        case 7:
            // The height test comes first, so the angle divides only by a positive PZ.
            accept = Emitted(v.Z, v.PZ) &&
                     std::sqrt(v.PX * v.PX + v.PY * v.PY) / v.PZ < TangentOfFiveDegrees;
            break;
        case 8: {
            const SelectionOutcome condition =
                EvaluateSelection(filter.Condition, v, filter.Errors);
            outcome.Continue = !condition.Aborted && !condition.ErrorReported;
            // A condition that hit an error has no trustworthy value: not written.
            accept = outcome.Continue && condition.Write;
            break;
        }
        default: outcome.Continue = false; return outcome;
    }
    if (accept) {
        outcome.Write = writer.Append(BuildSample(v.Index, v.RunNumber, v.X, v.Y, v.Z, v.PX,
                                                  v.PY, v.PZ, v.Time, v.Mass));
        flags |= Recorded;
    }
    return outcome;
}

OutputStatus SampleParticles(ParticleTable& p, std::int32_t runNumber, double time,
                             bool periodic, SelectionFilter& filter, SampleWriter& writer) {
    const bool skipRecorded = periodic && filter.SkipRecorded;
    OutputStatus status = OutputStatus::Ok;
    for (std::int32_t i = 0; i <= p.AtomCount; ++i) {
        if (skipRecorded && (p.Flags[i] & Recorded) != 0) continue;
        const double m = p.Mass[i];
        const SelectionVariables v{p.X[i], p.Y[i], p.Z[i], m * p.VX[i], m * p.VY[i],
                                   m * p.VZ[i], m, time, i, runNumber};
        const FilterOutcome offer = OutputFilter(filter, writer, v, p.Flags[i]);
        status = FirstFailure(status, offer.Write);
        if (!offer.Continue) break;
    }
    return FirstFailure(status, writer.Flush());
}

}  // namespace vantrel
