// The kernels' views built straight from a job's state, for the drivers and
// for occasional callers (inelastic events, tests), not for loops.
#pragma once

#include <cstdint>

#include "core/table_lookup.h"
#include "job/state.h"

namespace vantrel {

inline PotentialView MakePotentialView(const SimulationState& s) {
    return MakePotentialView(s.Particles, s.Model, s.Tables, s.BinaryTarget,
                             s.Program.Options.SelfBombard);
}

inline PairType PairTypeOf(const SimulationState& s, std::int32_t i, std::int32_t j) {
    return PairTypeOfFlags(s.Particles.Flags[i], s.Particles.Flags[j]);
}

inline ForceVector PairForce(const SimulationState& s, std::int32_t i, std::int32_t j, double r,
                             double dx, double dy, double dz) {
    return PairForce(MakePotentialView(s), i, j, r, dx, dy, dz);
}

}  // namespace vantrel
