// The readers' messages shown to the user: log lines in their tone's colour
// (cut to 100 characters like every log line) and modal boxes.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "io/reader_messages.h"
#include "job/user_interface.h"

namespace vantrel {

void ShowReaderMessages(UserInterface& ui, std::span<const ReaderMessage> messages);

// Where a read failed, as a line that follows the reader's own message:
// "  ar_cu100.mdl, line 6, PairEnergy: found "0.0123x"" (the file part of
// the name only, so the line stays within the log's width), or "...: cannot
// be read" when no token was taken.  Empty when nothing failed or the file
// could not be opened at all (the reader's message says so).
std::string ReadPlaceText(std::string_view fileName, const ReadFailure& failure);
// Logs that line in red, when there is one.
void ShowReadPlace(UserInterface& ui, std::string_view fileName, const ReadFailure& failure);

}  // namespace vantrel
