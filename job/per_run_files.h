// The files a job fills run by run, in run order: the dynamical-variables
// records and the inelastic-events lines, and any per-run table of rows
// whose first field is the run number.  Worker processes
// (job/parallel_runs.h) write their runs' part of each into a temporary
// file of their own and the parent appends the parts in run order;
// `vantrel-cli join` (job/slice_join.h) puts the slices' files together.
// Both go by this list alone: a further per-run table is one more row.
//
// A text table may begin with header lines, written once per file: by the
// job when it creates the file, or with its first row.  In the second case
// every worker writes them again before its own first row; the parent keeps
// them once and drops the others (TakeHeader).  `join` keeps the header of
// the first slice.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "job/state.h"
#include "output/output_files.h"
#include "output/particle_sample.h"

namespace vantrel {

struct PerRunFile {
    const char* JoinFlag;       // the `join` option that names the joined file
    const char* SliceExtension; // a slice's file: the slice's name and this
    std::size_t RecordBytes;    // whole records of this many bytes; 0: text lines
    int HeaderLines;            // text: the lines before the first row
    OutputFile& (*File)(SimulationState& s);  // the job's file, open while it runs
};

inline constexpr std::array PerRunFiles{
    PerRunFile{"--dynamic", ".vsk", SampleRecordSize, 0,
               [](SimulationState& s) -> OutputFile& { return s.Output.Files.DynamicalVariables; }},
    PerRunFile{"--events", ".dat", 0, 0,
               [](SimulationState& s) -> OutputFile& { return s.Output.Files.InelasticEvents; }},
};
inline constexpr std::size_t PerRunFileCount = PerRunFiles.size();

// A worker's first part of a table whose header comes with the first row
// begins with the header.  Takes it off part and returns what of it goes
// into the job's file: all of it the first time (jobHasHeader then becomes
// true), nothing after that.  A part without its whole header is left alone.
std::string_view TakeHeader(std::string_view& part, int headerLines, bool& jobHasHeader);

// The whole lines of a text (a log, a runs file, a table); a last line
// without its line end is left out.
std::vector<std::string> WholeLines(const std::string& text);

}  // namespace vantrel
