// File-name helpers of the readers and the front ends.
#pragma once

#include <string>
#include <string_view>

namespace vantrel {

// True when name has neither "*" nor "?" and names an existing file.
bool IsExistingPlainFile(std::string_view name);

// The running program's directory, with its trailing separator, followed by name.
std::string ProgramDirFile(std::string_view name);

// The folder of the program's data `name` ("help", "examples"): beside the
// program (the build tree puts it there), else <prefix>/share/vantrel/name
// for a program installed in <prefix>/bin.  Empty when neither is a folder.
std::string ProgramDataFolder(std::string_view name);

}  // namespace vantrel
