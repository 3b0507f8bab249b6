#include "job/inelastic_file.h"

#include <cmath>
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

// The blocks of an inelastic file; cooling and image are written only when
// asked for, as the options say they are present.
struct InlText {
    std::vector<std::string> Lss = {"29 1.5 2.0  Cu"};
    std::string LssThreshold = "1.0E4";
    std::vector<std::string> Or = {"841 2.0 3.0  Cu-Cu"};
    std::string OrRadius = "1.5";
    std::string OrScreening = "0.3";
    std::vector<std::string> St = {"841 1.2 10.0 3 0.5  Cu-Cu"};
    bool Cooling = false;
    bool Image = false;
    std::string ImageEnergy = "5.0";
    std::string ImageDistance = "1.0";

    std::string Text() const {
        std::string t = "Inelastic parameters for copper\n";
        t += std::to_string(Lss.size()) + "  LSS lines\n";
        for (const std::string& line : Lss) t += line + "\n";
        t += LssThreshold + "  LSS speed threshold\n";
        t += "Oen-Robinson\n" + std::to_string(Or.size()) + "  OR lines\n";
        for (const std::string& line : Or) t += line + "\n";
        t += OrRadius + "  OR radius (A)\n" + OrScreening + "  screening coefficient\n";
        t += "Shapiro-Tombrello\n" + std::to_string(St.size()) + "  ST lines\n";
        for (const std::string& line : St) t += line + "\n";
        if (Cooling)
            t += "Cooling\n100.0  period (fs)\n300  goal (K)\n12.5 200.0  start, stop (fs)\n";
        if (Image)
            t += "Image potential\n" + ImageEnergy + "  energy (eV)\n" + ImageDistance +
                 "  distance (A)\n";
        return t;
    }
};

bool Read(Job& job, const TempDir& dir, const InlText& text) {
    return ReadInelasticFile(job.state, dir.Write("cu.inl", text.Text()));
}

TEST(InelasticFile, TablesAreStoredWithTheirConversions) {
    TempDir dir;
    Job job;
    job.program.Options.UseLSS = job.program.Options.UseOR = job.program.Options.UseST = true;
    ASSERT_TRUE(Read(job, dir, InlText{}));
    EXPECT_TRUE(job.ui.Events.empty());
    const InelasticParameters& v = job.state.Inelastic;
    ASSERT_EQ(v.LssCount, 1);
    EXPECT_EQ(v.LssTable[0].AtomicNumber, 29);
    EXPECT_DOUBLE_EQ(v.LssTable[0].LssCoefficient, 1.5 * 2.0 * 1.602192e-14);
    EXPECT_EQ(v.LssSpeedThreshold, 1.0e4);
    ASSERT_EQ(v.OrCount, 1);
    EXPECT_EQ(v.OrTable[0].AtomicNumber, 841);  // copper pairs: 29 x 29
    EXPECT_DOUBLE_EQ(v.OrTable[0].OrCoefficient, 2.0 * 3.0 * 1.602192e-39 / (2 * std::numbers::pi));
    EXPECT_EQ(v.OrScreeningCoefficient, 0.3);
    ASSERT_EQ(v.StCount, 1);
    EXPECT_EQ(v.StTable[0].AtomicNumber, 841);
    EXPECT_DOUBLE_EQ(v.StTable[0].StRadius, 1.2e-10);
    EXPECT_DOUBLE_EQ(v.StTable[0].StEnergy, 10.0 * 1.602192e-19);
    EXPECT_EQ(v.StTable[0].StOrder, 3);
    EXPECT_EQ(v.StTable[0].StValue, 0.5);
    EXPECT_TRUE(job.program.Options.UseLSS && job.program.Options.UseOR && job.program.Options.UseST);
}

TEST(InelasticFile, LssLineWithANullValueIsNotKept) {
    TempDir dir;
    Job job;
    InlText text;
    text.Lss = {"29 1.5 2.0", "47 1.0 0.0", "79 0.5 4.0"};
    ASSERT_TRUE(Read(job, dir, text));
    const InelasticParameters& v = job.state.Inelastic;
    ASSERT_EQ(v.LssCount, 2);
    EXPECT_EQ(v.LssTable[0].AtomicNumber, 29);
    EXPECT_EQ(v.LssTable[1].AtomicNumber, 79);
    EXPECT_DOUBLE_EQ(v.LssTable[1].LssCoefficient, 0.5 * 4.0 * 1.602192e-14);
    EXPECT_EQ(v.LssTable[2].AtomicNumber, 0);
}

