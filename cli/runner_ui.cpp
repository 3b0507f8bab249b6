#include "cli/runner_ui.h"

#include <string>

#include "job/batch.h"
#include "job/partner_lists.h"

namespace vantrel::cli {

bool RunnerUserInterface::AskYesNo(std::string_view text, QuestionKind kind) {
    if (interrupted_ && (text == AbortQuestionText || text == BatchAbortQuestionText)) {
        Notice("question: " + std::string(text) + " -> yes (Ctrl-C)");
        return true;
    }
    return ConsoleUserInterface::AskYesNo(text, kind);
}

void RunnerUserInterface::SetStatusText(std::string_view text) {
    if (text.starts_with(StepStatusPrefix)) {
        stepStatus_ = text;
        return;
    }
    stepStatus_.clear();
    ConsoleUserInterface::SetStatusText(text);
}

void RunnerUserInterface::ShowProgress(std::string_view text) {
    ConsoleUserInterface::SetStatusText(stepStatus_.empty() ? std::string(text)
                                                            : stepStatus_ + "  " + std::string(text));
    stepStatus_.clear();
}

}  // namespace vantrel::cli
