// What a reader has to tell the user about a file, in the order the user
// must see it.  The readers never talk to the user themselves: the job layer
// replays these messages through its user interface (a log line in the
// tone's colour, or a modal box) and puts its own report lines where the
// reader's record says they go.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

enum class ReaderMessageKind {
    LogLine,     // one line of the log
    ErrorBox,    // modal error box; CR characters break its lines
    WarningBox,  // modal warning box with one OK button
};

// What a log line's colour says; boxes have no tone.
enum class MessageTone {
    Plain,  // black: an ordinary line
    Error,  // red: errors and warnings
};

struct ReaderMessage {
    ReaderMessageKind Kind = ReaderMessageKind::LogLine;
    MessageTone Tone = MessageTone::Plain;
    std::string Text;

    friend bool operator==(const ReaderMessage&, const ReaderMessage&) = default;
};

using ReaderMessages = std::vector<ReaderMessage>;

inline ReaderMessage ErrorLine(std::string text) {
    return {ReaderMessageKind::LogLine, MessageTone::Error, std::move(text)};
}
inline ReaderMessage ErrorBoxMessage(std::string text) {
    return {ReaderMessageKind::ErrorBox, MessageTone::Plain, std::move(text)};
}
inline ReaderMessage WarningBoxMessage(std::string text) {
    return {ReaderMessageKind::WarningBox, MessageTone::Plain, std::move(text)};
}

// Where the first failed read of a file stopped: the physical line (from 1)
// on which the offending token starts, the field the reader was taking and
// the token found there (cut to 32 characters).  Line 0 with an empty field:
// the file could not be opened or read.  The job names the place in a log
// line after the reader's own message.
struct ReadFailure {
    bool Failed = false;
    std::int32_t Line = 0;
    const char* Field = "";
    std::string Found;
};

}  // namespace vantrel
