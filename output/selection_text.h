// The user-programmed selection condition of output mode 8, as handed over
// by the run-file reader.
#pragma once

#include <string_view>

#include "output/selection_evaluator.h"

namespace vantrel {

// Stores text, cut to 255 characters and with its letters upper-cased, as
// the selection's text.  Nothing else is checked here: a faulty condition
// shows its error when first evaluated.
void CompileSelectionExpression(CompiledSelection& selection, std::string_view text);

}  // namespace vantrel
