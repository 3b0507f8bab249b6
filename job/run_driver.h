// One job: read and check the input files, show the summary, run one
// trajectory per impact line, and finish cleanly on every path.
#pragma once

#include <cstdint>
#include <string>

#include "job/program.h"
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

struct JobLimits {
    std::int32_t MaxRuns = 0;  // 0: no limit; otherwise stop after this many runs
    // 0: none; otherwise stop once the sputtering yield's relative standard
    // error is below this, after at least MinRuns runs (job/run_results.h).
    double UntilYieldError = 0;
    std::int32_t MinRuns = 10;
};

JobOutcome RunJob(ProgramContext& program, const InputFileSet& inputs,
                  const OutputFileSet& outputs, bool batchMode, const JobLimits& limits = {});

}  // namespace vantrel
