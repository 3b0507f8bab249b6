#include "job/selection_text.h"

#include <string>

#include <gtest/gtest.h>

#include "tests/support/recording_ui.h"

namespace vantrel {
namespace {

struct Job {
    testing::RecordingUserInterface ui;
    ProgramContext program{ui};
    SimulationState state{program};
};

TEST(SelectionText, StoredUpperCasedWithNothingElseChanged) {
    Job job;
    CompileSelectionExpression(job.state, "[ke > 10.0*ep] & [rz > 5.0e-11] | (altd<5)");
    EXPECT_EQ(job.state.SelectionText, "[KE > 10.0*EP] & [RZ > 5.0E-11] | (ALTD<5)");
    EXPECT_TRUE(job.ui.Events.empty());  // errors show only when evaluated
}

TEST(SelectionText, CutTo255CharactersWithoutSplittingOne) {
    Job job;
    CompileSelectionExpression(job.state, std::string(300, 'x'));
    EXPECT_EQ(job.state.SelectionText, std::string(255, 'X'));

    // Bytes of other characters pass unchanged and are never split.
    Job wide;
    const std::string text = std::string(254, 'a') + "\xC3\xB8" + "b";
    CompileSelectionExpression(wide.state, text);
    EXPECT_EQ(wide.state.SelectionText, std::string(254, 'A') + "\xC3\xB8");
}

TEST(SelectionText, EmptyTextReplacesAnEarlierOne) {
    Job job;
    CompileSelectionExpression(job.state, "ke > 1");
    CompileSelectionExpression(job.state, "");
    EXPECT_EQ(job.state.SelectionText, "");
}

}  // namespace
}  // namespace vantrel
