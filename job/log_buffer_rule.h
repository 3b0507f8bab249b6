// The log's buffer rule, kept apart from any widget so that the log pane
// and the tests share one statement of it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vantrel {

// What a widget must do to show one appended line.
struct LogAppendPlan {
    bool ClearFirst = false;   // the log held more lines than the limit
    bool InsertAtEnd = false;  // limit above 500: caret to the end, insert text + CR LF;
                               // otherwise add the text as a new last line
};

// When the log holds more lines than LogBufferLines, the whole log is
// cleared before the next line (no partial trimming).
LogAppendPlan PlanLogAppend(std::size_t linesHeld, std::int32_t logBufferLines);

}  // namespace vantrel
