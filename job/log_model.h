// The log's buffer rule, kept apart from any widget so that the Qt window,
// the console runner and the tests share one implementation of it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "job/user_interface.h"

namespace vantrel {

struct LogModelLine {
    std::string Text;
    LogColour Colour;
};

// What a widget must do to show one appended line.
struct LogAppendPlan {
    bool ClearFirst = false;   // the log held more lines than the limit
    bool InsertAtEnd = false;  // limit above 500: caret to the end, insert text + CR LF;
                               // otherwise add the text as a new last line
};

// Line store of the log with the clearing rule: when the log holds more
// lines than LogBufferLines, the whole log is cleared before the next line
// (no partial trimming).
class LogModel {
public:
    // The log starts with one line of three blanks.
    LogModel();

    // Decides how the line is shown and records it.
    LogAppendPlan Append(const std::string& text, LogColour colour, std::int32_t logBufferLines);
    // Appends without the buffer rule (the file lists of the main window).
    void AppendUnlimited(const std::string& text, LogColour colour);
    void Clear();

    const std::vector<LogModelLine>& Lines() const { return lines_; }
    std::size_t LineCount() const { return lines_.size(); }

    // Pure form of the rule, for widgets that keep their own line count.
    static LogAppendPlan Plan(std::size_t linesHeld, std::int32_t logBufferLines);

private:
    std::vector<LogModelLine> lines_;
};

}  // namespace vantrel
