// Moving the particles through time: the velocities a run starts with, the
// two halves of the velocity-Verlet step, and the rule that adapts the
// timestep to the fastest particle.
//
// Velocity Verlet with the forces F(t) of the previous step and F(t + dt) of
// this one:
//
//   x(t + dt) = x + dt v + (dt^2 / 2m) F(t)
//   v(t + dt) = v + (dt / 2m) (F(t) + F(t + dt))
//
// One force evaluation per step, between the two halves; every particle
// moves, whatever its flags.
#pragma once

#include <cstdint>

#include "core/particles.h"
#include "core/random.h"
#include "core/trajectory_state.h"
#include "core/worker_pool.h"

namespace vantrel {

// The timestep is left alone while the projectile is closer than 1.5 A to
// target atom 1 (the direct impact is resolved with the step it started with).
inline constexpr double ProximityLimitSq = 2.25e-20;  // m^2

// The beam and the target temperature a run's velocities come from.
struct VelocitySetup {
    double EnergyKeV = 0;    // projectile energy
    double Altitude = 0;     // rad above the surface plane
    double Azimuth = 0;      // rad from x
    bool HotTarget = false;  // thermal velocities for the target atoms
    double Temperature = 0;  // K
};

// Velocities of a new run: the projectile along the beam (moving towards -z)
// with the speed of its energy; the target atoms at rest, or, with
// HotTarget, drawn from the Maxwell-Boltzmann distribution of Temperature
// (x, y, z of atom 1, then of atom 2, ...).  Masses must be set.
void InitialiseVelocities(ParticleTable& p, const VelocitySetup& setup, RandomGenerator& random);

// One normally distributed value of mean 0 and the given variance, from
// three uniform draws taken in order: the sign, the angle, the radius.
double GaussianSample(RandomGenerator& random, double variance);

// First half of a step of length dt: the forces become the previous ones,
// forces and density sums are cleared, and every particle moves (on the
// pool's threads when given one; the same values either way).
void AdvancePositions(ParticleTable& p, double dt, WorkerPool* pool = nullptr);

// Second half, after the forces of the new positions: the velocities.
void AdvanceVelocities(ParticleTable& p, double dt, WorkerPool* pool = nullptr);

// The timestep rule, run every third step unless FixedTimestep is set:
// relaxes Timestep by one third towards StepLength / (speed of the fastest
// particle inside the lattice zone), and chooses the particle whose energy
// the termination test watches (the projectile alone with
// projectileOnlyTest).
void AdjustTimestep(const ParticleTable& p, const PartnerLists& lists, bool projectileOnlyTest,
                    TrajectoryState& trajectory);

}  // namespace vantrel
