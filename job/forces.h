// Forces and electron densities of all particles, over the partner lists.
//
// The energy of the particle system is
//
//   E = sum_{pairs i<j} phi(r_ij) - sum_i sqrt(rho_i),   rho_i = sum_{j != i} f(r_ij),
//
// phi the pair potential (the joining spline below r_hi, the screened-Coulomb
// repulsion below r_lo) and f the density function (acting only for
// r_hi < r <= r_c).  Its gradient gives the force on i from each partner j
//
//   F_i = sum_j  [ -phi'(r)/r + (q_i + q_j) f'(r)/r ] (r_i - r_j),   q = 1 / (2 sqrt(rho)),
//
// which the look-up tables deliver as one factor per pair (engine/table_lookup.h).
// So one evaluation is three passes:
//
//   1. density pass: the squared distance of every listed pair (stored in the
//      list's DistSq) and, inside the N-body range, the density each particle
//      of the pair adds to the other's sum; on the way it gathers the pairs
//      within r_c, in list order and with their distance r (ForceScratch);
//   2. embedding transform: Density[i] <- q_i = 0.5 / sqrt(rho_i);
//   3. force pass: each gathered pair once, its force added to i and taken
//      from j (Newton's third law).  The projectile's row, when it is no
//      target atom, reads the list and DistSq directly.
//
// Without self-bombardment the projectile (particle 0) takes no part in the
// densities and feels only the screened-Coulomb repulsion of its partners.
//
// Floating-point faults.  The step version guards the density pass and the
// force pass (with the image force) separately: a fault ends that pass at
// the pair that raised it, keeps the sums made so far, shows "Math error in
// rho sum routine." or "Math error in force routine." once, and the step goes
// on.  The squared distances are still stored for every pair after a density
// fault, so the force pass never works on the previous step's distances.
// Faults raised inside the guarded passes are cleared afterwards; any raised
// before them are left for the caller to see.  The initial version is not
// guarded: its faults stay raised for the trajectory driver to test.
#pragma once

#include "job/state.h"

namespace vantrel {

inline constexpr const char* RhoSumErrorText = "Math error in rho sum routine.";
inline constexpr const char* ForceErrorText = "Math error in force routine.";

// Below this the summed density is left as it is (no embedding factor).
inline constexpr double DensityFloor = 1.0e-50;

// Zeroes FX, FY, FZ and Density of particles 0..AtomCount.
void ClearForcesAndDensity(SimulationState& s);

// Once per trajectory, before the first step: clears the forces and
// densities, runs the three passes (no image force, no fault guard) and
// copies the forces into PrevFX, PrevFY, PrevFZ.
void EvaluateInitialForces(SimulationState& s);

// The force phase of a Verlet step: the three passes with their fault
// guards, then the image force on particles with ImageCharge when
// UseImagePotential is set.  Expects FX, FY, FZ and Density cleared
// (VerletStep clears them while it moves the particles).
void EvaluateStepForces(SimulationState& s);

}  // namespace vantrel
