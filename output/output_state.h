// What the output side keeps for one job from its start to its end.
#pragma once

#include "output/output_files.h"
#include "output/selection_evaluator.h"

namespace vantrel {

struct OutputState {
    OutputFiles Files;            // handles, names, failures already reported
    CompiledSelection Selection;  // the mode-8 condition, upper case, and its parsed form
};

}  // namespace vantrel
