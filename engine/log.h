// Log lines, status text and error boxes: the small helpers every message of
// the simulation goes through.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "engine/user_interface.h"

namespace vantrel {

inline constexpr std::size_t LogLineLimit = 100;     // characters of one log line
inline constexpr std::size_t StatusTextLimit = 50;   // characters of the status text
inline constexpr std::size_t ShortTextLimit = 255;   // file names and text lines

// The first maxChars characters of text.  Texts are UTF-8; a character is a
// code point, so a cut never splits one.
std::string CutText(std::string_view text, std::size_t maxChars);

// Appends text (cut to 100 characters) to the log in colour; the insertion
// colour returns to black afterwards, which the interface does per line.
void LogLine(UserInterface& ui, std::string_view text, LogColour colour);

// Modal error box with one OK button.
void ShowError(UserInterface& ui, std::string_view text);

// Status bar text, cut to 50 characters.
void ShowStatusText(UserInterface& ui, std::string_view text);

}  // namespace vantrel
