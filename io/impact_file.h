// Impact file (*.imp): one impact point per line, read one line per run.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/run_records.h"
#include "io/input_file.h"
#include "io/reader_messages.h"

namespace vantrel {

class ImpactFile {
public:
    // Opens name through the buffered input file.  False when it cannot be
    // opened or is a directory, with the red line "  File not found: <name>"
    // in Messages; an empty file opens and yields one point of zeros.
    bool Open(std::string_view name);
    const ReaderMessages& Messages() const { return messages_; }
    bool IsOpen() const { return file_.has_value() && file_->Opened(); }

    // Discards count lines (none for 0 or less; stops at the end of the file).
    void SkipLines(std::int32_t count);

    // Reads the three reals of the next line (DeltaX, DeltaY, StartHeight in
    // A) and skips the rest of that line.  A line with fewer numbers takes
    // the rest from the following line(s); past the end of the file the
    // values are 0.  False, with point unchanged, when a number does not
    // convert or the file is not open.
    bool ReadPoint(ImpactPoint& point);
    // Where the first failed read stopped (line and field).
    ReadFailure Failure() const;

    // True at the physical end of the file: after a final line end, but not
    // while a blank line (one more point of zeros) remains.
    bool AtEnd();

    void Close();

private:
    std::optional<InputFile> file_;
    ReaderMessages messages_;
};

}  // namespace vantrel