TEST(InelasticFile, KeptLinesKeepFileOrderAndDuplicates) {
    TempDir dir;
    Job job;
    InlText text;
    text.Lss = {"29 1.0 1.0", "29 2.0 2.0"};
    text.Or = {"29 1.0 1.0", "841 1.0 2.0"};
    ASSERT_TRUE(Read(job, dir, text));
    const InelasticParameters& v = job.state.Inelastic;
    ASSERT_EQ(v.LssCount, 2);
    EXPECT_LT(v.LssTable[0].LssCoefficient, v.LssTable[1].LssCoefficient);
    ASSERT_EQ(v.OrCount, 2);
    EXPECT_EQ(v.OrTable[0].AtomicNumber, 29);
    EXPECT_EQ(v.OrTable[1].AtomicNumber, 841);
}

TEST(InelasticFile, TableWithoutKeptEntriesSwitchesItsModelOffWithAWarning) {
    TempDir dir;
    Job job;
    SimulationOptions& o = job.program.Options;
    o.UseLSS = o.UseOR = o.UseST = true;
    InlText text;
    text.Lss = {"29 0.0 2.0", "0 1.0 1.0", "-3 1.0 1.0"};
    text.Or = {"841 2.0 0.0"};
    text.St = {"841 0.0 10.0 3 0.5"};
    ASSERT_TRUE(Read(job, dir, text));
    EXPECT_EQ(ColouredLog(job.ui),
              (std::vector<std::string>{
                  "red|  Warning: LSS option disabled (null parameters in INL file)",
                  "red|  Warning: Oen-Rob. option disabled (null parameters in INL file)",
                  "red|  Warning: ST inelastic option disabled (null parameters in INL file)"}));
    EXPECT_FALSE(o.UseLSS);
    EXPECT_FALSE(o.UseOR);
    EXPECT_FALSE(o.UseST);
    EXPECT_EQ(job.state.Inelastic.LssCount, 0);

    // The same file with the models off warns about nothing.
    Job off;
    ASSERT_TRUE(Read(off, dir, text));
    EXPECT_TRUE(off.ui.Events.empty());
}

TEST(InelasticFile, StLineNeedsEveryValueAboveZero) {
    const char* rejected[] = {"0 1.2 10.0 3 0.5", "841 0.0 10.0 3 0.5", "841 1.2 -1.0 3 0.5",
                              "841 1.2 10.0 0 0.5", "841 1.2 10.0 3 0.0"};
    TempDir dir;
    for (const char* line : rejected) {
        Job job;
        InlText text;
        text.St = {line, "1 0.1 0.1 1 1.0"};
        ASSERT_TRUE(Read(job, dir, text)) << line;
        ASSERT_EQ(job.state.Inelastic.StCount, 1) << line;
        EXPECT_EQ(job.state.Inelastic.StTable[0].AtomicNumber, 1) << line;
    }
}

TEST(InelasticFile, OrRadiusIsOnlyEverLoweredAndKeptBetweenJobs) {
    TempDir dir;
    testing::RecordingUserInterface ui;
    ProgramContext shared(ui);  // lives across the jobs, as the program does
    EXPECT_EQ(shared.OrRadiusSquare, 4.0e-20);

    const auto job = [&](const char* radius) {
        SimulationState state(shared);
        InlText text;
        text.OrRadius = radius;
        return ReadInelasticFile(state, dir.Write("a.inl", text.Text()));
    };
    ASSERT_TRUE(job("3.0"));  // (3 A)^2 is above (2 A)^2: kept
    EXPECT_EQ(shared.OrRadiusSquare, 4.0e-20);
    ASSERT_TRUE(job("1.5"));
    EXPECT_DOUBLE_EQ(shared.OrRadiusSquare, 2.25e-20);
    ASSERT_TRUE(job("1.8"));  // never raised again
    EXPECT_DOUBLE_EQ(shared.OrRadiusSquare, 2.25e-20);
    ASSERT_TRUE(job("0.0"));  // a null radius would switch OR off for good
    EXPECT_DOUBLE_EQ(shared.OrRadiusSquare, 2.25e-20);
    ASSERT_TRUE(job("-1.0"));
    EXPECT_DOUBLE_EQ(shared.OrRadiusSquare, 2.25e-20);
    ASSERT_TRUE(job("1.0"));
    EXPECT_DOUBLE_EQ(shared.OrRadiusSquare, 1.0e-20);
}

