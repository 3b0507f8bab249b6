// The Verlet step and the velocity initialisation as the drivers call them:
// the kernels of core/verlet.h, the force phase and the optional models on
// the job's state, each phase reporting its own faults before the next one
// runs.
#pragma once

#include "job/state.h"

namespace vantrel {

// Velocities of a new run from the projectile's energy (keV), the beam
// angles of the run file and, with HotTarget, the model's target
// temperature and the program's random generator.  Always true.
bool InitialiseVelocities(SimulationState& s, double energyKeV);

// One timestep of all particles with trajectory.Timestep, in this order:
// positions (previous forces kept, forces and densities cleared), the force
// phase (EvaluateStepForces), the cooling friction when CoolingActive, the
// velocities, then the ST, OR and LSS passes when UseST, UseOR, UseLSS are
// set.  The forces at step 0 must come from EvaluateInitialForces.
void VerletStep(SimulationState& s, TrajectoryState& trajectory);

}  // namespace vantrel
