// The options by name: every SimulationOptions field, the companion values
// and the options beside the block under their code names, for `--set
// NAME=VALUE`, the `options` listing of the headless runner and the
// companion file of the configuration file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "job/program.h"

namespace vantrel {

// Sets one option by its code name (exact spelling, as in the listing).
// Integers are decimal and must lie in the range the options dialog allows;
// booleans are 0, 1, true or false.  GraphScale follows GraphPlotType, as the
// options dialog's OK makes it, and cannot be set by itself.  On failure the
// values stay as they were and error holds a one-line reason.
bool SetOptionByName(ProgramContext& program, std::string_view name, std::string_view value,
                     std::string& error);

// Same, for a NAME=VALUE text.
bool SetOptionAssignment(ProgramContext& program, std::string_view assignment,
                         std::string& error);

// "NAME = VALUE" lines: the 40-byte block in its stored order (reserved bytes
// left out), then GraphScale, RunOffset and RandomSeed, then the options
// beside the block (ExtendedOptionLines).  Booleans as
// true/false, GraphScale as the shortest text that reads back exactly.
std::vector<std::string> OptionLines(const ProgramContext& program);

// "NAME = VALUE" lines of the options beside the block, in their listing order:
// the listing's tail and the companion file's contents.
std::vector<std::string> ExtendedOptionLines(const ExtendedOptions& options);

// True for the code name of an option beside the block.
bool IsExtendedOptionName(std::string_view name);

}  // namespace vantrel
