#include <string>

#include <gtest/gtest.h>

#include "job/log.h"
#include "job/log_buffer_rule.h"
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

// The buffer rule: the whole log is cleared before a line when it holds more
// lines than the limit; above 500 lines the caret goes to the end first.
// (Only the rule is used: the log pane applies it to its own lines, see
// tests/ui/log_view_test.cpp.)
TEST(LogBufferRule, PlanClearsOnlyBeyondTheLimitAndInsertsAtTheEndAbove500) {
    const struct {
        std::size_t Held;
        std::int32_t Limit;
        bool Clear, AtEnd;
    } cases[] = {
        {500, 500, false, false}, {501, 500, true, false},  {1, 0, true, false},   {0, 0, false, false},
        {1, -5, true, false},     {3, 500, false, false},   {3, 501, false, true}, {9000000, 9000000, false, true},
        {9000001, 9000000, true, true},
    };
    for (const auto& c : cases) {
        const LogAppendPlan plan = PlanLogAppend(c.Held, c.Limit);
        EXPECT_EQ(plan.ClearFirst, c.Clear) << c.Held << " lines, limit " << c.Limit;
        EXPECT_EQ(plan.InsertAtEnd, c.AtEnd) << c.Held << " lines, limit " << c.Limit;
    }
}

}  // namespace
}  // namespace vantrel
