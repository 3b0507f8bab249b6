// A UserInterface that records every call in order, answers questions from a
// script, and lets a test act "during" a job from ProcessPendingEvents.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "job/program.h"
#include "job/user_interface.h"

namespace vantrel::testing {

enum class UiCall {
    LogLine,
    Status,
    PlotUpdate,
    PlotReset,
    ErrorBox,
    WarningBox,
    Question,
    ProcessEvents,
    Beep,
    ExpressionError,
    MemoryRefresh,
    Progress,
    JobStarted,
};

struct UiEvent {
    UiCall Call;
    std::string Text;
    LogColour Colour{};
    QuestionKind Kind = QuestionKind::Confirmation;
    bool Answer = false;  // for questions: what was answered
    float PlotTime = 0;   // for plot updates
};

class RecordingUserInterface : public UserInterface {
public:
    void AppendLogLine(std::string_view text, LogColour colour) override;
    void SetStatusText(std::string_view text) override;
    void PlotUpdate(const PlotSnapshot& snapshot) override;
    void PlotReset() override;
    void ErrorBox(std::string_view text) override;
    void WarningBox(std::string_view text) override;
    bool AskYesNo(std::string_view text, QuestionKind kind) override;
    void ProcessPendingEvents() override;
    void Beep() override;
    void ExpressionError(std::string_view message) override;
    void RefreshMemoryDisplay() override;
    void ShowProgress(std::string_view text) override;
    void JobStarted() override;

    // Answers are taken from the front of Answers; when it is empty,
    // DefaultAnswer is given.
    std::deque<bool> Answers;
    bool DefaultAnswer = true;
    // Called from ProcessPendingEvents (a button pressed during a job).
    std::function<void()> OnProcessEvents;
    // Called after every recorded question (to press buttons in between).
    std::function<void(const std::string&)> OnQuestion;

    std::vector<UiEvent> Events;

    // Texts of all events of one kind, in order.
    std::vector<std::string> Texts(UiCall call) const;
    // Log lines only.
    std::vector<std::string> LogTexts() const { return Texts(UiCall::LogLine); }
    // Log lines with their colours.
    std::vector<UiEvent> LogEvents() const;
    // True when a log line equal to text was recorded (in colour, when given).
    bool HasLogLine(const std::string& text) const;
    bool HasLogLine(const std::string& text, LogColour colour) const;
    // The whole log as one text, a line per LogLine.
    std::string LogText() const;
    void Clear() { Events.clear(); }
};

}  // namespace vantrel::testing