TEST(InelasticFile, StRadiusBecomesTheLargestRadiusPlusHalfAnAngstromWhenSmaller) {
    TempDir dir;
    testing::RecordingUserInterface ui;
    ProgramContext shared(ui);
    const auto job = [&](std::vector<std::string> lines) {
        SimulationState state(shared);
        InlText text;
        text.St = std::move(lines);
        return ReadInelasticFile(state, dir.Write("a.inl", text.Text()));
    };
    ASSERT_TRUE(job({"841 2.5 10.0 3 0.5"}));  // (2.5 A)^2 is not below (2 A)^2
    EXPECT_EQ(shared.StRadiusSquare, 4.0e-20);
    ASSERT_TRUE(job({"841 1.2 10.0 3 0.5", "2116 1.4 8.0 2 0.5", "1 0.3 1.0 1 1.0"}));
    EXPECT_DOUBLE_EQ(shared.StRadiusSquare, 1.9e-10 * 1.9e-10);
    ASSERT_TRUE(job({"841 1.8 10.0 3 0.5"}));  // 1.8^2 < 1.9^2: (2.3 A)^2, kept for later jobs
    EXPECT_DOUBLE_EQ(shared.StRadiusSquare, 2.3e-10 * 2.3e-10);
    // A file without ST entries says nothing about the radius.
    ASSERT_TRUE(job({}));
    EXPECT_DOUBLE_EQ(shared.StRadiusSquare, 2.3e-10 * 2.3e-10);
    ASSERT_TRUE(job({"841 0.0 10.0 3 0.5"}));
    EXPECT_DOUBLE_EQ(shared.StRadiusSquare, 2.3e-10 * 2.3e-10);
}

TEST(InelasticFile, CoolingBlockIsLoggedAsWrittenAndConverted) {
    TempDir dir;
    Job job;
    job.program.Options.UseCooling = true;
    InlText text;
    text.Cooling = true;
    ASSERT_TRUE(Read(job, dir, text));
    EXPECT_EQ(ColouredLog(job.ui),
              (std::vector<std::string>{"black|  Cooling goal = 300.000K",
                                        "black|  Cooling period = 100.000fs",
                                        "black|  Cooling starts at 12.500fs",
                                        "black|  Cooling stops at 200.000fs"}));
    const InelasticParameters& v = job.state.Inelastic;
    EXPECT_EQ(v.CoolingGoal, 300.0);
    EXPECT_DOUBLE_EQ(v.CoolingPeriod, 100.0e-15);
    EXPECT_DOUBLE_EQ(v.CoolingStart, 12.5e-15);
    EXPECT_DOUBLE_EQ(v.CoolingEnd, 200.0e-15);
}

TEST(InelasticFile, ImageBlockSetsEnergyDistanceAndLengthSquare) {
    TempDir dir;
    Job job;
    job.program.Options.UseCooling = true;
    job.program.Options.UseImagePotential = true;
    InlText text;
    text.Cooling = true;
    text.Image = true;
    ASSERT_TRUE(Read(job, dir, text));
    const InelasticParameters& v = job.state.Inelastic;
    const double energy = 5.0 * 1.602192e-19;
    EXPECT_DOUBLE_EQ(v.ImageEnergy, energy);
    EXPECT_DOUBLE_EQ(v.ImageDistance, 1.0e-10);
    EXPECT_DOUBLE_EQ(v.ImageLengthSquare,
                     (2.30712175676602e-28 / energy) * (2.30712175676602e-28 / energy));
    EXPECT_EQ(job.ui.LogTexts().size(), 4u);  // the cooling lines only
}

