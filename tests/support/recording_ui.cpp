#include "tests/support/recording_ui.h"

namespace vantrel::testing {

void RecordingUserInterface::AppendLogLine(std::string_view text, LogColour colour) {
    Events.push_back({UiCall::LogLine, std::string(text), colour});
}

void RecordingUserInterface::SetStatusText(std::string_view text) {
    Events.push_back({UiCall::Status, std::string(text)});
}

void RecordingUserInterface::PlotUpdate(const PlotSnapshot& snapshot) {
    UiEvent event{UiCall::PlotUpdate, {}};
    event.PlotTime = snapshot.Time;
    Events.push_back(event);
}

void RecordingUserInterface::PlotReset() { Events.push_back({UiCall::PlotReset, {}}); }

void RecordingUserInterface::ErrorBox(std::string_view text) {
    Events.push_back({UiCall::ErrorBox, std::string(text)});
}

void RecordingUserInterface::WarningBox(std::string_view text) {
    Events.push_back({UiCall::WarningBox, std::string(text)});
}

bool RecordingUserInterface::AskYesNo(std::string_view text, QuestionKind kind) {
    bool answer = DefaultAnswer;
    if (!Answers.empty()) {
        answer = Answers.front();
        Answers.pop_front();
    }
    UiEvent event{UiCall::Question, std::string(text)};
    event.Kind = kind;
    event.Answer = answer;
    Events.push_back(event);
    if (OnQuestion) OnQuestion(event.Text);
    return answer;
}

void RecordingUserInterface::ProcessPendingEvents() {
    Events.push_back({UiCall::ProcessEvents, {}});
    if (OnProcessEvents) OnProcessEvents();
}

void RecordingUserInterface::Beep() { Events.push_back({UiCall::Beep, {}}); }

void RecordingUserInterface::ExpressionError(std::string_view message) {
    Events.push_back({UiCall::ExpressionError, std::string(message)});
}

void RecordingUserInterface::RefreshMemoryDisplay() {
    Events.push_back({UiCall::MemoryRefresh, {}});
}

void RecordingUserInterface::ShowProgress(std::string_view text) {
    Events.push_back({UiCall::Progress, std::string(text)});
}

void RecordingUserInterface::JobStarted() { Events.push_back({UiCall::JobStarted, {}}); }

std::vector<std::string> RecordingUserInterface::Texts(UiCall call) const {
    std::vector<std::string> texts;
    for (const UiEvent& event : Events)
        if (event.Call == call) texts.push_back(event.Text);
    return texts;
}

std::vector<UiEvent> RecordingUserInterface::LogEvents() const {
    std::vector<UiEvent> lines;
    for (const UiEvent& event : Events)
        if (event.Call == UiCall::LogLine) lines.push_back(event);
    return lines;
}

bool RecordingUserInterface::HasLogLine(const std::string& text) const {
    for (const UiEvent& event : Events)
        if (event.Call == UiCall::LogLine && event.Text == text) return true;
    return false;
}

bool RecordingUserInterface::HasLogLine(const std::string& text, LogColour colour) const {
    for (const UiEvent& event : Events)
        if (event.Call == UiCall::LogLine && event.Text == text && event.Colour == colour)
            return true;
    return false;
}

std::string RecordingUserInterface::LogText() const {
    std::string text;
    for (const UiEvent& event : Events)
        if (event.Call == UiCall::LogLine) text += event.Text + "\n";
    return text;
}

}  // namespace vantrel::testing
