// One job: read and check the input files, show the summary, run one
// trajectory per impact line, and finish cleanly on every path.
#pragma once

#include <cstdint>
#include <string>

#include "io/impact_file.h"
#include "job/program.h"
#include "job/run_relay.h"
#include "job/state.h"

namespace vantrel {

// How a job ended, for callers that need more than the log (the headless
// runner's exit status, the batch loop).
enum class JobOutcome {
    Completed,  // the impact file ran to its end (or to the run limit)
    Aborted,    // a confirmed abort or a partner-list overflow ended the job
    Declined,   // the user answered No to the summary question
    Failed,     // an input file, an output file or a run could not be set up
};

// How the caller wants a job run, besides its files.
struct JobSettings {
    std::int32_t MaxRuns = 0;  // 0: no limit; otherwise stop after this many runs
    // 0: none; otherwise stop once the sputtering yield's relative standard
    // error is below this, after at least MinRuns runs (job/run_results.h).
    double UntilYieldError = 0;
    std::int32_t MinRuns = 10;
    // Worker processes that share the runs (job/parallel_runs.h), at most one
    // per run.  Only with per-run random streams: without them every job
    // makes its runs here, one after another.
    std::int32_t Workers = 1;
    // Told of the runs besides the log (job/run_relay.h): the runs file.
    RunRelay* Relay = nullptr;
};

JobOutcome RunJob(ProgramContext& program, const InputFileSet& inputs,
                  const OutputFileSet& outputs, bool batchMode, const JobSettings& settings = {});

// The run driver's steps around a trajectory, shared with the worker
// processes.  SetUpRun starts run s.RunCounter + 1: its "  Run count: "
// line, its impact point, its random stream, the target set-up and the
// velocities; false after "General initialisation error (or aborted by
// user)." when it cannot start.  FinishRun ends the run's block.
bool SetUpRun(SimulationState& s, ImpactFile& impacts, bool dynamicalFileReady);
void FinishRun(SimulationState& s, bool continueJob);

}  // namespace vantrel
