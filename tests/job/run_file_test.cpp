#include "job/run_file.h"

#include <numbers>
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
using testing::UiCall;

struct Job {
    testing::RecordingUserInterface ui;
    ProgramContext program{ui};
    SimulationState state{program};
};

// The eleven lines of a run file, each value with a label after it.
struct RunText {
    std::string SampleMode = "3";
    std::string SamplePeriod = "100";
    std::string SkipRecorded = "1";
    std::string OutputSelection = "0";
    std::string Altitude = "90.0";
    std::string Azimuth = "0.0";
    std::string Timestep = "1.0E-16";
    std::string UpdateInterval = "10";
    std::string Times = "500.0 50.0";
    std::string MaxPartners = "200";
    std::string Expression = "";
    bool WithLine11 = true;

    std::string Text() const {
        std::string t = SampleMode + "  sample mode\r\n" + SamplePeriod + "  sample period\r\n" +
                        SkipRecorded + "  skip recorded\r\n" + OutputSelection +
                        "  output selection\r\n" + Altitude + "  altitude (deg)\r\n" + Azimuth +
                        "  azimuth (deg)\r\n" + Timestep + "  timestep (s)\r\n" + UpdateInterval +
                        "  update interval\r\n" + Times + "  max, min time (fs)\r\n" +
                        MaxPartners + "  no. of partners\r\n";
        if (WithLine11) t += Expression + "\r\n";
        return t;
    }
};

const std::string Separator = "black|  " + std::string(98, '-');
const std::string Banner = "red|  ++++ Error ++++";

bool Read(Job& job, const TempDir& dir, const RunText& text) {
    return ReadRunFile(job.state, dir.Write("job.run", text.Text()));
}

TEST(RunFile, ValidFileFillsParametersWithTheirConversions) {
    TempDir dir;
    Job job;
    RunText text;
    text.Altitude = "45.0";
    text.Azimuth = "30.0";
    ASSERT_TRUE(Read(job, dir, text));
    const RunParameters& run = job.state.Run;
    EXPECT_EQ(run.SampleMode, 3);
    EXPECT_EQ(run.SamplePeriod, 100);
    EXPECT_TRUE(run.SkipRecorded);
    EXPECT_EQ(run.OutputSelection, 0);
    EXPECT_DOUBLE_EQ(run.Altitude, std::numbers::pi / 4.0);
    EXPECT_DOUBLE_EQ(run.Azimuth, std::numbers::pi / 6.0);
    EXPECT_EQ(run.InitialTimestep, 1.0e-16);
    EXPECT_EQ(run.PartnerUpdateInterval, 10);
    EXPECT_DOUBLE_EQ(run.MaxTime, 500.0e-15);
    EXPECT_DOUBLE_EQ(run.MinTime, 50.0e-15);
    EXPECT_EQ(run.MaxPartners, 200);
    EXPECT_EQ(ColouredLog(job.ui),
              (std::vector<std::string>{Separator, "black|  SIMULATION PARAMETERS",
                                        "blue|  Output: for all particles"}));
}

TEST(RunFile, SeparatorIsTwoBlanksAndHyphensToOneHundredCharacters) {
    TempDir dir;
    Job job;
    ASSERT_TRUE(Read(job, dir, RunText{}));
    const std::string first = job.ui.LogTexts().at(0);
    EXPECT_EQ(first.size(), 100u);
    EXPECT_EQ(first.substr(0, 3), "  -");
    EXPECT_EQ(first.find_first_not_of('-', 2), std::string::npos);
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
        EXPECT_EQ(ColouredLog(job.ui),
                  (std::vector<std::string>{Separator, "black|  SIMULATION PARAMETERS",
                                            std::string("blue|") + lines[mode]}))
            << mode;
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
    EXPECT_EQ(job.ui.LogTexts().back(), "  Output: user-programmed = [ke > 10.0*ep] & [rz > 5.0e-11]");
    EXPECT_EQ(job.ui.LogEvents().back().Colour, ColourBlue);
}

TEST(RunFile, LongConditionIsKeptTo255CharactersAndItsLogLineTo100) {
    TempDir dir;
    Job job;
    RunText text;
    text.OutputSelection = "8";
    text.Expression = std::string(300, 'k');
    ASSERT_TRUE(Read(job, dir, text));
    EXPECT_EQ(job.state.Run.SelectionExpression, std::string(255, 'k'));
    EXPECT_EQ(job.state.Output.Selection.Text, std::string(255, 'K'));
    const std::string line = job.ui.LogTexts().back();
    EXPECT_EQ(line, ("  Output: user-programmed = " + std::string(255, 'k')).substr(0, 100));
}

TEST(RunFile, TenLineFileIsValidWhenTheSelectionIsNotUserProgrammed) {
    TempDir dir;
    Job job;
    RunText text;
    text.OutputSelection = "3";
    text.WithLine11 = false;
    EXPECT_TRUE(Read(job, dir, text));
    EXPECT_EQ(job.state.Run.SelectionExpression, "");
    EXPECT_EQ(job.state.Run.MaxPartners, 200);
    for (const testing::UiEvent& line : job.ui.LogEvents()) EXPECT_NE(line.Colour, ColourRed);
}

