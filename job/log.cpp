#include "job/log.h"

namespace vantrel {

void LogLine(UserInterface& ui, std::string_view text, LogColour colour) {
    ui.AppendLogLine(CutText(text, LogLineLimit), colour);
}

void ShowError(UserInterface& ui, std::string_view text) { ui.ErrorBox(text); }

void ShowStatusText(UserInterface& ui, std::string_view text) {
    ui.SetStatusText(CutText(text, StatusTextLimit));
}

}  // namespace vantrel
