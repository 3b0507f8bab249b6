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

}  // namespace vantrel::cli