TEST(RunFile, SampleModeZeroPrintsNoOutputWhateverTheSelection) {
    TempDir dir;
    Job job;
    RunText text;
    text.SampleMode = "0";
    text.OutputSelection = "5";
    ASSERT_TRUE(Read(job, dir, text));
    EXPECT_EQ(ColouredLog(job.ui),
              (std::vector<std::string>{Separator, "black|  SIMULATION PARAMETERS",
                                        "blue|  No dynamics vars. output specified."}));
}

TEST(RunFile, OutputSelectionOutsideZeroToEightIsAParameterError) {
    TempDir dir;
    for (const char* mode : {"9", "-1", "2147483647"}) {
        Job job;
        RunText text;
        text.OutputSelection = mode;
        EXPECT_FALSE(Read(job, dir, text)) << mode;
        EXPECT_EQ(ColouredLog(job.ui),
                  (std::vector<std::string>{Separator, Banner, "red|  Parameter error in .RUN file",
                                            "black|  SIMULATION PARAMETERS",
                                            "blue|  Parameter error in .RUN file"}))
            << mode;
    }
}

TEST(RunFile, SampleModeOutsideZeroToThreeIsRejected) {
    TempDir dir;
    for (const char* mode : {"-1", "4"}) {
        Job job;
        RunText text;
        text.SampleMode = mode;
        EXPECT_FALSE(Read(job, dir, text)) << mode;
        EXPECT_EQ(ColouredLog(job.ui),
                  (std::vector<std::string>{Separator, "black|  SIMULATION PARAMETERS",
                                            "blue|  Output: for all particles", Banner,
                                            "red|  Parameter error in .RUN file (sample mode)"}))
            << mode;
    }
}

TEST(RunFile, FiveHundredPartnersAreAcceptedFiveHundredAndOneAreNot) {
    TempDir dir;
    Job accepted;
    RunText text;
    text.MaxPartners = "500";
    EXPECT_TRUE(Read(accepted, dir, text));
    EXPECT_EQ(accepted.state.Run.MaxPartners, 500);

    Job rejected;
    text.MaxPartners = "501";
    EXPECT_FALSE(Read(rejected, dir, text));
    EXPECT_EQ(
        ColouredLog(rejected.ui),
        (std::vector<std::string>{
            Separator, "black|  SIMULATION PARAMETERS", "blue|  Output: for all particles", Banner,
            "red|  No. of partners parameter (set at 501) in .RUN file is larger",
            "red|  than the maximum allowed value of 500. Decrease the former",
            "red|  in the .RUN file, or increase the latter in the source file (if available)."}));
}

TEST(RunFile, FormatErrorIsReportedAndTheChecksStillRun) {
    TempDir dir;
    Job job;
    RunText text;
    text.OutputSelection = "9";
    text.Altitude = "90.0deg";  // glued label: the rest of the file reads as zeros
    EXPECT_FALSE(Read(job, dir, text));
    EXPECT_EQ(ColouredLog(job.ui),
              (std::vector<std::string>{Separator, Banner, "red|  Format error in .RUN file", Banner,
                                        "red|  Parameter error in .RUN file",
                                        "black|  SIMULATION PARAMETERS",
                                        "blue|  Parameter error in .RUN file"}));
}

TEST(RunFile, SeveralErrorsInOneFileAreEachReported) {
    TempDir dir;
    Job job;
    RunText text;
    text.SampleMode = "7";
    text.OutputSelection = "12";
    text.MaxPartners = "1000";
    EXPECT_FALSE(Read(job, dir, text));
    EXPECT_EQ(
        ColouredLog(job.ui),
        (std::vector<std::string>{
            Separator, Banner, "red|  Parameter error in .RUN file", "black|  SIMULATION PARAMETERS",
            "blue|  Parameter error in .RUN file", Banner,
            "red|  Parameter error in .RUN file (sample mode)", Banner,
            "red|  No. of partners parameter (set at 1000) in .RUN file is larger",
            "red|  than the maximum allowed value of 500. Decrease the former",
            "red|  in the .RUN file, or increase the latter in the source file (if available)."}));

    Job withFormat;
    RunText bad;
    bad.SampleMode = "4";
    bad.OutputSelection = "9";
    bad.Times = "500.0 50fs";
    EXPECT_FALSE(Read(withFormat, dir, bad));
    EXPECT_EQ(ColouredLog(withFormat.ui),
              (std::vector<std::string>{Separator, Banner, "red|  Format error in .RUN file", Banner,
                                        "red|  Parameter error in .RUN file",
                                        "black|  SIMULATION PARAMETERS",
                                        "blue|  Parameter error in .RUN file", Banner,
                                        "red|  Parameter error in .RUN file (sample mode)"}));
}

TEST(RunFile, MissingFileOrDirectoryIsAFormatErrorOnly) {
    TempDir dir;
    for (const std::string& name : {dir.File("missing.run"), dir.Path().string()}) {
        Job job;
        EXPECT_FALSE(ReadRunFile(job.state, name));
        EXPECT_EQ(ColouredLog(job.ui),
                  (std::vector<std::string>{Separator, Banner, "red|  Format error in .RUN file",
                                            "black|  SIMULATION PARAMETERS",
                                            "blue|  No dynamics vars. output specified."}));
    }
}