TEST(InelasticFile, WithoutCoolingTheCoolingBlockIsReadAsTheImageBlock) {
    TempDir dir;
    Job job;
    job.program.Options.UseImagePotential = true;
    InlText text;
    text.Cooling = true;  // present in the file although the option is off
    text.Image = true;
    ASSERT_TRUE(Read(job, dir, text));
    const InelasticParameters& v = job.state.Inelastic;
    EXPECT_DOUBLE_EQ(v.ImageEnergy, 100.0 * 1.602192e-19);  // the cooling period
    EXPECT_DOUBLE_EQ(v.ImageDistance, 300.0e-10);           // the cooling goal
    EXPECT_EQ(v.CoolingGoal, 0.0);
    EXPECT_TRUE(job.ui.Events.empty());
}

TEST(InelasticFile, ImageParametersNotAboveZeroAreReportedAndKept) {
    TempDir dir;
    const std::pair<const char*, const char*> cases[] = {{"0.0", "1.0"}, {"5.0", "-1.0"},
                                                         {"-2.0", "0.0"}};
    for (const auto& [energy, distance] : cases) {
        Job job;
        job.program.Options.UseImagePotential = true;
        InlText text;
        text.Image = true;
        text.ImageEnergy = energy;
        text.ImageDistance = distance;
        EXPECT_TRUE(Read(job, dir, text)) << energy << " " << distance;
        EXPECT_EQ(ColouredLog(job.ui),
                  (std::vector<std::string>{
                      "red|   Error in image potential parameters in INL file."}));
        EXPECT_DOUBLE_EQ(job.state.Inelastic.ImageEnergy, std::stod(energy) * 1.602192e-19);
        EXPECT_DOUBLE_EQ(job.state.Inelastic.ImageDistance, std::stod(distance) * 1e-10);
        EXPECT_TRUE(job.program.Options.UseImagePotential);
    }
    // A null energy means no image force: an infinite softening length, no NaN.
    Job null;
    null.program.Options.UseImagePotential = true;
    InlText text;
    text.Image = true;
    text.ImageEnergy = "0";
    ASSERT_TRUE(Read(null, dir, text));
    EXPECT_TRUE(std::isinf(null.state.Inelastic.ImageLengthSquare));
}

TEST(InelasticFile, MissingEmptyOrDirectoryShowsNotFound) {
    TempDir dir;
    const std::string names[] = {dir.File("missing.inl"), dir.Write("empty.inl", ""),
                                 dir.Write("ctrlz.inl", "\x1a"), dir.Path().string()};
    for (const std::string& name : names) {
        Job job;
        job.program.Options.UseLSS = true;
        EXPECT_FALSE(ReadInelasticFile(job.state, name)) << name;
        EXPECT_EQ(job.ui.Texts(UiCall::ErrorBox),
                  (std::vector<std::string>{"Inelastic file not found: " + name}));
        EXPECT_TRUE(job.ui.LogTexts().empty());
        EXPECT_TRUE(job.program.Options.UseLSS);
    }
}

TEST(InelasticFile, RejectedFileChangesNeitherOptionsNorRadiiNorTables) {
    TempDir dir;
    Job job;
    SimulationOptions& o = job.program.Options;
    o.UseLSS = o.UseOR = o.UseST = o.UseCooling = true;
    InlText text;
    text.Lss = {"29 1.0 2.0x"};  // format error: every later value reads as 0
    text.Cooling = true;
    EXPECT_FALSE(Read(job, dir, text));
    EXPECT_TRUE(job.ui.Events.empty());
    EXPECT_TRUE(o.UseLSS && o.UseOR && o.UseST && o.UseCooling);
    EXPECT_EQ(job.program.OrRadiusSquare, 4.0e-20);
    EXPECT_EQ(job.program.StRadiusSquare, 4.0e-20);
    EXPECT_EQ(job.state.Inelastic.LssCount, 0);
    EXPECT_EQ(job.state.Inelastic.LssTable[0].AtomicNumber, 0);
}

