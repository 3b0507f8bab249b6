// Loading and saving the option block as the program does it: silently at
// start-up, with an error box when the user asked for it.
#pragma once

#include <string_view>

#include "job/program.h"

namespace vantrel {

// Start-up: sets ConfigFilePath; loads the file only when it exists, holds a
// whole record and that record's own LoadOptionsAtStart byte is non-zero.
// Silent in every case.
void LoadOptionsAtStartUp(ProgramContext& program);

// Writes the block to ConfigFilePath; on failure the error box
// "Error writing options to <path>." and false.
bool SaveOptionsFile(ProgramContext& program);

// Loads the block from path whatever its LoadOptionsAtStart byte says; on
// failure the error box "Error reading options from <path>.", the block
// unchanged, and false.
bool LoadOptionsFile(ProgramContext& program, std::string_view path);

}  // namespace vantrel
