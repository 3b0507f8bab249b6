// The shipped copper models, as model-file descriptions.
#pragma once

#include "io/model_file_writer.h"

namespace vantrel::testing {

// The shipped Sutton-Chen copper model (splines fitted).
ModelFileDescription CopperModel();
// The shipped Tight-Binding copper model.
ModelFileDescription TightBindingCopperModel();

}  // namespace vantrel::testing
