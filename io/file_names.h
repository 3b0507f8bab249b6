// File-name helpers of the readers and the front ends.
#pragma once

#include <string>
#include <string_view>

namespace vantrel {

// True when name has neither "*" nor "?" and names an existing file.
bool IsExistingPlainFile(std::string_view name);

// The running program's directory, with its trailing separator, followed by name.
std::string ProgramDirFile(std::string_view name);

}  // namespace vantrel
