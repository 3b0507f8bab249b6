// Log lines, status text and error boxes: the small helpers every message of
// the simulation goes through.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/number_text.h"
#include "job/user_interface.h"

namespace vantrel {

// Appends text (cut to 100 characters) to the log in colour; the insertion
// colour returns to black afterwards, which the interface does per line.
void LogLine(UserInterface& ui, std::string_view text, LogColour colour);

// Modal error box with one OK button.
void ShowError(UserInterface& ui, std::string_view text);

// Status bar text, cut to 50 characters.
void ShowStatusText(UserInterface& ui, std::string_view text);

}  // namespace vantrel
