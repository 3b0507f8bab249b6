// The job's opening of the impact file (*.imp).
#pragma once

#include <string_view>

#include "io/impact_file.h"
#include "job/state.h"

namespace vantrel {

// Opens the job's impact file; when it cannot be opened, logs
// "  File not found: <name>" in red and returns false.
bool OpenImpactFile(SimulationState& s, ImpactFile& file, std::string_view name);

}  // namespace vantrel
