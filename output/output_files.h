// The job's output files: the initial-conditions and dynamical-variables
// files (40-byte ParticleSample records, see particle_sample.h) and the
// inelastic-events text file (lines from event_line.h).
//
// The writers say what happened by a status and nothing else; the job turns
// a failure into its log line.  A record or line that cannot be written is
// data the user will not get back, so every failure comes back as a status,
// also the buffered rest that a flush or close cannot write.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

#include "core/file_handle.h"
#include "core/inelastic_event.h"
#include "core/particles.h"
#include "output/particle_sample.h"

namespace vantrel {

enum class OutputStatus : std::uint8_t {
    Ok,            // created, or everything written
    CannotCreate,  // the file could not be created
    WriteFailed,   // a record or line, or the buffered rest, was not written
};

// The first failure of a and b; Ok only when both are.
inline OutputStatus FirstFailure(OutputStatus a, OutputStatus b) {
    return a != OutputStatus::Ok ? a : b;
}

// One output file of a job.
struct OutputFile {
    std::string Name;           // as last created; failures are reported under it
    FileHandle Handle;          // open while the file is being written
    bool FailureShown = false;  // the job has reported a failure of this file
};

// The three output files of one job.
struct OutputFiles {
    OutputFile InitialConditions;
    OutputFile DynamicalVariables;
    OutputFile InelasticEvents;
};

// Creates the dynamical-variables file anew under name and keeps it open for
// the whole job.
OutputStatus CreateDynamicalFile(OutputFiles& files, std::string_view name);

// Appends one record.  WriteFailed also when the file is not open: the record
// is lost either way.
OutputStatus AppendSample(OutputFiles& files, const ParticleSample& sample);

// Pushes buffered records to the file; the sampling pass does it at the end
// of every pass, so a full disk is noticed within one pass.  Ok when the file
// is not open (nothing is buffered).
OutputStatus FlushDynamicalFile(OutputFiles& files);

// Flushes and closes the dynamical-variables file at the end of the job.
OutputStatus CloseDynamicalFile(OutputFiles& files);

// Creates the initial-conditions file anew under name and writes one record
// per particle 0..AtomCount with Time 0, the current positions and momenta
// Mass * V, then closes it.  The caller decides when (once per trajectory,
// after the start values are set).
OutputStatus WriteInitialConditions(OutputFiles& files, std::string_view name,
                                    const ParticleTable& particles, std::int32_t runNumber);

// The initial-conditions records of particles 0..AtomCount as above, onto
// an open stream.
OutputStatus WriteInitialRecords(std::FILE* file, const ParticleTable& particles,
                                 std::int32_t runNumber);

// Creates the initial-conditions file anew under name with these whole
// records, written elsewhere, and closes it.
OutputStatus WriteInitialConditions(OutputFiles& files, std::string_view name,
                                    std::string_view records);

// Appends whole records or lines, written elsewhere, to an open file in one
// write (a flush from another thread never splits a record).
OutputStatus AppendWhole(OutputFile& file, std::string_view bytes);

// Creates the inelastic-events file anew under name as an empty text file and
// keeps it open for the whole job.
OutputStatus CreateEventsFile(OutputFiles& files, std::string_view name);

// Appends one line (a line end is added) to the events file.
OutputStatus AppendEventsLine(OutputFiles& files, std::string_view line);

// Appends one event's line to the events file.
OutputStatus WriteEventLine(OutputFiles& files, const InelasticEvent& event);

// The six end-of-run LSS lines: group 0 then group 1, codes 0, 4, 10 each,
// from the six channel totals (J) in that order, with the run's number and the
// given timestep (s).  Every line is attempted; the first failure is returned.
OutputStatus WriteLssTotals(OutputFiles& files, std::int32_t runNumber,
                            std::span<const double, 6> channels, double timestep);

// Flushes and closes the inelastic-events file at the end of the job.
OutputStatus CloseEventsFile(OutputFiles& files);

}  // namespace vantrel
