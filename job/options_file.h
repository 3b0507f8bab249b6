// Loading and saving the option block as the program does it: silently at
// start-up, with an error box when the user asked for it.
#pragma once

#include <string>
#include <string_view>

#include "job/program.h"

namespace vantrel {

// The options beside the 40-byte block (ExtendedOptions) live in a companion
// text file next to the configuration file, the same name with the extension
// ".options" ("vantrel.cfg" -> "vantrel.options"): one "NAME = VALUE" line
// each, as `vantrel-cli options` lists them.  Without a companion file every
// one of them takes its default.
std::string ExtendedOptionsPath(std::string_view configPath);

// Start-up: sets ConfigFilePath; loads the file only when it exists, holds a
// whole record and that record's own LoadOptionsAtStart byte is non-zero.
// With the record, the companion file (silently; an unreadable one is
// passed over).  Silent in every case.
void LoadOptionsAtStartUp(ProgramContext& program);

// Writes the block to ConfigFilePath, then the companion file when an option
// beside the block is not at its default or the companion already exists;
// on failure the error box "Error writing options to <path>." and false.
bool SaveOptionsFile(ProgramContext& program);

// Loads the block from path whatever its LoadOptionsAtStart byte says, and
// its companion file; on failure the error box "Error reading options from
// <path>." (for a bad companion: "..., line N: <reason>."), every option
// unchanged, and false.
bool LoadOptionsFile(ProgramContext& program, std::string_view path);

}  // namespace vantrel
