// Stand-ins for the desktop services in the window tests: file choosers
// answered from a script, and every box, beep and help request recorded.
#pragma once

#include <deque>
#include <utility>
#include <vector>

#include <QString>

#include "ui/ui_services.h"

namespace vantrel::testing {

struct ServiceRecorder {
    std::deque<QString> ChooserAnswers;  // empty text = the user cancelled
    std::vector<FileRequest> Requests;
    std::vector<std::pair<MessageKind, QString>> Messages;
    int Beeps = 0;
    std::vector<int> HelpTopics;

    UiServices Services() {
        UiServices services;
        services.ChooseFile = [this](QWidget*, const FileRequest& request) {
            Requests.push_back(request);
            if (ChooserAnswers.empty()) return QString();
            QString answer = ChooserAnswers.front();
            ChooserAnswers.pop_front();
            return answer;
        };
        services.ShowMessage = [this](QWidget*, MessageKind kind, const QString& text) {
            Messages.emplace_back(kind, text);
        };
        services.Beep = [this] { ++Beeps; };
        services.ShowHelp = [this](int context) { HelpTopics.push_back(context); };
        return services;
    }
};

}  // namespace vantrel::testing
