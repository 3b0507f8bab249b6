// Ctrl-C as the job sees it, in-process: the press count is read at the
// job's event points (every partner-list rebuild and the end of every run).
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/arguments.h"
#include "cli/commands.h"
#include "tests/cli/cli_test_support.h"
#include "tests/support/file_texts.h"
#include "tests/support/job_files.h"
#include "tests/support/temp_dir.h"

namespace vantrel::cli {
namespace {

using vantrel::testing::CapturedStream;
using vantrel::testing::JobFiles;
using vantrel::testing::Occurrences;
using vantrel::testing::TempDir;

struct Outcome {
    int Status = -1;
    std::string Out, Err;
    int Polls = 0;
};

// Runs `run` on job with a Ctrl-C that counts as pressed from the
// pressedFromPoll-th look at the count on.
Outcome RunWithPress(const JobFiles& job, int pressedFromPoll) {
    TempDir dir;
    const InputFileSet files = job.Write(dir);
    CliArguments args;
    std::string error;
    EXPECT_TRUE(ParseArguments({"run", "--answer", "yes", "--dynamic", dir.File("dyn.vsk"),
                                files.Projectile},
                               args, error))
        << error;
    CapturedStream out, err;
    Outcome outcome;
    outcome.Status = RunJobCommand(args, out.get(), err.get(), [&] {
        ++outcome.Polls;
        return outcome.Polls >= pressedFromPoll ? 1 : 0;
    });
    outcome.Out = out.Text();
    outcome.Err = err.Text();
    return outcome;
}

JobFiles ThreeRuns() {
    JobFiles job;
    job.Impacts = {"0 0 3", "0.2 0.1 3", "0.4 0.2 3"};
    job.MaxTimeFs = 6;
    job.MinTimeFs = 6;
    return job;
}

TEST(Interrupt, PressSeenAtARebuildIsAConfirmedAbortAtTheNext) {
    JobFiles job = ThreeRuns();
    job.UpdateInterval = 5;
    const Outcome o = RunWithPress(job, 2);  // the step-5 rebuild of run 1
    EXPECT_EQ(o.Status, ExitInterrupted);
    EXPECT_EQ(Occurrences(o.Out, "  Run count: "), 1);
    EXPECT_EQ(Occurrences(o.Out, "  Aborting simulation after next cycle...\n"), 1);
    EXPECT_EQ(Occurrences(o.Out, "  No. of timesteps executed = 10\n"), 1);  // ended at step 10
    EXPECT_EQ(o.Err,
              "question: Proceed with simulation now? -> yes\n"
              "interrupt: the job ends after this run (Ctrl-C again stops at once)\n"
              "question: Do you really wish to abort the simulation? -> yes (Ctrl-C)\n");
}

TEST(Interrupt, PressSeenOnlyAtTheEndOfARunStillEndsTheJobThere) {
    // With no rebuild after step 0, the second look at the count is the one
    // at the end of run 1: no rebuild is left to ask the abort question, and
    // the run limit ends the job instead.
    JobFiles job = ThreeRuns();
    job.UpdateInterval = 100000;
    const Outcome o = RunWithPress(job, 2);
    EXPECT_EQ(o.Status, ExitInterrupted);
    EXPECT_EQ(Occurrences(o.Out, "  Run count: "), 1);
    EXPECT_EQ(Occurrences(o.Out, "                 * TERMINATED *\n"), 1);
    EXPECT_EQ(Occurrences(o.Out, "Aborting"), 0);
    EXPECT_EQ(o.Err,
              "question: Proceed with simulation now? -> yes\n"
              "interrupt: the job ends after this run (Ctrl-C again stops at once)\n");
}

// Without a press every impact line runs: Runner.GoodJobExitsZeroWithTheLogOnStandardOutput.

}  // namespace
}  // namespace vantrel::cli
