// What a worker process tells its parent (job/parallel_runs.h), in order,
// through a pipe: the calls its job makes on the user interface and on the
// run relay, and the ends of its runs with where their records are.
//
// A message is its length (4 bytes) followed by that many bytes: the kind,
// a number, a colour, two flags, three reals, the byte ranges of the run's
// output streams and a text, all in the machine's own byte order (the two
// processes are one program on one machine).  Reals travel as their bits,
// so the parent sums exactly what the worker computed.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "job/per_run_files.h"
#include "output/log_colour.h"

namespace vantrel {

enum class WorkerMessageKind : std::uint8_t {
    LogLine = 1,         // Text in Colour
    ErrorBox,            // Text
    WarningBox,          // Text
    ExpressionError,     // Text
    Beep,
    PlotReset,
    RunStarting,         // Number: run number
    FirstRunLinesBegin,
    FirstRunLinesEnd,    // Text: the later run's lines, each ended by '\n'
    MaxPartnersLine,     // Number: the largest partner count so far
    EnergyErrorLine,     // Values: dE (eV), error (%)
    LossLines,           // Values: LSS, OR, ST loss (J)
    InitialConditions,   // Initial: the records' range; Failed: they could not be kept
    RunFinished,         // Number, ContinueJob, AbortNow, Streams
    RunFailed,           // Number: the run could not be set up (its block says why)
    PassFailed,          // Number: a run passed over could not be set up; the worker ends
};

// The output streams a worker writes for its parent, each a temporary file
// of its own: one per file of job/per_run_files.h.
inline constexpr std::size_t SharedStreamCount = PerRunFileCount;

struct ByteRange {
    std::int64_t Begin = 0;
    std::int64_t End = 0;
};

struct WorkerMessage {
    WorkerMessageKind Kind = WorkerMessageKind::LogLine;
    std::int32_t Number = 0;
    LogColour Colour{};
    bool ContinueJob = false;
    bool AbortNow = false;
    bool Failed = false;
    std::array<double, 3> Values{};
    ByteRange Initial;
    std::array<ByteRange, SharedStreamCount> Streams{};
    std::string Text;
};

// Appends the message's bytes to out.
void EncodeWorkerMessage(const WorkerMessage& message, std::string& out);

// Takes one whole message from the front of bytes into message and returns
// its length in bytes; 0 when bytes does not yet hold a whole message.
std::size_t DecodeWorkerMessage(std::string_view bytes, WorkerMessage& message);

}  // namespace vantrel
