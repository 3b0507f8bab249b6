#include "job/projectile_file.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/coloured_log.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

namespace vantrel {
namespace {

using testing::ColouredLog;
using testing::TempDir;

struct Job {
    testing::RecordingUserInterface ui;
    ProgramContext program{ui};
    SimulationState state{program};
};

// An accepted file is stored silently: every job of run_driver_test.cpp and the
// golden outputs read one.
TEST(ProjectileFile, RejectionLogsTwoRedLinesAndKeepsOnlyTheName) {
    TempDir dir;
    Job job;
    job.state.Projectile = {1.0, 29, 63.5, 0, "Cu"};
    const std::string name = dir.Write("p.prj", "5.0 0 39.948 0 Ar\n");
    EXPECT_FALSE(ReadProjectileFile(job.state, name));
    EXPECT_EQ(ColouredLog(job.ui),
              (std::vector<std::string>{
                  "red|  ++++ Error ++++",
                  "red|  File (" + name + ") could not be read or has wrong format."}));
    EXPECT_EQ(job.state.Projectile.ProjectileName, "Ar");
    EXPECT_EQ(job.state.Projectile.AtomicNumber, 29);
}

TEST(ProjectileFile, LongFileNameIsCutInTheLogLine) {
    TempDir dir;
    Job job;
    const std::string name = dir.File(std::string(120, 'n') + ".prj");
    EXPECT_FALSE(ReadProjectileFile(job.state, name));
    const std::vector<std::string> lines = job.ui.LogTexts();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], ("  File (" + name).substr(0, 100));
}

}  // namespace
}  // namespace vantrel
