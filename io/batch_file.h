// Batch definition file (*.bdf): the jobs of a batch, read one item at a
// time while the batch runs.
#pragma once

#include <string>
#include <string_view>

#include "io/file_sets.h"
#include "io/input_file.h"

namespace vantrel {

// One group of ten lines.
struct BatchItem {
    std::string Title;
    InputFileSet Inputs;
    OutputFileSet Outputs;
};

// A result table's name beside a dynamical-variables file: its name with
// the extension (if any) replaced ("run1/ar3kev.vsk", ".results.csv" ->
// "run1/ar3kev.results.csv").
std::string ResultTableName(std::string_view dynamicalVariables, std::string_view extension);

class BatchDefinitionFile {
public:
    // A file that cannot be opened counts as failed: ReadItem then fails.
    explicit BatchDefinitionFile(std::string_view path);

    // Reads the next ten lines into item.  False when the file could not be
    // read (the item is then not one the user wrote).  Lines missing at the
    // end of the file read as empty.
    bool ReadItem(BatchItem& item);
    // True at the physical end of the file.
    bool AtEnd() { return file_.AtEnd(); }
    bool Failed() const { return file_.Failed(); }
    const ReadFailure& Failure() const { return file_.FirstFailure(); }
    void Close() { file_.Close(); }

private:
    std::string ReadLine();

    InputFile file_;
};

}  // namespace vantrel
