// The console implementation of UserInterface, used by the headless runner.
//
// The log goes to one stream, a line per LogLine (ANSI colours only when that
// stream is a terminal); boxes and questions go to another:
//   error: <text>             warning: <text>
//   question: <text> -> yes   expression error: <text>
// Carriage returns inside a box's text become line breaks.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "job/user_interface.h"

namespace vantrel {

enum class AnswerPolicy {
    AlwaysYes,
    AlwaysNo,
    AskOnTerminal,  // ask on the terminal; answer No when there is none
};

class ConsoleUserInterface : public UserInterface {
public:
    ConsoleUserInterface(std::FILE* log, std::FILE* messages, AnswerPolicy policy);

    void AppendLogLine(std::string_view text, LogColour colour) override;
    void SetStatusText(std::string_view text) override;
    void PlotUpdate(const PlotSnapshot&) override {}
    void PlotReset() override {}
    void ErrorBox(std::string_view text) override;
    void WarningBox(std::string_view text) override;
    bool AskYesNo(std::string_view text, QuestionKind kind) override;
    void ProcessPendingEvents() override;
    void Beep() override {}
    void ExpressionError(std::string_view message) override;
    void RefreshMemoryDisplay() override {}

    // One line of the runner's own on the message stream (batch items,
    // interrupts), ending any progress line first.
    void Notice(std::string_view text);

    // Also write the plain log (no colours) to this file.
    void SetPlainLogFile(std::FILE* file) { plainLog_ = file; }
    // Lines written to that file so far.
    std::int64_t PlainLogLines() const { return plainLogLines_; }
    // No log on the log stream.
    void SetQuiet(bool quiet) { quiet_ = quiet; }
    // Show the status text as a progress line even when the message stream is
    // not a terminal.
    void SetProgress(bool progress) { progress_ = progress; }
    // Called at every pending-events point (the runner turns Ctrl-C into the
    // abort flags here).
    void SetEventHook(std::function<void()> hook) { eventHook_ = std::move(hook); }
    // Called after the console has answered No for want of a terminal.
    void SetUnansweredHook(std::function<void(const std::string&)> hook) {
        unansweredHook_ = std::move(hook);
    }

private:
    void EndProgressLine();
    void Message(const char* prefix, std::string_view text, const char* suffix = "");

    std::FILE* log_;
    std::FILE* messages_;
    std::FILE* plainLog_ = nullptr;
    std::int64_t plainLogLines_ = 0;
    AnswerPolicy policy_;
    bool logIsTerminal_;
    bool messagesAreTerminal_;
    bool quiet_ = false;
    bool progress_ = false;
    bool progressShown_ = false;
    std::function<void()> eventHook_;
    std::function<void(const std::string&)> unansweredHook_;
};

}  // namespace vantrel
