// The readers' messages shown to the user: log lines in their tone's colour
// (cut to 100 characters like every log line) and modal boxes.
#pragma once

#include <span>

#include "io/reader_messages.h"
#include "job/user_interface.h"

namespace vantrel {

void ShowReaderMessages(UserInterface& ui, std::span<const ReaderMessage> messages);

}  // namespace vantrel
