// Slices of one job put together (vantrel-cli join), here with hand-made
// slices and a per-run table of the kind a results option writes: a header
// line, then one row per run, its run number first.
#include <gtest/gtest.h>

#include <array>

#include "job/slice_join.h"
#include "tests/support/temp_dir.h"

namespace vantrel {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;

constexpr std::array FakeTables{
    PerRunFile{"--fake", ".fake.csv", 0, 1, nullptr},
};

TEST(SliceJoin, PerRunTablesKeepOneHeaderAndTheFinishedRunsInRunOrder) {
    TempDir dir;
    // Runs 1 and 2; then run 3, and run 4 stopped before its block was done.
    dir.Write("a.log", "opening\n  Run count: 1\nrow one\n  Run count: 2\nrow two\n");
    dir.Write("a.log.runs", "vantrel-runs 1\nseed 9\nrun 1 1\ndone 1 3 1 0\nrun 2 3\ndone 2 5 1 0\n");
    dir.Write("a.fake.csv", "run,x\n1,a\n2,b\n");
    dir.Write("b.log", "opening\n  Run count: 3\nrow three\n  Run count: 4\nhalf\n");
    dir.Write("b.log.runs", "vantrel-runs 1\nseed 9\nrun 3 1\ndone 3 3 1 0\nrun 4 3\n");
    dir.Write("b.fake.csv", "run,x\n3,c\n4,d\n");

    JoinRequest request;
    request.Slices = {dir.File("b"), dir.File("a.log")};
    request.Log = dir.File("joined.log");
    request.Types = FakeTables;
    request.Files = {dir.File("joined.csv")};
    JoinReport report;
    std::string error;
    ASSERT_TRUE(JoinSlices(request, report, error)) << error;
    EXPECT_EQ(report.FirstRun, 1);
    EXPECT_EQ(report.LastRun, 3);
    EXPECT_EQ(ReadFileBytes(dir.File("joined.csv")), "run,x\n1,a\n2,b\n3,c\n");
    EXPECT_EQ(ReadFileBytes(dir.File("joined.log")),
              "opening\n  Run count: 1\nrow one\n  Run count: 2\nrow two\n  Run count: 3\nrow three\n");
}

}  // namespace
}  // namespace vantrel