TEST(RunFile, ValuesThatWouldStallTheTrajectoryAreRejected) {
    struct Case {
        const char* Field;
        const char* Value;
        const char* Message;
    };
    const Case cases[] = {
        {"timestep", "0.0", "  Parameter error in .RUN file (timestep not above 0)"},
        {"timestep", "-1.0E-16", "  Parameter error in .RUN file (timestep not above 0)"},
        {"interval", "0", "  Parameter error in .RUN file (update interval below 1)"},
        {"partners", "0", "  Parameter error in .RUN file (No. of partners below 1)"},
        {"partners", "-5", "  Parameter error in .RUN file (No. of partners below 1)"},
        {"altitude", "0.0",
         "  Parameter error in .RUN file (altitude not between 0 and 180 degrees)"},
        {"altitude", "180.0",
         "  Parameter error in .RUN file (altitude not between 0 and 180 degrees)"},
        {"altitude", "-30.0",
         "  Parameter error in .RUN file (altitude not between 0 and 180 degrees)"},
    };
    TempDir dir;
    for (const Case& c : cases) {
        Job job;
        RunText text;
        const std::string field = c.Field;
        if (field == "timestep") text.Timestep = c.Value;
        if (field == "interval") text.UpdateInterval = c.Value;
        if (field == "partners") text.MaxPartners = c.Value;
        if (field == "altitude") text.Altitude = c.Value;
        EXPECT_FALSE(Read(job, dir, text)) << c.Field << " " << c.Value;
        EXPECT_EQ(ColouredLog(job.ui),
                  (std::vector<std::string>{Separator, "black|  SIMULATION PARAMETERS",
                                            "blue|  Output: for all particles", Banner,
                                            std::string("red|") + c.Message}))
            << c.Field << " " << c.Value;
    }
    // Grazing and steep incidence stay allowed.
    for (const char* altitude : {"0.5", "179.5", "1"}) {
        Job job;
        RunText text;
        text.Altitude = altitude;
        EXPECT_TRUE(Read(job, dir, text)) << altitude;
    }
    Job once;
    RunText text;
    text.UpdateInterval = "1";
    text.MaxPartners = "1";
    EXPECT_TRUE(Read(once, dir, text));
}

TEST(RunFile, EmptyFileReadsZerosThatTheChecksReject) {
    TempDir dir;
    Job job;
    EXPECT_FALSE(ReadRunFile(job.state, dir.Write("empty.run", "")));
    EXPECT_EQ(ColouredLog(job.ui),
              (std::vector<std::string>{
                  Separator, "black|  SIMULATION PARAMETERS",
                  "blue|  No dynamics vars. output specified.", Banner,
                  "red|  Parameter error in .RUN file (No. of partners below 1)", Banner,
                  "red|  Parameter error in .RUN file (timestep not above 0)", Banner,
                  "red|  Parameter error in .RUN file (update interval below 1)", Banner,
                  "red|  Parameter error in .RUN file (altitude not between 0 and 180 degrees)"}));
}

TEST(RunFile, GarbageNeverCrashesAndFails) {
    TempDir dir;
    std::string garbage;
    for (int i = 0; i < 5000; ++i) garbage.push_back(static_cast<char>((i * 7919) % 256));
    Job job;
    EXPECT_FALSE(ReadRunFile(job.state, dir.Write("garbage.run", garbage)));
    EXPECT_TRUE(job.ui.HasLogLine("  Format error in .RUN file", ColourRed));
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

TEST(SimulationSummary, AnyAnswerButYesDeclines) {
    Job job;
    PrepareSummary(job);
    job.ui.Answers = {false};
    EXPECT_FALSE(PrintSimulationSummary(job.state, 10));
    EXPECT_EQ(job.ui.Texts(UiCall::Question).size(), 1u);
}

TEST(SimulationSummary, BatchJobLogsTheSummaryButAsksNothing) {
    Job job;
    PrepareSummary(job);
    job.state.BatchMode = true;
    job.ui.DefaultAnswer = false;
    EXPECT_TRUE(PrintSimulationSummary(job.state, 10));
    EXPECT_TRUE(job.ui.Texts(UiCall::Question).empty());
    EXPECT_EQ(job.ui.LogTexts().back(), "  ==> Ready to run calculations in earnest.");
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

TEST(SimulationSummary, InelasticAndImageLinesNameTheModelsInUse) {
    Job all;
    PrepareSummary(all);
    SimulationOptions& o = all.program.Options;
    o.UseLSS = o.UseOR = o.UseST = o.UseCooling = o.UseImagePotential = true;
    PrintSimulationSummary(all.state, 1);
    EXPECT_TRUE(all.ui.HasLogLine("   - Including inelastic effects: LSS, OR, ST, cooling, model(s) ",
                                  ColourBlack));
    EXPECT_TRUE(all.ui.HasLogLine("   - Using image potential effects", ColourBlack));

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
