#include "output/selection_text.h"

#include "core/number_text.h"

namespace vantrel {

void CompileSelectionExpression(CompiledSelection& selection, std::string_view text) {
    std::string upper = CutText(text, ShortTextLimit);
    // ASCII letters only: the language's keywords are ASCII, and bytes of
    // other characters must pass unchanged so the scanner can name them.
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    selection.Text = std::move(upper);
}

}  // namespace vantrel
