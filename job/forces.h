// The force evaluation as the drivers call it: the kernels of core/forces.h
// on the job's particles, lists and scratch, with the step version's faults
// turned into their messages.
#pragma once

#include "job/state.h"

namespace vantrel {

inline constexpr const char* RhoSumErrorText = "Math error in rho sum routine.";
inline constexpr const char* ForceErrorText = "Math error in force routine.";

// Once per trajectory, before the first step (core EvaluateInitialForces):
// no image force, no fault guard, no message; faults stay raised for the
// trajectory driver.
void EvaluateInitialForces(SimulationState& s);

// The force phase of a Verlet step (core EvaluateStepForces, with the image
// force when UseImagePotential is set).  A fault that ended the density pass
// shows "Math error in rho sum routine.", one that ended the force pass
// "Math error in force routine.", in that order; the step goes on.  Expects
// FX, FY, FZ and Density cleared.
void EvaluateStepForces(SimulationState& s);

}  // namespace vantrel
