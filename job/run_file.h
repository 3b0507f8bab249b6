// The job's reading of the run file (*.run) and the simulation summary
// that follows it.
#pragma once

#include <cstdint>
#include <string_view>

#include "job/state.h"

namespace vantrel {

// Logs the separator, reads and checks the run file into s.Run, hands a
// mode-8 selection condition to CompileSelectionExpression and logs the
// first summary lines.  Every error is logged (red) on its own; the result
// is true only when the file was read and checked without any error.
bool ReadRunFile(SimulationState& s, std::string_view name);

// Logs the rest of the summary from s.Projectile, s.Run, the options and
// atomCount, then (outside batch mode) asks "Proceed with simulation now?".
// True when the job may go on; false when the user declined.
bool PrintSimulationSummary(SimulationState& s, std::int32_t atomCount);

}  // namespace vantrel
