#include "core/version.h"

// The build passes the project's version to this file alone, so a new
// version recompiles one file.
#ifndef VANTREL_VERSION
#error "VANTREL_VERSION must be defined by the build"
#endif

namespace vantrel {

std::string_view ProgramVersion() { return VANTREL_VERSION; }

}  // namespace vantrel
