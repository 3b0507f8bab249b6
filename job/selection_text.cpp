#include "job/selection_text.h"

#include "job/log.h"

namespace vantrel {

void CompileSelectionExpression(SimulationState& s, std::string_view text) {
    std::string upper = CutText(text, ShortTextLimit);
    // ASCII letters only: the language's keywords are ASCII, and bytes of
    // other characters must pass unchanged so the scanner can name them.
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    s.SelectionText = std::move(upper);
}

}  // namespace vantrel
