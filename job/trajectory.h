// One trajectory ("run"): from the freshly placed particles to the end-of-run
// report.
#pragma once

#include "job/state.h"

namespace vantrel {

// Constants of the driver.
inline constexpr double LargeStepLength = 2.0e-11;       // m (0.2 A) of StepLength
inline constexpr std::int32_t TimestepCheckPeriod = 3;   // steps between timestep checks
inline constexpr std::int32_t SamplePeriodForZero = 65535;

// Runs one trajectory on the prepared particle table.  Returns false when
// the job must end after it (a confirmed abort, a partner-list overflow, or a
// floating-point fault outside the guarded engine passes).
bool RunTrajectory(SimulationState& s);

// Sets up the trajectory's working values (the initialisation steps before
// the loop, without the first-run warnings and the initial conditions).
void StartTrajectory(SimulationState& s, TrajectoryState& t);

// What a trajectory leaves behind for the job's later runs, for a run whose
// trajectory another process runs: a sample period of 0 becomes 65535.
void PassOverTrajectory(SimulationState& s);

}  // namespace vantrel
