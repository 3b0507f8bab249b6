// Batch runs: several jobs one after another, named by a batch definition
// file, without questions in between.
//
// The batch definition file (*.bdf) and its items are read by
// io/batch_file.h: each group of ten lines names one job's six input and
// three output files.  Blank lines after the last item make another item
// whose names are empty, and the existence check then stops the batch after
// the real items.
//
// The loop runs behind UserInterface; the window's own per-item work (project
// tree, running and idle states, caption) comes in through BatchHooks, so the
// desktop window and the console runner share it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "io/batch_file.h"
#include "job/program.h"
#include "job/run_driver.h"
#include "job/state.h"

namespace vantrel {

inline constexpr const char* BatchMissingInputText =
    "One or more input files specified for the batch job was not found.";
inline constexpr const char* BatchReadErrorText = "Error reading batch definition file.";
inline constexpr const char* BatchAbortQuestionText = "Abort remaining batch jobs?";
inline constexpr const char* BatchStatusText = "Running in batch mode";
inline constexpr const char* IdleStatusText = "Ready to run";

// How a batch ended.
enum class BatchEnd {
    EndOfFile,     // every item of the file was run
    MissingInput,  // an item named a missing or wildcard input file
    ReadError,     // the file could not be read
    UserAborted,   // "Abort remaining batch jobs?" answered Yes
    Stopped,       // the caller's StopRequested said so
};

struct BatchResult {
    BatchEnd End = BatchEnd::EndOfFile;
    std::int32_t ItemsRun = 0;        // jobs started
    std::int32_t ItemsCompleted = 0;  // jobs whose outcome was Completed
};

// The caller's part of each item.  Every hook may be left empty.
struct BatchHooks {
    // Before the first item: the window enables its graph button and stops
    // accepting dropped files.
    std::function<void()> BatchStarting;
    // The item passed the existence check: its files become the program's
    // current ones and are shown in the project tree.
    std::function<void(const BatchItem&)> ItemChosen;
    // Right before the job: running state and the caption
    // BatchItemCaption(counter, item.Title).
    std::function<void(std::int32_t counter, const BatchItem&)> ItemStarting;
    // Right after the job: back to the idle state.
    std::function<void(const BatchItem&, JobOutcome)> ItemFinished;
    // After the last item, whatever ended the batch: caption "Vantrel 1.0",
    // dropped files accepted again.
    std::function<void()> BatchFinished;
    // Asked before each item and after each job; true ends the batch at once
    // (the console runner's Ctrl-C).
    std::function<bool()> StopRequested;
};

// Runs one item's job; the real one is RunJob in batch mode (see RunBatch).
using BatchJob = std::function<JobOutcome(const InputFileSet&, const OutputFileSet&)>;

// "Vantrel 1.0 (batch item #" + counter + " " + title + ")".
std::string BatchItemCaption(std::int32_t counter, std::string_view title);

// True when the five files a job cannot do without (projectile, impact, run,
// target, model) are existing plain files.  The inelastic file is left to the
// run driver, which needs it only when an inelastic model is on.
bool BatchItemInputsExist(const BatchItem& item);

// The loop over an open batch file: read an item, check it, run it through
// job, ask "Abort remaining batch jobs?" when its last run ended with AbortNow
// set, and stop at the end of the file.  A read error is reported after the
// loop with "Error reading batch definition file.".
BatchResult RunBatchItems(ProgramContext& program, std::string_view path,
                          const BatchHooks& hooks, const BatchJob& job);

// RunBatchItems with every item run by RunJob in batch mode (no summary
// question).  settings go to every job by reference, as the caller holds them
// (a batch has no runs file: its relay should be null).
BatchResult RunBatch(ProgramContext& program, std::string_view path, const BatchHooks& hooks,
                     const JobSettings& settings = {});

// The window's check of a chosen batch file: false after the error box
// "File not found: " + name + "." when nothing is there.
bool CheckBatchFileExists(UserInterface& ui, std::string_view path);

}  // namespace vantrel
