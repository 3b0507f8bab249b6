// The job's reading of the inelastic parameter file (*.inl).
#pragma once

#include <string_view>

#include "job/state.h"

namespace vantrel {

// Reads the file into s.Inelastic.  Which blocks the file holds depends on
// UseCooling and UseImagePotential.  A table whose model is on but keeps no
// entry switches that model off in s.Program.Options with a red warning;
// the OR and ST radii in s.Program are adjusted; the cooling settings are
// logged.  Returns false when the file is missing, empty or unreadable
// ("Inelastic file not found: <name>" is shown for the first two) or keeps
// more entries than a table holds; a rejected file changes nothing, neither
// s.Inelastic nor the options nor the radii.
bool ReadInelasticFile(SimulationState& s, std::string_view name);

}  // namespace vantrel
