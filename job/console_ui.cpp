#include "job/console_ui.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace vantrel {

namespace {

bool IsTerminal(std::FILE* stream) { return stream && ::isatty(::fileno(stream)) == 1; }

// One line typed on standard input, without its line end; empty at the end
// of the input.
std::string ReadTerminalLine() {
    std::string line;
    char c = 0;
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, &c, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0 || c == '\n') break;
        if (line.size() < 256) line.push_back(c);
    }
    return line;
}

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
    // One call per line: a flush from another thread never splits a line.
    // Flushed at once, so the log is never behind its runs file.
    if (plainLog_) {
        std::fprintf(plainLog_, "%.*s\n", static_cast<int>(text.size()), text.data());
        std::fflush(plainLog_);
        plainLogLines_ += 1;
    }
    if (quiet_ || !log_) return;
    if (log_ == messages_ || (logIsTerminal_ && messagesAreTerminal_)) EndProgressLine();
    if (logIsTerminal_ && colour != ColourBlack) {
        std::fprintf(log_, "\x1b[38;2;%d;%d;%dm%.*s\x1b[0m\n", colour.Red, colour.Green,
                     colour.Blue, static_cast<int>(text.size()), text.data());
    } else {
        std::fprintf(log_, "%.*s\n", static_cast<int>(text.size()), text.data());
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

void ConsoleUserInterface::Notice(std::string_view text) { Message("", text); }

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
            // Straight from the descriptor: stdin's stream lock is never held
            // while waiting, so a flush of all streams cannot block on it.
            const std::string line = ReadTerminalLine();
            answer = !line.empty() && (line[0] == 'y' || line[0] == 'Y');
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
