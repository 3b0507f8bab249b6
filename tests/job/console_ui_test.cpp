#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "job/console_ui.h"
#include "job/log.h"

namespace vantrel {
namespace {

// A scratch stream read back whole (never a terminal).
class Stream {
public:
    Stream() : file_(std::tmpfile()) {}
    ~Stream() { std::fclose(file_); }
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;
    std::FILE* get() const { return file_; }
    std::string Text() const {
        std::fflush(file_);
        std::rewind(file_);
        std::string text;
        int c = 0;
        while ((c = std::fgetc(file_)) != EOF) text.push_back(static_cast<char>(c));
        return text;
    }

private:
    std::FILE* file_;
};

TEST(ConsoleUserInterface, LogLinesArePlainTextWhenTheStreamIsNoTerminal) {
    Stream log, messages, plain;
    ConsoleUserInterface ui(log.get(), messages.get(), AnswerPolicy::AlwaysNo);
    ui.SetPlainLogFile(plain.get());
    LogLine(ui, "  Run count: 1", ColourMagenta);
    LogLine(ui, "", ColourBlack);
    LogLine(ui, std::string(120, 'x'), ColourRed);
    const std::string expected = "  Run count: 1\n\n" + std::string(100, 'x') + "\n";
    EXPECT_EQ(log.Text(), expected);
    EXPECT_EQ(plain.Text(), expected);
    EXPECT_EQ(messages.Text(), "");
}

TEST(ConsoleUserInterface, QuietKeepsThePlainLogFile) {
    Stream log, messages, plain;
    ConsoleUserInterface ui(log.get(), messages.get(), AnswerPolicy::AlwaysNo);
    ui.SetQuiet(true);
    ui.SetPlainLogFile(plain.get());
    LogLine(ui, "  ...Simulation aborted", ColourRed);
    ShowError(ui, "General initialisation error (or aborted by user).");
    EXPECT_EQ(log.Text(), "");
    EXPECT_EQ(plain.Text(), "  ...Simulation aborted\n");
    EXPECT_EQ(messages.Text(), "error: General initialisation error (or aborted by user).\n");
}

TEST(ConsoleUserInterface, BoxesAndQuestionsGoToTheMessageStreamWithTheirPrefix) {
    Stream log, messages;
    ConsoleUserInterface yes(log.get(), messages.get(), AnswerPolicy::AlwaysYes);
    ConsoleUserInterface no(log.get(), messages.get(), AnswerPolicy::AlwaysNo);
    yes.WarningBox("Simulation may terminate prematurely:\rtermination energy is too high");
    EXPECT_TRUE(yes.AskYesNo("Proceed with simulation now?", QuestionKind::Confirmation));
    EXPECT_FALSE(no.AskYesNo("Abort remaining batch jobs?", QuestionKind::Confirmation));
    no.ExpressionError("Unknown identifier");
    no.Notice("batch: Vantrel 1.0 (batch item #1 a)");
    EXPECT_EQ(messages.Text(),
              "warning: Simulation may terminate prematurely:\n"
              "termination energy is too high\n"
              "question: Proceed with simulation now? -> yes\n"
              "question: Abort remaining batch jobs? -> no\n"
              "expression error: Unknown identifier\n"
              "batch: Vantrel 1.0 (batch item #1 a)\n");
    EXPECT_EQ(log.Text(), "");
}

TEST(ConsoleUserInterface, WithoutATerminalTheQuestionIsAnsweredNoAndReported) {
    Stream log, messages;
    ConsoleUserInterface ui(log.get(), messages.get(), AnswerPolicy::AskOnTerminal);
    std::string reported;
    ui.SetUnansweredHook([&](const std::string& q) { reported = q; });
    EXPECT_FALSE(ui.AskYesNo("Proceed with simulation now?", QuestionKind::Confirmation));
    EXPECT_EQ(reported, "Proceed with simulation now?");
    EXPECT_EQ(messages.Text(),
              "question: Proceed with simulation now? -> no (no terminal to ask)\n");
}

TEST(ConsoleUserInterface, StatusTextShowsOnlyWhenAskedForOffATerminal) {
    Stream log, messages;
    ConsoleUserInterface ui(log.get(), messages.get(), AnswerPolicy::AlwaysNo);
    ShowStatusText(ui, "Timesteps: 10 (1.00 fs)");
    EXPECT_EQ(messages.Text(), "");
    ui.SetProgress(true);
    ShowStatusText(ui, "Timesteps: 20 (2.00 fs)");
    EXPECT_EQ(messages.Text(), "Timesteps: 20 (2.00 fs)\n");
}

TEST(ConsoleUserInterface, PendingEventsCallTheHook) {
    Stream log, messages;
    ConsoleUserInterface ui(log.get(), messages.get(), AnswerPolicy::AlwaysNo);
    int calls = 0;
    ui.ProcessPendingEvents();
    ui.SetEventHook([&] { ++calls; });
    ui.ProcessPendingEvents();
    ui.ProcessPendingEvents();
    EXPECT_EQ(calls, 2);
}

}  // namespace
}  // namespace vantrel
