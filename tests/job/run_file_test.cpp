#include "job/run_file.h"

#include <numbers>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/coloured_log.h"
#include "tests/support/reader_texts.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

namespace vantrel {
namespace {

using testing::ColouredLog;
using testing::RunText;
using testing::TempDir;
using testing::UiCall;

struct Job {
    testing::RecordingUserInterface ui;
    ProgramContext program{ui};
    SimulationState state{program};
};

const std::string Separator = "black|  " + std::string(98, '-');
const std::string Banner = "red|  ++++ Error ++++";
const std::string Header = "black|  SIMULATION PARAMETERS";

bool Read(Job& job, const TempDir& dir, const RunText& text) {
    return ReadRunFile(job.state, dir.Write("job.run", text.Text()));
}

// The reader's errors stand before or after the summary's first lines as
// the reader places them; the output line follows the sample and
// selection modes.
TEST(RunFile, LogOrderAroundTheSummaryLines) {
    struct Case {
        RunText Text;
        bool Ok;
        std::vector<std::string> Log;
    };
    RunText none;
    none.SampleMode = "0";
    none.OutputSelection = "5";
    RunText unknown;
    unknown.OutputSelection = "9";
    unknown.Altitude = "90.0deg";
    RunText sample;
    sample.SampleMode = "4";
    const Case cases[] = {
        {RunText{}, true, {Separator, Header, "blue|  Output: for all particles"}},
        {none, true, {Separator, Header, "blue|  No dynamics vars. output specified."}},
        {unknown, false,
         {Separator, Banner, "red|  Format error in .RUN file",
          "red|  job.run, line 5, altitude: found \"90.0deg\"", Banner,
          "red|  Parameter error in .RUN file", Header, "blue|  Parameter error in .RUN file"}},
        {sample, false,
         {Separator, Header, "blue|  Output: for all particles", Banner,
          "red|  Parameter error in .RUN file (sample mode)"}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        Job job;
        EXPECT_EQ(Read(job, dir, c.Text), c.Ok) << c.Text.Text();
        EXPECT_EQ(ColouredLog(job.ui), c.Log) << c.Text.Text();
    }
    // A missing file: the format error, then no output (its mode reads as 0).
    Job missing;
    EXPECT_FALSE(ReadRunFile(missing.state, dir.File("missing.run")));
    EXPECT_EQ(ColouredLog(missing.ui),
              (std::vector<std::string>{Separator, Banner, "red|  Format error in .RUN file", Header,
                                        "blue|  No dynamics vars. output specified."}));
}

TEST(RunFile, EachOutputSelectionLogsItsSummaryLineInBlue) {
    const char* lines[] = {
        "  Output: for all particles",
        "  Output: for projectile only",
        "  Output: all particles with KE > 1 eV",
        "  Output: all particles with KE > 10 eV",
        "  Output: all particles with KE > 100 eV",
        "  Output: all particles emitted from surface",
        "  Output: emitted (reflected) projectiles",
        "  Output: all particles emitted within 5\xC3\xB8 of surface normal",
    };
    TempDir dir;
    for (int mode = 0; mode < 8; ++mode) {
        Job job;
        RunText text;
        text.SampleMode = "1";
        text.OutputSelection = std::to_string(mode);
        ASSERT_TRUE(Read(job, dir, text)) << mode;
        EXPECT_EQ(ColouredLog(job.ui).back(), std::string("blue|") + lines[mode]) << mode;
        EXPECT_EQ(job.state.Run.OutputSelection, mode);
        EXPECT_EQ(job.state.Output.Selection.Text, "");  // only mode 8 hands a condition over
    }
}

TEST(RunFile, UserProgrammedSelectionShowsTheConditionAndHandsItOverUpperCased) {
    TempDir dir;
    Job job;
    RunText text;
    text.OutputSelection = "8";
    text.Expression = "[ke > 10.0*ep] & [rz > 5.0e-11]";
    ASSERT_TRUE(Read(job, dir, text));
    EXPECT_EQ(job.state.Run.SelectionExpression, "[ke > 10.0*ep] & [rz > 5.0e-11]");
    EXPECT_EQ(job.state.Output.Selection.Text, "[KE > 10.0*EP] & [RZ > 5.0E-11]");
    EXPECT_EQ(ColouredLog(job.ui).back(),
              "blue|  Output: user-programmed = [ke > 10.0*ep] & [rz > 5.0e-11]");

    // A long condition is kept to 255 characters and its log line cut to 100.
    Job longJob;
    text.Expression = std::string(300, 'k');
    ASSERT_TRUE(Read(longJob, dir, text));
    EXPECT_EQ(longJob.state.Output.Selection.Text, std::string(255, 'K'));
    EXPECT_EQ(longJob.ui.LogTexts().back(),
              ("  Output: user-programmed = " + std::string(255, 'k')).substr(0, 100));
}

// ---------------------------------------------------------------------------
// Simulation summary.

// A job as the run driver leaves it after both files were read.
void PrepareSummary(Job& job) {
    ProjectileData& p = job.state.Projectile;
    p.Energy = 5.0;
    p.AtomicNumber = 18;
    p.ProjectileMass = 39.948;
    p.ProjectileName = "Ar";
    RunParameters& run = job.state.Run;
    run.SampleMode = 2;
    run.SamplePeriod = 100;
    run.Altitude = 90.0 * 2.0 * std::numbers::pi / 360.0;
    run.Azimuth = 0.0;
    run.InitialTimestep = 1.0e-16;
    run.MaxTime = 500.0e-15;
    run.MinTime = 50.0e-15;
    run.MaxPartners = 200;
}

TEST(SimulationSummary, LogsEveryLineWithItsFormatAndColourThenAsks) {
    Job job;
    PrepareSummary(job);
    job.ui.Answers = {true};
    EXPECT_TRUE(PrintSimulationSummary(job.state, 1234));
    EXPECT_EQ(
        ColouredLog(job.ui),
        (std::vector<std::string>{
            "black|  Integration algorithm: Verlet",
            "blue|  Sampling periodically (every 100 timesteps) but not at termination",
            "blue|  Projectile: 5.000 keV Ar+ (Z=18, mass=39.94800, altitude = 90.00, azimuth = "
            "0.00)",
            "magenta|  Number of atoms in target: 1234",
            "black|  General parameters: ",
            "black|   - Calculations will start with 0.1000 fs timestep",
            "black|   - Time before termination tests begin: 50.00 fs",
            "black|   - Time before compulsory termination: 500.00 fs",
            "black|   - Max. No. of collision partners = 200",
            "black|   - Ignoring inelastic effects ",
            "black|   - Ignoring image potential effects",
            "black| ",
            "blue|  ==> Ready to run calculations in earnest.",
        }));
    const std::vector<testing::UiEvent>& events = job.ui.Events;
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().Call, UiCall::Question);
    EXPECT_EQ(events.back().Text, "Proceed with simulation now?");
    EXPECT_EQ(events.back().Kind, QuestionKind::ConfirmationTopLeft);
}

TEST(SimulationSummary, OnlyAYesOutsideBatchModeProceeds) {
    struct Case {
        bool Batch, Answer, Proceeds;
        std::size_t Questions;
    };
    const Case cases[] = {{false, true, true, 1}, {false, false, false, 1}, {true, false, true, 0}};
    for (const Case& c : cases) {
        Job job;
        PrepareSummary(job);
        job.state.BatchMode = c.Batch;
        job.ui.DefaultAnswer = c.Answer;
        EXPECT_EQ(PrintSimulationSummary(job.state, 10), c.Proceeds) << c.Batch << c.Answer;
        EXPECT_EQ(job.ui.Texts(UiCall::Question).size(), c.Questions) << c.Batch << c.Answer;
        // The summary is logged in any case.
        EXPECT_EQ(job.ui.LogTexts().back(), "  ==> Ready to run calculations in earnest.");
    }
}

TEST(SimulationSummary, AlgorithmNames) {
    const std::pair<std::int32_t, const char*> cases[] = {
        {0, "HGE (B)"}, {1, "Two-Step (A)"}, {2, "Beeman"}, {3, "Verlet"},
        {4, "***** UNDEFINED *****"}, {-1, "***** UNDEFINED *****"},
    };
    for (const auto& [algorithm, name] : cases) {
        Job job;
        PrepareSummary(job);
        job.program.Options.Algorithm = algorithm;
        PrintSimulationSummary(job.state, 1);
        EXPECT_EQ(job.ui.LogTexts().at(0), std::string("  Integration algorithm: ") + name);
    }
}

TEST(SimulationSummary, SamplingLineFollowsTheSampleMode) {
    const std::pair<std::int32_t, const char*> cases[] = {
        {1, "  Sampling at termination"},
        {2, "  Sampling periodically (every 25 timesteps) but not at termination"},
        {3, "  Sampling periodically (every 25 timesteps) and at termination"},
    };
    for (const auto& [mode, line] : cases) {
        Job job;
        PrepareSummary(job);
        job.state.Run.SampleMode = mode;
        job.state.Run.SamplePeriod = 25;
        PrintSimulationSummary(job.state, 1);
        EXPECT_EQ(ColouredLog(job.ui).at(1), std::string("blue|") + line);
    }
    Job none;
    PrepareSummary(none);
    none.state.Run.SampleMode = 0;
    PrintSimulationSummary(none.state, 1);
    EXPECT_EQ(none.ui.LogTexts().at(1).substr(0, 14), "  Projectile: ");
}

// Every model on: ReaderSamples (reader_samples_test.cpp) shows the whole summary.
TEST(SimulationSummary, InelasticAndImageLinesNameTheModelsInUse) {
    Job imageOnly;
    PrepareSummary(imageOnly);
    imageOnly.program.Options.UseImagePotential = true;
    PrintSimulationSummary(imageOnly.state, 1);
    EXPECT_TRUE(imageOnly.ui.HasLogLine("   - Including inelastic effects: model(s) "));

    Job orOnly;
    PrepareSummary(orOnly);
    orOnly.program.Options.UseOR = true;
    PrintSimulationSummary(orOnly.state, 1);
    EXPECT_TRUE(orOnly.ui.HasLogLine("   - Including inelastic effects: OR, model(s) "));
    EXPECT_TRUE(orOnly.ui.HasLogLine("   - Ignoring image potential effects"));
}

TEST(SimulationSummary, ProjectileLineFromARunFileWithObliqueIncidence) {
    TempDir dir;
    Job job;
    RunText text;
    text.Altitude = "45.5";
    text.Azimuth = "359.99";
    ASSERT_TRUE(Read(job, dir, text));
    job.state.Projectile = {0.125, 29, 63.546, 0, "Cu"};
    job.ui.Clear();
    PrintSimulationSummary(job.state, 5);
    EXPECT_EQ(job.ui.LogTexts().at(2),
              "  Projectile: 0.125 keV Cu+ (Z=29, mass=63.54600, altitude = 45.50, azimuth = "
              "359.99)");
}

}  // namespace
}  // namespace vantrel
