// The job's output files: the initial-conditions and dynamical-variables
// files (40-byte ParticleSample records, see particle_sample.h) and the
// inelastic-events text file (lines from event_line.h).
//
// A record that cannot be written is data the user will not get back, so the
// binary writers report a failure to create or write a file in red in the
// log, naming the file: "  Cannot create output file: <name>" or
// "  Error writing output file: <name>".  Each file reports at most once per
// job; later failures of the same file stay silent.
#pragma once

#include <string_view>

#include "job/state.h"
#include "output/event_line.h"
#include "output/particle_sample.h"

namespace vantrel {

// Creates the dynamical-variables file (s.Outputs.DynamicalVariables) anew
// and keeps it open in s.DynamicalFile for the whole job.  False, after the
// red log line, when it cannot be created.
bool CreateDynamicalFile(SimulationState& s);

// Appends one record to the dynamical-variables file.  False when the record
// could not be written (reported once per job).
bool AppendSample(SimulationState& s, const ParticleSample& sample);

// Pushes buffered records to the file; the sampling loop calls it at the end
// of every pass, so a full disk is noticed within one pass.
bool FlushDynamicalFile(SimulationState& s);

// Flushes and closes the dynamical-variables file at the end of the job.
void CloseDynamicalFile(SimulationState& s);

// Creates the initial-conditions file anew (s.Outputs.InitialConditions) and
// writes one record per particle 0..AtomCount with Time 0 and the current
// positions and momenta, then closes it.  The caller decides when (once per
// trajectory, after the start values are set).  False when the file could not
// be created or written (reported once per job).
bool WriteInitialConditions(SimulationState& s);

// Creates the inelastic-events file (s.Outputs.InelasticEvents) as an empty
// text file, replacing any old one, and keeps it open in s.EventsFile.
// Returns false without any message: the run driver reports this failure.
bool CreateEventsFile(SimulationState& s);

// Appends one line (a line end is added) to the events file.  A failed write
// is reported once per job in red.
bool AppendEventsLine(SimulationState& s, std::string_view line);

// Flushes and closes the inelastic-events file at the end of the job.
void CloseEventsFile(SimulationState& s);

// Appends one event's line to the events file.
bool WriteEventLine(SimulationState& s, const InelasticEvent& event);

// The six end-of-run LSS lines: group 0 then group 1, codes 0, 4, 10 each,
// from s.LssChannel, with the run's number and the given timestep (s).
void WriteLssTotals(SimulationState& s, double timestep);

}  // namespace vantrel
