// The worker's side of a job whose runs are shared out (job/parallel_runs.h).
//
// A worker is a child process forked once the job's first run is set up, so
// it starts with everything the parent has read and asked.  It talks to the
// parent only: its job talks through a channel that turns every call on the
// user interface and on the run relay into a message (job/worker_messages.h),
// its records go to temporary files of its own, and it makes the runs the
// parent gives it, in increasing order.  Runs in between are passed over:
// with per-run random streams a run depends on nothing before it but the
// impact file's earlier lines, which the worker reads.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "job/state.h"
#include "job/worker_messages.h"
#include "output/output_files.h"

namespace vantrel {

// What the parent sends a worker, eight bytes each.
enum class WorkerCommandKind : std::int32_t {
    Run = 1,    // make run Run (a run counter, 1-based) next
    Abort = 2,  // end the run in progress as a confirmed abort would
    Quit = 3,   // no more runs: end
};
struct WorkerCommand {
    WorkerCommandKind Kind = WorkerCommandKind::Quit;
    std::int32_t Run = 0;
};

// No descriptor for any per-run file.
constexpr std::array<int, SharedStreamCount> NoStreams() {
    std::array<int, SharedStreamCount> fds{};
    fds.fill(-1);
    return fds;
}

// The descriptors a worker keeps; -1 where the job writes no such file.
struct WorkerPorts {
    int Parent = -1;    // a stream socket: messages out, commands in
    std::array<int, SharedStreamCount> Streams = NoStreams();  // by job/per_run_files.h
    int Initial = -1;   // initial conditions, with StoreInitial
};

// Runs the worker in the child process until the parent says Quit or goes
// away, and ends the process.  s is the parent's job state, its first run
// set up.
[[noreturn]] void RunWorkerProcess(SimulationState& s, const WorkerPorts& ports);

}  // namespace vantrel
