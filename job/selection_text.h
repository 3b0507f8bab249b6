// The user-programmed selection condition of output mode 8, as handed over
// by the run-file reader.
#pragma once

#include <string_view>

#include "job/state.h"

namespace vantrel {

// Stores text, cut to 255 characters and with its letters upper-cased, as
// the job's compiled selection text (s.SelectionText).  Nothing else is
// checked here: a faulty condition shows its error when first evaluated.
void CompileSelectionExpression(SimulationState& s, std::string_view text);

}  // namespace vantrel
