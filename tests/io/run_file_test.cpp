#include "io/run_file.h"

#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/reader_texts.h"
#include "tests/support/temp_dir.h"

namespace vantrel {
namespace {

using testing::RunText;
using testing::TempDir;

const std::string Banner = "  ++++ Error ++++";
const std::string Format = "  Format error in .RUN file";
const std::string Parameter = "  Parameter error in .RUN file";

// The texts of messages [from, to); every run-file message is a red line.
std::vector<std::string> Texts(const RunFileRead& read, std::size_t from, std::size_t to) {
    std::vector<std::string> texts;
    for (std::size_t k = from; k < to; ++k) {
        EXPECT_EQ(read.Messages[k].Kind, ReaderMessageKind::LogLine);
        EXPECT_EQ(read.Messages[k].Tone, MessageTone::Error);
        texts.push_back(read.Messages[k].Text);
    }
    return texts;
}

RunFileRead Parse(const TempDir& dir, const RunText& text) {
    return ParseRunFile(dir.Write("job.run", text.Text()));
}

TEST(RunFile, ValidFileFillsParametersWithTheirConversions) {
    TempDir dir;
    RunText text;
    text.Altitude = "45.0";
    text.Azimuth = "30.0";
    const RunFileRead read = Parse(dir, text);
    ASSERT_TRUE(read.Ok);
    EXPECT_TRUE(read.Messages.empty());
    const RunParameters& run = read.Run;
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
}

TEST(RunFile, ConditionLineIsOptionalAndKeptTo255Characters) {
    TempDir dir;
    RunText tenLines;
    tenLines.OutputSelection = "3";
    tenLines.WithLine11 = false;
    RunFileRead read = Parse(dir, tenLines);
    EXPECT_TRUE(read.Ok);
    EXPECT_EQ(read.Run.SelectionExpression, "");
    EXPECT_EQ(read.Run.MaxPartners, 200);

    RunText longCondition;
    longCondition.OutputSelection = "8";
    longCondition.Expression = std::string(300, 'k');
    read = Parse(dir, longCondition);
    EXPECT_TRUE(read.Ok);
    EXPECT_EQ(read.Run.SelectionExpression, std::string(255, 'k'));
}

// Each case: what is changed, then the messages before the summary position
// (format, output selection) and after it (the other checks).
TEST(RunFile, EveryErrorHasItsBannerAndItsPlaceAroundTheSummary) {
    struct Case {
        const char* Label;
        std::function<void(RunText&)> Change;
        std::vector<std::string> Before, After;
    };
    const std::vector<std::string> partners501 = {
        Banner, "  No. of partners parameter (set at 501) in .RUN file is larger",
        "  than the maximum allowed value of 500. Decrease the former",
        "  in the .RUN file, or increase the latter in the source file (if available)."};
    const std::string altitude = Parameter + " (altitude not between 0 and 180 degrees)";
    const Case cases[] = {
        {"output 9", [](RunText& t) { t.OutputSelection = "9"; }, {Banner, Parameter}, {}},
        {"output -1", [](RunText& t) { t.OutputSelection = "-1"; }, {Banner, Parameter}, {}},
        {"output max", [](RunText& t) { t.OutputSelection = "2147483647"; }, {Banner, Parameter}, {}},
        {"sample -1", [](RunText& t) { t.SampleMode = "-1"; }, {}, {Banner, Parameter + " (sample mode)"}},
        {"sample 4", [](RunText& t) { t.SampleMode = "4"; }, {}, {Banner, Parameter + " (sample mode)"}},
        {"partners 501", [](RunText& t) { t.MaxPartners = "501"; }, {}, partners501},
        {"timestep 0", [](RunText& t) { t.Timestep = "0.0"; }, {},
         {Banner, Parameter + " (timestep not above 0)"}},
        {"timestep < 0", [](RunText& t) { t.Timestep = "-1.0E-16"; }, {},
         {Banner, Parameter + " (timestep not above 0)"}},
        {"interval 0", [](RunText& t) { t.UpdateInterval = "0"; }, {},
         {Banner, Parameter + " (update interval below 1)"}},
        {"partners 0", [](RunText& t) { t.MaxPartners = "0"; }, {},
         {Banner, Parameter + " (No. of partners below 1)"}},
        {"partners -5", [](RunText& t) { t.MaxPartners = "-5"; }, {},
         {Banner, Parameter + " (No. of partners below 1)"}},
        {"altitude 0", [](RunText& t) { t.Altitude = "0.0"; }, {}, {Banner, altitude}},
        {"altitude 180", [](RunText& t) { t.Altitude = "180.0"; }, {}, {Banner, altitude}},
        {"altitude -30", [](RunText& t) { t.Altitude = "-30.0"; }, {}, {Banner, altitude}},
        // After a format error the zeros read later are not judged.
        {"glued label", [](RunText& t) { t.OutputSelection = "9"; t.Altitude = "90.0deg"; },
         {Banner, Format, Banner, Parameter}, {}},
        {"several",
         [](RunText& t) { t.SampleMode = "7"; t.OutputSelection = "12"; t.MaxPartners = "1000"; },
         {Banner, Parameter},
         {Banner, Parameter + " (sample mode)", Banner,
          "  No. of partners parameter (set at 1000) in .RUN file is larger",
          "  than the maximum allowed value of 500. Decrease the former",
          "  in the .RUN file, or increase the latter in the source file (if available)."}},
        {"several with format",
         [](RunText& t) { t.SampleMode = "4"; t.OutputSelection = "9"; t.Times = "500.0 50fs"; },
         {Banner, Format, Banner, Parameter}, {Banner, Parameter + " (sample mode)"}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        RunText text;
        c.Change(text);
        const RunFileRead read = Parse(dir, text);
        EXPECT_FALSE(read.Ok) << c.Label;
        EXPECT_EQ(Texts(read, 0, read.SummaryAt), c.Before) << c.Label;
        EXPECT_EQ(Texts(read, read.SummaryAt, read.Messages.size()), c.After) << c.Label;
    }
}

TEST(RunFile, LimitValuesAreAccepted) {
    const std::function<void(RunText&)> changes[] = {
        [](RunText& t) { t.MaxPartners = "500"; },
        [](RunText& t) { t.Altitude = "0.5"; },
        [](RunText& t) { t.Altitude = "179.5"; },
        [](RunText& t) { t.UpdateInterval = "1"; t.MaxPartners = "1"; },
        [](RunText& t) { t.SampleMode = "0"; t.OutputSelection = "8"; },
    };
    TempDir dir;
    for (const auto& change : changes) {
        RunText text;
        change(text);
        const RunFileRead read = Parse(dir, text);
        EXPECT_TRUE(read.Ok) << text.Text();
        EXPECT_TRUE(read.Messages.empty()) << text.Text();
    }
}

TEST(RunFile, MissingEmptyAndGarbageFiles) {
    TempDir dir;
    for (const std::string& name : {dir.File("missing.run"), dir.Path().string()}) {
        const RunFileRead read = ParseRunFile(name);
        EXPECT_FALSE(read.Ok);
        EXPECT_EQ(Texts(read, 0, read.SummaryAt), (std::vector<std::string>{Banner, Format}));
        EXPECT_EQ(read.SummaryAt, read.Messages.size());
    }
    // An empty file reads zeros, which the checks then reject.
    const RunFileRead empty = ParseRunFile(dir.Write("empty.run", ""));
    EXPECT_EQ(empty.SummaryAt, 0u);
    EXPECT_EQ(Texts(empty, 0, empty.Messages.size()),
              (std::vector<std::string>{Banner, Parameter + " (No. of partners below 1)", Banner,
                                        Parameter + " (timestep not above 0)", Banner,
                                        Parameter + " (update interval below 1)", Banner,
                                        Parameter + " (altitude not between 0 and 180 degrees)"}));

    std::string garbage;
    for (int i = 0; i < 5000; ++i) garbage.push_back(static_cast<char>((i * 7919) % 256));
    const RunFileRead read = ParseRunFile(dir.Write("garbage.run", garbage));
    EXPECT_FALSE(read.Ok);
    ASSERT_GE(read.Messages.size(), 2u);
    EXPECT_EQ(read.Messages[1].Text, Format);
    EXPECT_TRUE(read.Failure.Failed);
}

}  // namespace
}  // namespace vantrel
