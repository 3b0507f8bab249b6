#include "engine/log.h"

namespace vantrel {

std::string CutText(std::string_view text, std::size_t maxChars) {
    std::size_t chars = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (chars == maxChars) break;
        // Step over one UTF-8 sequence: a lead byte and its continuation bytes.
        ++pos;
        while (pos < text.size() &&
               (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80)
            ++pos;
        ++chars;
    }
    return std::string(text.substr(0, pos));
}

void LogLine(UserInterface& ui, std::string_view text, LogColour colour) {
    ui.AppendLogLine(CutText(text, LogLineLimit), colour);
}

void ShowError(UserInterface& ui, std::string_view text) { ui.ErrorBox(text); }

void ShowStatusText(UserInterface& ui, std::string_view text) {
    ui.SetStatusText(CutText(text, StatusTextLimit));
}

}  // namespace vantrel
