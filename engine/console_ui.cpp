#include "engine/console_ui.h"

#include <cstring>
#include <unistd.h>

namespace vantrel {

namespace {

bool IsTerminal(std::FILE* stream) { return stream && ::isatty(::fileno(stream)) == 1; }

std::string WithLineBreaks(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == '\r') c = '\n';
    return out;
}

}  // namespace

ConsoleUserInterface::ConsoleUserInterface(std::FILE* log, std::FILE* messages,
                                           AnswerPolicy policy)
    : log_(log),
      messages_(messages),
      policy_(policy),
      logIsTerminal_(IsTerminal(log)),
      messagesAreTerminal_(IsTerminal(messages)) {}

void ConsoleUserInterface::EndProgressLine() {
    if (!progressShown_) return;
    if (messagesAreTerminal_) std::fputs("\r\x1b[K", messages_);
    progressShown_ = false;
}

void ConsoleUserInterface::AppendLogLine(std::string_view text, LogColour colour) {
    if (plainLog_) {
        std::fwrite(text.data(), 1, text.size(), plainLog_);
        std::fputc('\n', plainLog_);
    }
    if (quiet_ || !log_) return;
    if (log_ == messages_ || (logIsTerminal_ && messagesAreTerminal_)) EndProgressLine();
    if (logIsTerminal_ && colour != ColourBlack) {
        std::fprintf(log_, "\x1b[38;2;%d;%d;%dm%.*s\x1b[0m\n", colour.Red, colour.Green,
                     colour.Blue, static_cast<int>(text.size()), text.data());
    } else {
        std::fwrite(text.data(), 1, text.size(), log_);
        std::fputc('\n', log_);
    }
    std::fflush(log_);
}

void ConsoleUserInterface::SetStatusText(std::string_view text) {
    if (!messages_) return;
    if (messagesAreTerminal_) {
        std::fprintf(messages_, "\r\x1b[K%.*s", static_cast<int>(text.size()), text.data());
        progressShown_ = true;
        std::fflush(messages_);
    } else if (progress_) {
        std::fprintf(messages_, "%.*s\n", static_cast<int>(text.size()), text.data());
        std::fflush(messages_);
    }
}

void ConsoleUserInterface::Message(const char* prefix, std::string_view text,
                                   const char* suffix) {
    if (!messages_) return;
    EndProgressLine();
    std::fprintf(messages_, "%s%s%s\n", prefix, WithLineBreaks(text).c_str(), suffix);
    std::fflush(messages_);
}

void ConsoleUserInterface::ErrorBox(std::string_view text) { Message("error: ", text); }

void ConsoleUserInterface::WarningBox(std::string_view text) { Message("warning: ", text); }

void ConsoleUserInterface::ExpressionError(std::string_view message) {
    Message("expression error: ", message);
}

bool ConsoleUserInterface::AskYesNo(std::string_view text, QuestionKind) {
    bool answer = false;
    switch (policy_) {
        case AnswerPolicy::AlwaysYes:
            answer = true;
            break;
        case AnswerPolicy::AlwaysNo:
            answer = false;
            break;
        case AnswerPolicy::AskOnTerminal: {
            if (!IsTerminal(stdin) || !messagesAreTerminal_) {
                Message("question: ", text, " -> no (no terminal to ask)");
                if (unansweredHook_) unansweredHook_(std::string(text));
                return false;
            }
            EndProgressLine();
            std::fprintf(messages_, "question: %s [y/N] ", WithLineBreaks(text).c_str());
            std::fflush(messages_);
            char line[64] = {0};
            if (std::fgets(line, sizeof line, stdin))
                answer = line[0] == 'y' || line[0] == 'Y';
            std::fprintf(messages_, "question: %s -> %s\n", WithLineBreaks(text).c_str(),
                         answer ? "yes" : "no");
            std::fflush(messages_);
            return answer;
        }
    }
    Message("question: ", text, answer ? " -> yes" : " -> no");
    return answer;
}

void ConsoleUserInterface::ProcessPendingEvents() {
    if (eventHook_) eventHook_();
}

}  // namespace vantrel
