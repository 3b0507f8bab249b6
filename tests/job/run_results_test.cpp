// Per-run results through whole small jobs: the option adds its lines and
// tables and changes nothing else; a yield target ends the job; a table
// that cannot be created is reported once.
#include "job/run_results.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "io/result_tables.h"
#include "core/number_text.h"
#include "job/run_driver.h"
#include "tests/support/job_files.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_job.h"

namespace vantrel {
namespace {

using testing::JobFiles;
using testing::TempDir;

JobFiles ThreeRuns() {
    JobFiles job;
    job.Impacts = {"0 0 3", "0.4 0.2 3", "0.8 0.4 3"};
    job.MaxTimeFs = 8;
    return job;
}

struct ResultsRun {
    TempDir Dir;
    testing::RecordingUserInterface Ui;
    ProgramContext Program{Ui};
    OutputFileSet Outputs = JobFiles::Outputs(Dir);

    JobOutcome Run(const JobFiles& job, JobSettings limits = {}) {
        Program.Options.HotTarget = true;
        Program.RandomSeed = 77;
        return RunJob(Program, job.Write(Dir), Outputs, true, limits);
    }
    std::vector<std::string> Lines(const std::string& prefix) const {
        std::vector<std::string> found;
        for (const std::string& line : Ui.LogTexts())
            if (line.rfind(prefix, 0) == 0) found.push_back(line);
        return found;
    }
};

bool NewLine(const std::string& line) {
    for (const char* prefix : {"  Surface-binding energy for the results: ", "  Sputtered: ",
                               "  Sputtering yield: "})
        if (line.rfind(prefix, 0) == 0) return true;
    return line.find(" atoms near the surface still above the binding energy") != std::string::npos;
}

// With StoreResults the log gains only its own lines, and the tables hold a
// row per run; without it there are neither.
TEST(RunResults, TheOptionAddsItsLinesAndTablesAndNothingElse) {
    ResultsRun off, on;
    on.Program.Extended.StoreResults = true;
    ASSERT_EQ(off.Run(ThreeRuns()), JobOutcome::Completed);
    ASSERT_EQ(on.Run(ThreeRuns()), JobOutcome::Completed);

    std::vector<std::string> stripped = on.Ui.LogTexts();
    stripped.erase(std::remove_if(stripped.begin(), stripped.end(), NewLine), stripped.end());
    EXPECT_EQ(stripped, off.Ui.LogTexts());
    EXPECT_FALSE(std::filesystem::exists(off.Outputs.Results));
    EXPECT_FALSE(std::filesystem::exists(off.Outputs.Sputtered));

    EXPECT_EQ(on.Lines("  Surface-binding energy for the results: ").size(), 1u);
    EXPECT_EQ(on.Lines("  Sputtered: ").size(), 3u);
    ASSERT_EQ(on.Lines("  Sputtering yield: ").size(), 1u);
    EXPECT_EQ(on.Ui.LogTexts().back().rfind("  Sputtering yield: ", 0), 0u);
    EXPECT_NE(on.Ui.LogTexts().back().find(" over 3 runs;"), std::string::npos);

    const ResultsTableRead table = ReadResultsTable(on.Outputs.Results);
    ASSERT_TRUE(table.Ok);
    ASSERT_EQ(table.Rows.size(), 3u);
    for (std::size_t k = 0; k < 3; ++k) {
        const RunResultRecord& row = table.Rows[k];
        EXPECT_EQ(row.Run, static_cast<int>(k) + 1);
        EXPECT_DOUBLE_EQ(row.IonEnergy, 1000.0);
        EXPECT_EQ(row.IonZ, 18);
        EXPECT_EQ(row.SputteredBySpecies, (std::vector<std::pair<std::int32_t, std::int32_t>>{{29, row.Sputtered}}));
        // The central atom of this thin crystal: every row uses the logged value.
        EXPECT_EQ(on.Lines("  Surface-binding energy for the results: " +
                           FormatRealDecimals(4, row.SurfaceBinding) + " eV (cohesive energy of atom #")
                      .size(),
                  1u);
        EXPECT_NEAR(row.Time, 8.0, 0.5);
        EXPECT_FALSE(std::isnan(row.EnergyError));
    }
    EXPECT_DOUBLE_EQ(table.Rows[1].ImpactX, 0.4);
    EXPECT_TRUE(ReadSputteredTable(on.Outputs.Sputtered).Ok);
}

// The decision and its line: the relative standard error of the yields so
// far against the target, never before the minimum number of runs, never
// for a yield of nothing.
TEST(RunResults, YieldConvergesOnceItsRelativeErrorIsBelowTheTarget) {
    testing::TestJob job;
    job.State.Results.Active = true;
    for (const double y : {4.0, 5.0}) job.State.Results.Yield.Add(y);
    EXPECT_FALSE(YieldConverged(job.State, 0.1, 2));  // 0.5 / 4.5 = 0.111
    for (const double y : {4.0, 5.0}) job.State.Results.Yield.Add(y);
    EXPECT_FALSE(YieldConverged(job.State, 0.1, 5));
    ASSERT_TRUE(YieldConverged(job.State, 0.1, 4));  // 0.2887 / 4.5 = 0.0642
    EXPECT_EQ(job.Ui.LogTexts(),
              std::vector<std::string>{"  Yield converged: relative standard error 0.0642 below "
                                       "0.1000 after 4 runs"});
    testing::TestJob none;
    none.State.Results.Active = true;
    for (int k = 0; k < 5; ++k) none.State.Results.Yield.Add(0.0);
    EXPECT_FALSE(YieldConverged(none.State, 10.0, 2));
}

// A yield target alone classifies every run (the lines, no tables) and lets
// the job run on while the target is not reached.
TEST(RunResults, AYieldTargetClassifiesWithoutTables) {
    ResultsRun run;
    JobSettings limits;
    limits.UntilYieldError = 0.01;
    limits.MinRuns = 2;
    ASSERT_EQ(run.Run(ThreeRuns(), limits), JobOutcome::Completed);
    EXPECT_EQ(run.Lines("  Run count: ").size(), 3u);
    EXPECT_EQ(run.Lines("  Sputtered: ").size(), 3u);
    EXPECT_TRUE(run.Lines("  Yield converged: ").empty());
    EXPECT_FALSE(std::filesystem::exists(run.Outputs.Results));
    EXPECT_FALSE(std::filesystem::exists(run.Outputs.Sputtered));
}

// Step during run 2: that run's cascade is unfinished, so it gets no row
// and no share of the yield; runs 1 and 3 do.
TEST(RunResults, ARunEndedEarlyIsNotCounted) {
    ResultsRun run;
    run.Program.Extended.StoreResults = true;
    int events = 0;
    run.Ui.OnProcessEvents = [&] {
        if (run.Lines("  Run count: ").size() == 2 && ++events == 3) run.Program.AbortNow = true;
    };
    ASSERT_EQ(run.Run(ThreeRuns()), JobOutcome::Completed);
    EXPECT_EQ(run.Lines("  Run count: ").size(), 3u);
    EXPECT_EQ(run.Lines("  Results: run ended early, not counted"),
              std::vector<std::string>{"  Results: run ended early, not counted"});
    EXPECT_EQ(run.Lines("  Sputtered: ").size(), 2u);
    const ResultsTableRead table = ReadResultsTable(run.Outputs.Results);
    ASSERT_TRUE(table.Ok);
    ASSERT_EQ(table.Rows.size(), 2u);
    EXPECT_EQ(table.Rows[0].Run, 1);
    EXPECT_EQ(table.Rows[1].Run, 3);
    EXPECT_NE(run.Ui.LogTexts().back().find(" over 2 runs;"), std::string::npos);
}

TEST(RunResults, ATableThatCannotBeCreatedIsReportedOnce) {
    ResultsRun run;
    run.Program.Extended.StoreResults = true;
    run.Outputs.Results = run.Dir.File("missing/results.csv");
    ASSERT_EQ(run.Run(ThreeRuns()), JobOutcome::Completed);
    EXPECT_EQ(run.Lines("  Cannot create output file: ").size(), 1u);
    EXPECT_TRUE(run.Ui.HasLogLine("  Cannot create output file: " + run.Outputs.Results, ColourRed));
    // Its rows are lost without a further line: one report per file and job.
    EXPECT_TRUE(run.Lines("  Error writing output file: ").empty());
    EXPECT_TRUE(ReadSputteredTable(run.Outputs.Sputtered).Ok);
}

}  // namespace
}  // namespace vantrel
