// `vantrel-cli join`: the files of slices of one long job put together into
// the files the long job writes.
//
// A slice is a job run with per-run random streams and the long job's seed,
// RunOffset and --max-runs cutting out consecutive runs, its files named
// after it: SLICE.log with its runs file SLICE.log.runs (job/runs_file.h),
// SLICE.vsk, SLICE.dat.  Joined:
//
// - the log: the first slice's opening lines, every run's block in run
//   order, with the lines a slice's first run logs only because it was its
//   job's first replaced by what a later run logs, and the figures that run
//   over the job (job/run_figures.h) summed again in run order from the
//   runs files' exact values; then the closing mean of the energy error;
// - the records and the per-run text tables: the slices' files one after
//   another in run order, each keeping only the records (lines) of its
//   finished runs.
//
// The slices must make one job: the same opening lines (files, summary,
// seed), and runs that follow each other without a gap or a run twice.  A
// run that ended its slice's job early (Ctrl-C, an abort) counts only as
// the last run joined; elsewhere it must be made again by another slice.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "job/per_run_files.h"

namespace vantrel {

struct JoinRequest {
    std::vector<std::string> Slices;  // names without extension
    std::string Log;                  // the joined log; empty: no log
    // The per-run files besides the log (job/per_run_files.h), and the
    // joined file of each (empty: not joined).  A slice's file is named
    // after the slice with the file's SliceExtension; records whole, or
    // text lines whose first field is the run number after the header
    // lines (kept from the first slice).
    std::span<const PerRunFile> Types = PerRunFiles;
    std::vector<std::string> Files;
};

struct JoinReport {
    std::int32_t Slices = 0;
    std::int32_t FirstRun = 0, LastRun = 0;
    std::vector<std::string> Notes;  // runs left out, files kept as name~
};

// A slice's name from the argument: "slice_3.log" or "slice_3" -> "slice_3".
std::string SliceName(const std::string& argument);

// Joins the slices; nothing is written unless everything can be.  False
// with a one-line reason when they do not make one job or a file cannot be
// read or written.
bool JoinSlices(const JoinRequest& request, JoinReport& report, std::string& error);

}  // namespace vantrel
