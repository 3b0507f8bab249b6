// The benchmarks' phase timers: what they count, and that attaching them
// changes nothing a job does.
#include "core/step_timers.h"

#include <gtest/gtest.h>

#include "job/program.h"
#include "job/run_driver.h"
#include "tests/support/job_files.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

namespace vantrel {
namespace {

using testing::RecordingUserInterface;
using testing::JobFiles;
using testing::TempDir;

struct TimedJob {
    TempDir Dir;
    RecordingUserInterface Ui;
    ProgramContext Program{Ui};
    OutputFileSet Outputs;

    JobOutcome Run(const JobFiles& job, StepTimers* timers) {
        Program.Timers = timers;
        Outputs = JobFiles::Outputs(Dir);
        return RunJob(Program, job.Write(Dir), Outputs, true);
    }
};

// A free four-atom cluster (one fcc cell, every pair 2.55 A apart) and a
// projectile 50 A above it, far outside the list radius: six listed pairs
// at every rebuild.  0.1 fs fixed steps to 1.95 fs make 20 steps, with the
// lists rebuilt before steps 1 and 11.
JobFiles ClusterJob() {
    JobFiles job;
    job.Cells = {1, 1, 1};
    job.TimestepS = 1.0e-16;
    job.UpdateInterval = 10;
    job.MaxTimeFs = 1.95;
    job.MinTimeFs = 1.95;
    job.Impacts = {"0 0 50"};
    return job;
}

// Three runs of 20 steps each; the counts add up over the runs of the job.
TEST(StepTimers, CountStepsRebuildsParticlesAndListedPairsOverTheRunsOfAJob) {
    TimedJob run;
    run.Program.Options.FixedTimestep = true;
    JobFiles job = ClusterJob();
    job.Impacts = {"0 0 50", "0.5 0 50", "0 0.5 50"};
    StepTimers timers;
    ASSERT_EQ(run.Run(job, &timers), JobOutcome::Completed);
    EXPECT_EQ(timers.Steps, 3 * 20);
    EXPECT_EQ(timers.Rebuilds, 3 * 2);
    EXPECT_EQ(timers.ParticleSteps, 3 * 20 * 5);
    EXPECT_EQ(timers.ListedPairs, 3 * 20 * 6);
    EXPECT_EQ(timers.PairsWithinCutoff, 3 * 20 * 6);
    EXPECT_GT(timers.LoopSeconds, 0.0);
    EXPECT_GT(timers.ForceSeconds, 0.0);
    EXPECT_GT(timers.RebuildSeconds, 0.0);
    EXPECT_GT(timers.MotionSeconds, 0.0);
    EXPECT_LE(timers.ForceSeconds + timers.RebuildSeconds + timers.MotionSeconds,
              timers.LoopSeconds);
}

// A cascade with the adaptive timestep, energy reports and a final sample of
// every particle: the log (energies to eight digits) and the output records
// are the same byte for byte with and without timers.
TEST(StepTimers, LeaveEveryMessageAndRecordUnchanged) {
    JobFiles job;
    job.Cells = {3, 3, 2};
    job.SampleMode = 3;
    job.SamplePeriod = 7;
    job.MaxTimeFs = 8;
    job.Impacts = {"0.3 0.4 3.0", "0.9 0.1 3.0"};

    TimedJob plain;
    plain.Program.Options.HotTarget = true;
    ASSERT_EQ(plain.Run(job, nullptr), JobOutcome::Completed);
    TimedJob timed;
    timed.Program.Options.HotTarget = true;
    StepTimers timers;
    ASSERT_EQ(timed.Run(job, &timers), JobOutcome::Completed);

    EXPECT_GT(timers.Steps, 0);
    EXPECT_EQ(plain.Ui.LogTexts(), timed.Ui.LogTexts());
    const std::string plainRecords = testing::ReadFileBytes(plain.Outputs.DynamicalVariables);
    EXPECT_FALSE(plainRecords.empty());
    EXPECT_EQ(plainRecords, testing::ReadFileBytes(timed.Outputs.DynamicalVariables));
}

}  // namespace
}  // namespace vantrel
