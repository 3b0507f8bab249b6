// A job's runs shared out to worker processes (`vantrel-cli run --jobs N`).
//
// Only with per-run random streams: a run's numbers then follow from the
// job's seed and its run number alone, so any process can make any run and
// the job's files are the same whichever did.
//
// - The parent (this process) reads the input files, logs the summary, asks
//   every question and sets up the first run as one process does, its lines
//   going to the log as they come.  Then it forks the workers
//   (job/worker_process.h), which start from that state; the parent makes
//   no trajectory itself and stays on one thread.
// - It hands out the runs in order, the next to whichever worker is free,
//   and keeps each finished run's messages and the places of its records in
//   the worker's temporary files.
// - It writes every run whole, in run order, as soon as the runs before it
//   are written: the run's log lines, boxes and relay calls again through
//   its own interface, the figures that run over the job (job/run_figures.h)
//   summed here in run order from the workers' exact values, the initial
//   conditions, and the records and events lines appended to the job's
//   files.  Log, records and events file are one process's to the byte.
// - One progress text for the whole job: runs done of all, time elapsed and
//   the time left at the rate so far.
// - An abort (Ctrl-C in the runner, Cancel on the desktop) is asked here,
//   once.  Yes ends the run in progress in every worker as a confirmed abort
//   ends a run, and every finished run is written.
// - A worker that dies loses its run: an error box at once, a red line
//   "  Run 7 lost: its worker process was killed by signal 9 (Killed)" in
//   the run's place in the log, no further runs handed out, every finished
//   run written, and the job fails.
// - A run that ends the job (a partner-list overflow, a fault outside the
//   guarded passes, a run that cannot be set up) ends it here as in one
//   process: the runs after it are not written.
//
// The temporary files lie beside the job's own files (in the system's
// temporary folder where that is not possible) and are unlinked as soon as
// they are open, so that nothing is left behind whatever happens to the
// processes; the parent frees each run's part once it is copied.
#pragma once

#include <cstdint>
#include <optional>

#include "job/run_driver.h"
#include "job/state.h"

namespace vantrel {

// Shares runs 1..runs (run counters) of the job in s, whose first run is set
// up and whose files are placed, among `workers` processes.  Returns the
// job's outcome, with s.RunCounter the runs written and the job's sums those
// of the written runs; nullopt after a warning box when the workers could
// not be started (the caller then makes the runs itself).
std::optional<JobOutcome> ShareRuns(SimulationState& s, std::int32_t workers, std::int32_t runs);

}  // namespace vantrel
