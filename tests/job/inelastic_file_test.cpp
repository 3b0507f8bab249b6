#include "job/inelastic_file.h"

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
using testing::InlText;
using testing::TempDir;
using testing::UiCall;

struct Job {
    testing::RecordingUserInterface ui;
    ProgramContext program{ui};
    SimulationState state{program};
};

bool Read(Job& job, const TempDir& dir, const InlText& text) {
    return ReadInelasticFile(job.state, dir.Write("cu.inl", text.Text()));
}

// Warnings, then the cooling report, then the image-parameter error; a
// model whose table kept nothing is switched off for good.
TEST(InelasticFile, WarningsCoolingReportAndImageErrorInOrder) {
    TempDir dir;
    Job job;
    SimulationOptions& o = job.program.Options;
    o.UseLSS = o.UseOR = o.UseST = o.UseCooling = o.UseImagePotential = true;
    InlText text;
    text.Lss = {"29 0.0 2.0"};
    text.St = {"841 0.0 10.0 3 0.5"};
    text.Cooling = text.Image = true;
    text.ImageEnergy = "0.0";
    ASSERT_TRUE(Read(job, dir, text));
    EXPECT_EQ(ColouredLog(job.ui),
              (std::vector<std::string>{
                  "red|  Warning: LSS option disabled (null parameters in INL file)",
                  "red|  Warning: ST inelastic option disabled (null parameters in INL file)",
                  "black|  Cooling goal = 300.000K", "black|  Cooling period = 100.000fs",
                  "black|  Cooling starts at 12.500fs", "black|  Cooling stops at 200.000fs",
                  "red|   Error in image potential parameters in INL file."}));
    EXPECT_FALSE(o.UseLSS);
    EXPECT_TRUE(o.UseOR);
    EXPECT_FALSE(o.UseST);
    EXPECT_TRUE(o.UseImagePotential);  // bad image parameters are kept
    EXPECT_EQ(job.state.Inelastic.OrCount, 1);
    EXPECT_DOUBLE_EQ(job.state.Inelastic.CoolingPeriod, 100.0e-15);
}

TEST(InelasticFile, OrRadiusIsOnlyEverLoweredAndKeptBetweenJobs) {
    TempDir dir;
    testing::RecordingUserInterface ui;
    ProgramContext shared(ui);  // lives across the jobs, as the program does
    EXPECT_EQ(shared.OrRadiusSquare, 4.0e-20);
    const std::pair<const char*, double> jobs[] = {
        {"3.0", 4.0e-20},    // (3 A)^2 is above (2 A)^2: kept
        {"1.5", 2.25e-20},   //
        {"1.8", 2.25e-20},   // never raised again
        {"0.0", 2.25e-20},   // a null radius would switch OR off for good
        {"-1.0", 2.25e-20},  //
        {"1.0", 1.0e-20},
    };
    for (const auto& [radius, square] : jobs) {
        SimulationState state(shared);
        InlText text;
        text.OrRadius = radius;
        ASSERT_TRUE(ReadInelasticFile(state, dir.Write("a.inl", text.Text())));
        EXPECT_DOUBLE_EQ(shared.OrRadiusSquare, square) << radius;
    }
}

TEST(InelasticFile, StRadiusBecomesTheLargestRadiusPlusHalfAnAngstromWhenSmaller) {
    TempDir dir;
    testing::RecordingUserInterface ui;
    ProgramContext shared(ui);
    const std::pair<std::vector<std::string>, double> jobs[] = {
        {{"841 2.5 10.0 3 0.5"}, 4.0e-20},  // (2.5 A)^2 is not below (2 A)^2
        {{"841 1.2 10.0 3 0.5", "2116 1.4 8.0 2 0.5", "1 0.3 1.0 1 1.0"}, 1.9e-10 * 1.9e-10},
        {{"841 1.8 10.0 3 0.5"}, 2.3e-10 * 2.3e-10},  // 1.8^2 < 1.9^2, kept for later jobs
        {{}, 2.3e-10 * 2.3e-10},                       // no ST entries say nothing
        {{"841 0.0 10.0 3 0.5"}, 2.3e-10 * 2.3e-10},
    };
    for (const auto& [lines, square] : jobs) {
        SimulationState state(shared);
        InlText text;
        text.St = lines;
        ASSERT_TRUE(ReadInelasticFile(state, dir.Write("a.inl", text.Text())));
        EXPECT_DOUBLE_EQ(shared.StRadiusSquare, square) << lines.size();
    }
}

TEST(InelasticFile, RejectedFileChangesNeitherOptionsNorRadiiNorTables) {
    TempDir dir;
    InlText format;
    format.Lss = {"29 1.0 2.0x"};
    format.Or = {};
    format.OrRadius = "1.0";
    format.Cooling = true;
    InlText tooMany;
    for (int i = 1; i <= 11; ++i) tooMany.Lss.push_back(std::to_string(i) + " 1.0 1.0");
    tooMany.OrRadius = "1.0";
    struct Case {
        InlText Text;
        std::vector<std::string> Log;
    };
    const Case cases[] = {{format, {"red|  cu.inl, line 3, b: found \"2.0x\""}},
                          {tooMany, {"red|  Error: more than 10 LSS entries in INL file"}}};
    for (const Case& c : cases) {
        Job job;
        SimulationOptions& o = job.program.Options;
        o.UseLSS = o.UseOR = o.UseST = o.UseCooling = true;
        EXPECT_FALSE(Read(job, dir, c.Text));
        EXPECT_EQ(ColouredLog(job.ui), c.Log);
        EXPECT_TRUE(job.ui.Texts(UiCall::ErrorBox).empty());
        EXPECT_TRUE(o.UseLSS && o.UseOR && o.UseST && o.UseCooling);
        EXPECT_EQ(job.program.OrRadiusSquare, 4.0e-20);
        EXPECT_EQ(job.program.StRadiusSquare, 4.0e-20);
        EXPECT_EQ(job.state.Inelastic.LssCount, 0);
    }
    Job missing;
    const std::string name = dir.File("missing.inl");
    EXPECT_FALSE(ReadInelasticFile(missing.state, name));
    EXPECT_EQ(missing.ui.Texts(UiCall::ErrorBox),
              (std::vector<std::string>{"Inelastic file not found: " + name}));
    EXPECT_TRUE(missing.ui.LogTexts().empty());
}

}  // namespace
}  // namespace vantrel
