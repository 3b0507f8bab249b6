#include <string>

#include <gtest/gtest.h>

#include "job/log.h"
#include "job/log_model.h"
#include "tests/support/recording_ui.h"

namespace vantrel {
namespace {

TEST(LogLine, CutsLongMessagesToHundredCharacters) {
    testing::RecordingUserInterface ui;
    const std::string message(130, 'x');
    LogLine(ui, message, ColourRed);
    ASSERT_EQ(ui.LogEvents().size(), 1u);
    EXPECT_EQ(ui.LogEvents()[0].Text, std::string(100, 'x'));
    EXPECT_EQ(ui.LogEvents()[0].Colour, ColourRed);
}

TEST(LogLine, CutCountsCharactersNotBytes) {
    // The mode-7 summary line carries a two-byte character.
    const std::string text = "  Output: all particles emitted within 5\u00f8 of surface normal";
    EXPECT_EQ(CutText(text, 41), "  Output: all particles emitted within 5\u00f8");
    EXPECT_EQ(CutText(text, 40), "  Output: all particles emitted within 5");
    EXPECT_EQ(CutText("abc", 10), "abc");
}

TEST(LogLine, StatusTextIsCutToFiftyCharacters) {
    testing::RecordingUserInterface ui;
    ShowStatusText(ui, std::string(70, 's'));
    ASSERT_EQ(ui.Texts(testing::UiCall::Status).size(), 1u);
    EXPECT_EQ(ui.Texts(testing::UiCall::Status)[0], std::string(50, 's'));
}

TEST(LogModel, StartsWithOneLineOfThreeBlanks) {
    LogModel log;
    ASSERT_EQ(log.LineCount(), 1u);
    EXPECT_EQ(log.Lines()[0].Text, "   ");
}

TEST(LogModel, FiveHundredLimitClearsAtTheFiveHundredAndSecondLine) {
    LogModel log;
    for (int k = 1; k <= 500; ++k) {
        const LogAppendPlan plan = log.Append("line " + std::to_string(k), ColourBlack, 500);
        EXPECT_FALSE(plan.ClearFirst) << k;
        EXPECT_FALSE(plan.InsertAtEnd);
    }
    EXPECT_EQ(log.LineCount(), 501u);
    const LogAppendPlan plan = log.Append("the 502nd line", ColourBlue, 500);
    EXPECT_TRUE(plan.ClearFirst);
    ASSERT_EQ(log.LineCount(), 1u);
    EXPECT_EQ(log.Lines()[0].Text, "the 502nd line");
    EXPECT_EQ(log.Lines()[0].Colour, ColourBlue);
}

TEST(LogModel, ZeroLimitShowsOnlyTheLatestLine) {
    LogModel log;
    for (int k = 0; k < 5; ++k) {
        log.Append("line " + std::to_string(k), ColourBlack, 0);
        ASSERT_EQ(log.LineCount(), 1u);
        EXPECT_EQ(log.Lines()[0].Text, "line " + std::to_string(k));
    }
}

TEST(LogModel, LimitsAboveFiveHundredInsertAtTheEnd) {
    EXPECT_FALSE(LogModel::Plan(3, 500).InsertAtEnd);
    EXPECT_TRUE(LogModel::Plan(3, 501).InsertAtEnd);
    EXPECT_TRUE(LogModel::Plan(9000001, 9000000).ClearFirst);
    EXPECT_FALSE(LogModel::Plan(9000000, 9000000).ClearFirst);
}

TEST(LogModel, UnlimitedLinesIgnoreTheBufferRule) {
    LogModel log;
    for (int k = 0; k < 10; ++k) log.AppendUnlimited("file", ColourDarkGreen);
    EXPECT_EQ(log.LineCount(), 11u);
    log.Append("next", ColourBlack, 5);
    EXPECT_EQ(log.LineCount(), 1u);
}

}  // namespace
}  // namespace vantrel
