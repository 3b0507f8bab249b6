// Per-run results of a job: the classification of every particle when a run
// ends (core/run_outcome.h), the two result tables (output/result_tables.h),
// the yield so far and the lines that report them.
//
// Nothing here runs unless the job classifies its runs (the StoreResults
// option, or a yield target of the run driver): without it every line and
// file of a job is what it always was.  With it:
//   - at the job's start the two tables are created (StoreResults only); a
//     failure is logged once per file and job like the other outputs'
//     ("  Cannot create output file: ...") and the job goes on;
//   - at the end of run 1, "  Surface-binding energy for the results: ..."
//     names the binding energy in use;
//   - at the end of every run, before the report's closing blank line, one
//     blue line with the run's sputtered atoms and the projectile's fate,
//     and a red warning when bound atoms near the surface were still faster
//     than the binding energy (the run may have ended too early);
//   - at the job's end the yield over its runs.
#pragma once

#include <cstdint>

#include "core/trajectory_state.h"
#include "job/state.h"

namespace vantrel {

// Decides whether this job classifies its runs and, with StoreResults,
// creates the result tables (s.Outputs.Results, s.Outputs.Sputtered).
void StartResults(SimulationState& s, bool yieldTarget);

// At the end of a run, after its energy report: classifies, logs, appends
// the rows.  energyError is the run's relative energy error (%), NaN when
// the job does not report energies.  A run ended early (Step, a confirmed
// abort, an overflowing partner list) is logged as such and not counted.
void RecordRunResults(SimulationState& s, const TrajectoryState& t, double energyError);

// True, after the blue line "  Yield converged: ...", when at least minRuns
// runs have been classified and the yield's relative standard error has
// fallen below relativeError.
bool YieldConverged(SimulationState& s, double relativeError, std::int32_t minRuns);

// At the end of the job (every way out after StartResults): the yield line
// when a run was classified, then the tables closed.
void FinishResults(SimulationState& s);

}  // namespace vantrel
