// The help viewer: one page per topic number, shown in a browser window.
//
// The pages are Markdown files named after their topic ("110.md"), in a
// "help" folder beside the program or, for a program run from its build
// folder, in docs/help of the source tree.  Pages link to each other by
// file name.
#pragma once

#include <QString>
#include <QWidget>

class QTextBrowser;

namespace vantrel {

// The folder that holds the help pages; empty when there is none.
QString HelpFolder();
// The page of a topic; empty when the folder has no page for it.
QString HelpTopicFile(int topic);

class HelpBrowser : public QWidget {
    Q_OBJECT

public:
    explicit HelpBrowser(QWidget* parent = nullptr);

    // Shows the topic's page and brings the window to the front; false when
    // there is no page for it.
    bool ShowTopic(int topic);
    int CurrentTopic() const { return topic_; }

    QTextBrowser* Browser = nullptr;

private:
    int topic_ = 0;
};

}  // namespace vantrel
