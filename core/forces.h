// Forces and electron densities of all particles, over the partner lists.
//
// The energy of the particle system is
//
//   E = sum_{pairs i<j} phi(r_ij) - sum_i sqrt(rho_i),   rho_i = sum_{j != i} f(r_ij),
//
// phi the pair potential (the joining spline below r_hi, the screened-Coulomb
// repulsion below r_lo) and f the density function (acting only for
// r_hi < r <= r_c; from r_lo, tapered, with the continuous density join of
// core/potential_forms.h, whose taper slope the tables fold into f').  Its gradient gives the force on i from each partner j
//
//   F_i = sum_j  [ -phi'(r)/r + (q_i + q_j) f'(r)/r ] (r_i - r_j),   q = 1 / (2 sqrt(rho)),
//
// which the look-up tables deliver as one factor per pair (core/table_lookup.h).
// So one evaluation is three passes:
//
//   1. density pass: the squared distance of every listed pair and, inside
//      the N-body range, the density each particle of the pair adds to the
//      other's sum; on the way it gathers the pairs within r_c, in list order
//      and with their distance r (ForceScratch);
//   2. embedding transform: Density[i] keeps the sum rho_i, EmbeddingFactor[i]
//      gets q_i = 0.5 / sqrt(rho_i);
//   3. force pass: each gathered pair once, its force added to i and taken
//      from j (Newton's third law).  The projectile's row, when it is no
//      target atom, reads the list and its distances in DistSq directly.
//
// Without self-bombardment the projectile (particle 0) takes no part in the
// densities and feels only the screened-Coulomb repulsion of its partners.
//
// Floating-point faults.  The step version guards the density pass and the
// force pass (with the image force) separately: a fault ends that pass at
// the pair that raised it, keeps the sums made so far and is reported in the
// result; the step goes on.  The pair-by-pair passes store every pair's
// squared distance in DistSq first (after a density fault for every pair,
// whatever the sums met), so they never work on the previous step's
// distances.  Faults raised inside the guarded passes are
// cleared afterwards; any raised before them are left for the caller to see.
// The initial version is not guarded: its faults stay raised for the caller.
//
// Threads.  Given a pool of more than one thread, the density pass, the
// embedding transform and the force pass run on it (core/forces.cpp, "Threaded
// evaluation") and give every distance, density, factor and force to the bit
// as the serial passes do, whatever the number of threads: every particle's
// sums receive the same shares in the same order.  The fault guards are the
// serial ones: the pool raises the flags of every thread on the caller's, and
// a pass that raised a fault runs again serially, pair by pair.
//
// Nothing is allocated: ForceScratch is sized once per job (SizeForceScratch);
// only its gathered-pair arrays grow, by design, when a job's lists hold more
// pairs within r_c than they had room for, and the threaded passes' blocks
// (ForceBlocks) grow with the lists they are derived from at each rebuild.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/inelastic_parameters.h"
#include "core/particles.h"
#include "core/table_lookup.h"
#include "core/worker_pool.h"

namespace vantrel {

// Below this the summed density is left as it is (no embedding factor).
inline constexpr double DensityFloor = 1.0e-50;

// The gathered pairs' room at the start of a job, per particle.  The first
// evaluation grows it once to three quarters of the listed pairs (with the
// list radius near r_c + 1 A about two thirds of them lie within r_c).
inline constexpr std::size_t InitialInsidePairsPerParticle = 16;

// Sizes the packed copies and the gathered-pair arrays for particles
// 0..atomCount; once per job.
void SizeForceScratch(ForceScratch& scratch, std::int32_t atomCount);

// Zeroes FX, FY, FZ and Density of particles 0..AtomCount.
void ClearForcesAndDensity(ParticleTable& p);

// What the force evaluation reads besides the particles and lists.
struct ForceModel {
    PotentialView Potential;  // tables, radii, screening, SelfBombard (points into the particles)
    bool NBodyActive = false;  // the model has a density term at all
    WorkerPool* Workers = nullptr;  // threads for the passes; none or one: serial
};

// Which guarded pass a fault ended (both can, in one step).
struct ForceStatus {
    bool DensityFault = false;  // the density ("rho sum") pass
    bool ForceFault = false;    // the force pass with the image force
};

// Once per trajectory, before the first step: clears the forces and
// densities, runs the three passes (no image force, no fault guard) and
// copies the forces into PrevFX, PrevFY, PrevFZ.
void EvaluateInitialForces(ParticleTable& p, PartnerLists& lists, ForceScratch& scratch,
                           const ForceModel& model);

// The force phase of a Verlet step: the three passes with their fault
// guards, then, when image is given (UseImagePotential), the image force on
// the particles with ImageCharge.  Expects FX, FY, FZ and Density cleared
// (the Verlet step clears them while it moves the particles).
ForceStatus EvaluateStepForces(ParticleTable& p, PartnerLists& lists, ForceScratch& scratch,
                               const ForceModel& model, const InelasticParameters* image);

}  // namespace vantrel
