// The job's side of its output files and selection filter: the drivers call
// these with the job's state; the records, writers, filters and the
// expression language are in output/.
//
// A record that cannot be written is data the user will not get back, so a
// failure to create or write a binary file or to write the events file is
// reported in red in the log, naming the file:
// "  Cannot create output file: <name>" or "  Error writing output file: <name>".
// Each file reports at most once per job; later failures of the same file
// stay silent.  Errors of the selection expression open the
// "Error parsing expression" window at the moment they happen.
#pragma once

#include <string_view>

#include "core/inelastic_event.h"
#include "job/state.h"
#include "output/output_files.h"

namespace vantrel {

// Logs the failure of a file in red, the first time only in this job.
void ReportOutputStatus(SimulationState& s, OutputFile& file, OutputStatus status);

// Creates the dynamical-variables file (s.Outputs.DynamicalVariables) anew,
// under its staging name until the job has started (job/output_backups.h),
// and keeps it open for the whole job.  False, after the red log line, when
// it cannot be created.
bool CreateDynamicalFile(SimulationState& s);

// Flushes and closes the dynamical-variables file at the end of the job.
void CloseDynamicalFile(SimulationState& s);

// Writes the initial-conditions file (s.Outputs.InitialConditions) from the
// particle table; the first write of a job keeps an earlier file as backup.
// False when it could not be created or written.  In a worker process the
// relay takes the records instead (job/run_relay.h).
bool WriteInitialConditions(SimulationState& s);

// The same with the records of a run made in a worker process, written by
// the parent in the run's turn.
bool WriteInitialConditions(SimulationState& s, std::string_view records);

// Creates the inelastic-events file (s.Outputs.InelasticEvents) as an empty
// text file, staged like the dynamical-variables file, and keeps it open.  Returns false without
// any message: the run driver reports this failure.
bool CreateEventsFile(SimulationState& s);

// Whether the events file is open, so that lines are stored at all.
bool EventsFileOpen(const SimulationState& s);

// Appends one event's line to the events file.
bool WriteEventLine(SimulationState& s, const InelasticEvent& event);

// The six end-of-run LSS lines from s.LssChannel, with the run's number and
// the given timestep (s).
void WriteLssTotals(SimulationState& s, double timestep);

// Flushes and closes the inelastic-events file at the end of the job.
void CloseEventsFile(SimulationState& s);

// One sampling pass of the job's filter over particles 0..AtomCount at the
// given time: periodic passes skip Recorded particles when SkipRecorded is set.
void SampleParticles(SimulationState& s, double time, bool periodic);

}  // namespace vantrel
