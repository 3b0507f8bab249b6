// The planar energy barriers at the surface and the sides of the lattice
// zone, and the test that ends a trajectory.
//
// A particle moving outward through a barrier plane with normal kinetic
// energy E = m v_n^2 / 2 passes it when E exceeds the barrier B, keeping
// v_n = sqrt(2 (E - B) / m) (the barrier's energy leaves the system and is
// added to the run's barrier sum); otherwise it is reflected, v_n <- -v_n.
#pragma once

#include <cstdint>

#include "core/particles.h"
#include "core/trajectory_state.h"

namespace vantrel {

// The surface barrier at the plane z = plane, for particles 0..AtomCount
// that have not left through it (LeftSurface, set on passing, is never
// cleared within a run).  Strictly greater: a particle with exactly the
// barrier's energy is reflected.
void ApplySurfaceBarrier(ParticleTable& p, double barrier, double plane, double& energySum);

// The side barriers at the zone's x and y faces.  The x faces test only
// particles that have not left a side (LeftSide); the y faces test every
// particle at every step, so one that keeps moving outward loses the
// barrier again each time its lateral energy exceeds it.
void ApplySideBarriers(ParticleTable& p, double barrier, const LatticeZone& zone,
                       double& energySum);

// When a trajectory ends after a step.
struct TerminationLimits {
    double MinTime = 0;            // s: nothing but abortNow ends a trajectory before
    double MaxTime = 0;            // s: always ends at or after
    double TerminationEnergy = 0;  // J: ends once the watched particle's energy is at most this
};

// True when the trajectory ends after this step: abortNow at once;
// otherwise nothing before MinTime, then at MaxTime or once the watched
// particle's kinetic energy 0.5 m v^2 is at most TerminationEnergy.
bool TrajectoryEnds(const TrajectoryState& t, const TerminationLimits& limits,
                    double watchedMass, bool abortNow);

}  // namespace vantrel
