// The program's version, from the one number in the top CMakeLists.txt
// (project(Vantrel VERSION ...)).
#pragma once

#include <string_view>

namespace vantrel {

// "1.0"
std::string_view ProgramVersion();

}  // namespace vantrel
