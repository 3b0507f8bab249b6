// Moving the particles through time: the velocities a run starts with, the
// velocity-Verlet step, and the rule that adapts the timestep to the fastest
// particle.
//
// Velocity Verlet with the forces F(t) of the previous step and F(t + dt) of
// this one:
//
//   x(t + dt) = x + dt v + (dt^2 / 2m) F(t)
//   v(t + dt) = v + (dt / 2m) (F(t) + F(t + dt))
//
// One force evaluation per step; every particle moves, whatever its flags.
#pragma once

#include "core/random.h"
#include "job/state.h"

namespace vantrel {

// The timestep is left alone while the projectile is closer than 1.5 A to
// target atom 1 (the direct impact is resolved with the step it started with).
inline constexpr double ProximityLimitSq = 2.25e-20;  // m^2

// Velocities of a new run: the projectile along the beam (Altitude above the
// surface plane, Azimuth from x, moving towards -z) with the speed of
// energyKeV; the target atoms at rest, or, with HotTarget, drawn from the
// Maxwell-Boltzmann distribution of TargetTemperature (x, y, z of atom 1,
// then of atom 2, ...).  Always true.
bool InitialiseVelocities(SimulationState& s, double energyKeV);

// One normally distributed value of mean 0 and the given variance, from
// three uniform draws taken in order: the sign, the angle, the radius.
double GaussianSample(RandomGenerator& random, double variance);

// One timestep of all particles with trajectory.Timestep, in this order:
// previous forces kept, forces and densities cleared, positions moved, the
// force phase (EvaluateStepForces), the cooling friction when CoolingActive,
// velocities updated, then the ST, OR and LSS passes when UseST, UseOR,
// UseLSS are set.  The forces at step 0 must come from
// EvaluateInitialForces.
void VerletStep(SimulationState& s, TrajectoryState& trajectory);

// The timestep rule, run every third step unless FixedTimestep is set:
// relaxes Timestep by one third towards StepLength / (speed of the fastest
// particle inside the lattice zone), and chooses the particle whose energy
// the termination test watches.
void AdjustTimestep(SimulationState& s, TrajectoryState& trajectory);

}  // namespace vantrel
