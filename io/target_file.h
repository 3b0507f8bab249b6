// Target file (*.trg): the atoms of the crystal, one per line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/target_setup.h"
#include "io/reader_messages.h"

namespace vantrel {

struct TargetCount {
    bool Opened = false;
    std::int32_t AtomCount = 0;         // at most 200,000; 0 when the file cannot be opened
    std::int32_t LastAtomicNumber = 0;  // the atomic number of the last line counted
    // "Cannot open Target file:\r<name>" (error box) or, beyond 200,000
    // lines, "Too many atoms in .TRG file (max. 200,000) - ignoring excess."
    // (warning box).
    ReaderMessages Messages;
};

// Counts the atom lines without judging their values.
TargetCount CountTargetFile(std::string_view name);

enum class TargetFileStatus {
    Read,
    FirstLineUnreadable,  // line 1 (or the file) could not be read
    BadLine,              // line BadLine did not read or holds an impossible Z or mass
};

struct TargetFileRead {
    std::string Name;  // the rest of line 1
    // The atoms of the lines before the first bad one, in file order: all
    // atomCount of them when the file was read.
    std::vector<TargetAtom> Atoms;
    TargetFileStatus Status = TargetFileStatus::Read;
    std::int32_t BadLine = 0;
    ReadFailure Failure;
    // The error box of a status other than Read.
    ReaderMessages Messages;
};

// Reads the first atomCount atom lines; stops at the first bad line.
TargetFileRead ParseTargetFile(std::string_view name, std::int32_t atomCount);

}  // namespace vantrel