TEST(InelasticFile, MoreThanTenKeptEntriesRejectTheFile) {
    TempDir dir;
    const auto lines = [](int n, const char* tail) {
        std::vector<std::string> v;
        for (int i = 1; i <= n; ++i) v.push_back(std::to_string(i) + tail);
        return v;
    };
    struct Case {
        const char* Table;
        int Lss, Or, St;
    };
    const Case cases[] = {{"LSS", 11, 1, 1}, {"OR", 1, 11, 1}, {"ST", 1, 1, 12}};
    for (const Case& c : cases) {
        Job job;
        InlText text;
        text.Lss = lines(c.Lss, " 1.0 1.0");
        text.Or = lines(c.Or, " 1.0 1.0");
        text.St = lines(c.St, " 1.0 1.0 1 0.5");
        EXPECT_FALSE(Read(job, dir, text)) << c.Table;
        EXPECT_EQ(ColouredLog(job.ui),
                  (std::vector<std::string>{std::string("red|  Error: more than 10 ") + c.Table +
                                            " entries in INL file"}));
        EXPECT_EQ(job.state.Inelastic.LssCount, 0);
        EXPECT_EQ(job.program.OrRadiusSquare, 4.0e-20);
    }

    // Exactly ten kept, with null lines beside them, is fine.
    Job ten;
    InlText text;
    text.Lss = lines(10, " 1.0 1.0");
    text.Lss.push_back("30 0.0 1.0");
    text.Lss.push_back("31 1.0 0.0");
    ASSERT_TRUE(Read(ten, dir, text));
    EXPECT_EQ(ten.state.Inelastic.LssCount, 10);
    EXPECT_EQ(ten.state.Inelastic.LssTable[9].AtomicNumber, 10);
    EXPECT_EQ(ten.state.Inelastic.LssSpeedThreshold, 1.0e4);
    EXPECT_EQ(ten.state.Inelastic.OrCount, 1);
}

TEST(InelasticFile, HugeCountInAShortFileEndsPromptly) {
    TempDir dir;
    Job job;
    job.program.Options.UseLSS = true;
    const std::string text = "heading\n2000000000 LSS lines\n29 1.0 1.0\n";
    // Past the end every value is 0: the file reads, the one line is kept.
    EXPECT_TRUE(ReadInelasticFile(job.state, dir.Write("a.inl", text)));
    EXPECT_EQ(job.state.Inelastic.LssCount, 1);
    EXPECT_EQ(job.state.Inelastic.LssSpeedThreshold, 0.0);
}

TEST(InelasticFile, ValuesWhoseProductsOverflowAreRejected) {
    TempDir dir;
    Job job;
    InlText text;
    text.Lss = {"29 1e300 1e300"};
    EXPECT_FALSE(Read(job, dir, text));
    EXPECT_TRUE(job.ui.Events.empty());

    Job radius;
    InlText wide;
    wide.OrRadius = "1e300";
    EXPECT_FALSE(Read(radius, dir, wide));
    EXPECT_EQ(radius.program.OrRadiusSquare, 4.0e-20);
}

TEST(InelasticFile, HeadingOnlyFileReadsAsZeros) {
    TempDir dir;
    Job job;
    job.program.Options.UseOR = true;
    ASSERT_TRUE(ReadInelasticFile(job.state, dir.Write("h.inl", "just a heading, no line end")));
    EXPECT_EQ(ColouredLog(job.ui),
              (std::vector<std::string>{
                  "red|  Warning: Oen-Rob. option disabled (null parameters in INL file)"}));
    EXPECT_FALSE(job.program.Options.UseOR);
    EXPECT_EQ(job.program.OrRadiusSquare, 4.0e-20);
}

TEST(InelasticFile, GarbageFails) {
    TempDir dir;
    std::string garbage;
    for (int i = 0; i < 3000; ++i)
        garbage.push_back(i % 40 == 39 ? '\n' : static_cast<char>(33 + (i * 37) % 90));
    Job job;
    job.program.Options.UseCooling = true;
    EXPECT_FALSE(ReadInelasticFile(job.state, dir.Write("g.inl", garbage)));
    EXPECT_TRUE(job.program.Options.UseCooling);
    EXPECT_TRUE(job.ui.LogTexts().empty());
}

}  // namespace
}  // namespace vantrel
