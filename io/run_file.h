// Run file (*.run): the parameters of one job that belong neither to the
// projectile, the target nor the potential.
#pragma once

#include <cstddef>
#include <string_view>

#include "core/run_records.h"
#include "io/reader_messages.h"

namespace vantrel {

// Output selection mode whose condition the user writes (line 11).
inline constexpr std::int32_t UserProgrammedSelection = 8;
// The text of a parameter error, also shown in the summary's output line
// when the output selection mode is unknown.
inline constexpr const char* RunFormatErrorText = "  Format error in .RUN file";
inline constexpr const char* RunParameterErrorText = "  Parameter error in .RUN file";

struct RunFileRead {
    RunParameters Run;  // as read and converted, also when rejected
    bool Ok = false;    // read, and every check passed
    ReadFailure Failure;
    // Every error, each as the banner "  ++++ Error ++++" and its red lines.
    // Those before SummaryAt (format, output selection) come before the
    // summary's first lines, the others (sample mode, partners, timestep,
    // update interval, altitude) after them.
    ReaderMessages Messages;
    std::size_t SummaryAt = 0;
};

RunFileRead ParseRunFile(std::string_view name);

}  // namespace vantrel
