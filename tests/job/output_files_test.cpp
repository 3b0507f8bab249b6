#include "job/output_files.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "job/program.h"
#include "output/particle_sample.h"
#include "tests/support/file_texts.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

namespace vantrel {
namespace {

using testing::RecordingUserInterface;
using testing::TempDir;
using testing::UiCall;

// A job of `atoms` target atoms at rest in a row along x, in its first run:
// started, so files are created under their own names.
class OutputJob : public ::testing::Test {
protected:
    void SetUpJob(std::int32_t atoms) {
        s.Backups.Started = true;
        AllocateParticleTable(s, atoms);
        AllocateMassAndAtomicNumber(s);
        s.Outputs.InitialConditions = dir.File("inivars.vsk");
        s.Outputs.DynamicalVariables = dir.File("dynvars.vsk");
        s.Outputs.InelasticEvents = dir.File("inelast.dat");
        for (std::int32_t i = 0; i <= atoms; ++i) {
            s.Particles.X[i] = 1.1e-10 * (i + 1);
            s.Particles.Mass[i] = 1.0552e-25;
        }
        s.RunCounter = 1;
    }

    std::vector<std::string> RedLines() const {
        std::vector<std::string> out;
        for (const auto& e : ui.LogEvents())
            if (e.Colour == ColourRed) out.push_back(e.Text);
        return out;
    }

    TempDir dir;
    RecordingUserInterface ui;
    ProgramContext program{ui};
    SimulationState s{program};
};

TEST_F(OutputJob, EachFileReportsItsFirstFailureOnlyInRed) {
    SetUpJob(2);
    const std::string initial = dir.File("no-such-folder/inivars.vsk");
    const std::string dynamical = dir.File("no-such-folder/dynvars.vsk");
    s.Outputs.InitialConditions = initial;
    s.Outputs.DynamicalVariables = dynamical;
    s.Outputs.InelasticEvents = "/dev/full";
    EXPECT_FALSE(WriteInitialConditions(s));
    EXPECT_FALSE(WriteInitialConditions(s));  // second run: already reported
    EXPECT_FALSE(CreateDynamicalFile(s));
    // Records offered without a file are lost, and that was said once already.
    SampleParticles(s, 1e-15, false);
    CloseDynamicalFile(s);
    ASSERT_TRUE(CreateEventsFile(s));
    ASSERT_TRUE(EventsFileOpen(s));
    WriteLssTotals(s, 1e-15);  // buffered: the full disk shows when the file is closed
    WriteLssTotals(s, 1e-15);
    CloseEventsFile(s);
    EXPECT_EQ(ui.LogTexts(), (std::vector<std::string>{
                                 "  Cannot create output file: " + initial,
                                 "  Cannot create output file: " + dynamical,
                                 "  Error writing output file: /dev/full"}));
    for (const auto& e : ui.LogEvents()) EXPECT_EQ(e.Colour, ColourRed);
}

TEST_F(OutputJob, EventsFileThatCannotBeCreatedIsLeftToTheRunDriver) {
    SetUpJob(1);
    s.Outputs.InelasticEvents = dir.File("missing/inelast.dat");
    EXPECT_FALSE(CreateEventsFile(s));
    EXPECT_FALSE(EventsFileOpen(s));
    EXPECT_TRUE(ui.Events.empty());
}

TEST_F(OutputJob, ConditionErrorOpensTheWindowOncePerPass) {
    SetUpJob(4);
    s.Run.OutputSelection = 8;
    s.Output.Selection.Text = "[SQRT(RX) > 1.2E-5]";
    // sqrt(x) is 1.05e-5 for particle 0 and 1.48e-5 for particle 1; particle 2 fails.
    s.Particles.X[2] = -1e-10;
    ASSERT_TRUE(CreateDynamicalFile(s));
    SampleParticles(s, 1e-15, false);
    SampleParticles(s, 2e-15, false);
    CloseDynamicalFile(s);
    const std::string window =
        "Error type: negative square root.\r[SQRT(RX) > 1.2E-5]\r        ^\r(near char. #9).";
    EXPECT_EQ(ui.Texts(UiCall::ExpressionError), (std::vector<std::string>{window, window}));
    const std::vector<ParticleSample> records = testing::ReadRecords(s.Outputs.DynamicalVariables);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].Index, 1);
    EXPECT_EQ(records[1].Index, 1);
    EXPECT_EQ(testing::ReadFileBytes(s.Outputs.DynamicalVariables).size(), 2 * SampleRecordSize);
}

TEST_F(OutputJob, FailedRecordIsReportedOnceAndBeforeALaterWindowOfTheSamePass) {
    // More records than the file's buffer holds, then a particle whose
    // condition fails: the full disk is noticed first.
    SetUpJob(2000);
    s.Particles.X[1900] = -1e-10;
    s.Outputs.DynamicalVariables = "/dev/full";
    s.Run.OutputSelection = 8;
    s.Output.Selection.Text = "[SQRT(RX) > 0.0]";
    ASSERT_TRUE(CreateDynamicalFile(s));
    SampleParticles(s, 1e-15, false);
    SampleParticles(s, 2e-15, false);
    CloseDynamicalFile(s);
    std::vector<UiCall> calls;
    for (const auto& e : ui.Events) calls.push_back(e.Call);
    EXPECT_EQ(calls, (std::vector<UiCall>{UiCall::LogLine, UiCall::ExpressionError,
                                          UiCall::ExpressionError}));
    EXPECT_EQ(RedLines(), std::vector<std::string>{"  Error writing output file: /dev/full"});
}

}  // namespace
}  // namespace vantrel
