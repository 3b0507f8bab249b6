// The progress beside the status text: how many runs a job will make, the
// estimate of the time left and its wording.
#include "job/progress.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace vantrel {
namespace {

TEST(Progress, RunsAreTheImpactPointsAfterTheOffsetAtLeastOneAndAtMostTheLimit) {
    testing::TempDir dir;
    const struct {
        const char* Text;
        std::int32_t Skip, MaxRuns, Runs;
    } cases[] = {
        {"0 0 3\n1 1 3\n2 2 3\n3 3 3\n4 4 3\n", 0, 0, 5},
        {"0 0 3\n1 1 3\n2 2 3\n3 3 3\n4 4 3\n", 3, 0, 2},  // runs 4 and 5
        {"0 0 3\n1 1 3\n2 2 3\n3 3 3\n4 4 3\n", 0, 2, 2},
        {"0 0 3\n1 1 3\n", 5, 0, 1},            // nothing left: one run of zeros
        {"0 0 3\n1 1 3", 0, 0, 2},              // no final line end
        {"0 0 3\n1 1 3\n\n", 0, 0, 3},          // a blank line is one more point of zeros
        {"", 0, 0, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CountJobRuns(dir.Write("job.imp", c.Text), c.Skip, c.MaxRuns), c.Runs)
            << c.Text << " skip " << c.Skip << " limit " << c.MaxRuns;
    EXPECT_EQ(CountJobRuns(dir.File("absent.imp"), 0, 0), 1);
}

TEST(Progress, EstimateFromFinishedRunsOrFromTheFirstRunsShareOfMaxTime) {
    const struct {
        std::int32_t Run, Runs;
        double InRun, Mean, Time, MaxTime, Left;
    } cases[] = {
        {2, 10, 3, 10, 50e-15, 300e-15, 7 + 8 * 10},  // mean of finished runs
        {2, 10, 14, 10, 50e-15, 300e-15, 8 * 10},      // a run longer than the mean
        {10, 10, 4, 10, 0, 300e-15, 6},
        {1, 4, 5, 0, 100e-15, 300e-15, 10 + 3 * 15},   // a third of max time in 5 s
        {1, 4, 5, 0, 400e-15, 300e-15, 3 * 5},         // past max time: the run is nearly done
        {1, 4, 0.1, 0, 1e-15, 300e-15, -1},            // too little to go by
        {1, 4, 1, 0, 10e-15, 0, -1},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(EstimateSecondsLeft(c.Run, c.Runs, c.InRun, c.Mean, c.Time, c.MaxTime), c.Left)
            << c.Run << " of " << c.Runs << " at " << c.InRun << " s";
}

TEST(Progress, TextNamesTheRunAndRoundsTheTimeLeftUp) {
    const struct {
        std::int32_t Run, Runs;
        double Left;
        const char* Text;
    } cases[] = {
        {1, 10, -1, "Run 1 of 10"},
        {2, 10, 0.2, "Run 2 of 10, about 1 s left"},
        {2, 10, 59.5, "Run 2 of 10, about 60 s left"},
        {2, 10, 61, "Run 2 of 10, about 2 min left"},
        {2, 10, 3600, "Run 2 of 10, about 1 h 00 min left"},
        {3, 100, 7300, "Run 3 of 100, about 2 h 02 min left"},
        {5, 3, -1, "Run 5 of 5"},  // never fewer runs than the one under way
    };
    for (const auto& c : cases) EXPECT_EQ(ProgressText(c.Run, c.Runs, c.Left), c.Text) << c.Left;
}

}  // namespace
}  // namespace vantrel
