// The kernels' views built straight from a job's state, for the drivers and
// for occasional callers (tests), not for loops.  Each view points into the
// state's arrays: build it where it is used, after the arrays exist.
#pragma once

#include "core/collision_events.h"
#include "core/energy_sums.h"
#include "core/forces.h"
#include "core/table_lookup.h"
#include "job/state.h"

namespace vantrel {

inline PotentialView MakePotentialView(const SimulationState& s) {
    return MakePotentialView(s.Particles, s.Model, s.Tables, s.BinaryTarget,
                             s.Program.Options.SelfBombard);
}

inline ForceModel ForceModelOf(const SimulationState& s) {
    return {MakePotentialView(s), s.Model.NBodyActive, s.Workers.get()};
}

inline CollisionModel CollisionModelOf(const SimulationState& s) {
    const SimulationOptions& o = s.Program.Options;
    // With IgnoreTargetForces the brute-force search lists the projectile's
    // pairs only, and the dynamics knows no other.
    return {MakePotentialView(s), &s.Model, o.IgnoreTargetForces && o.NeighbourSearch};
}

inline EnergyView EnergyViewOf(const SimulationState& s) {
    return {s.Particles, s.Model, s.BinaryTarget};
}

inline EnergyTerms EnergyTermsOf(const SimulationState& s) {
    const SimulationOptions& o = s.Program.Options;
    return {o.SelfBombard, o.IgnoreTargetForces, o.UseImagePotential ? &s.Inelastic : nullptr};
}

}  // namespace vantrel
