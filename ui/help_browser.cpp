#include "ui/help_browser.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "core/number_text.h"
#include "ui/ui_services.h"
#include "io/file_names.h"

namespace vantrel {

namespace {

bool HoldsHelp(const QString& folder) { return QFileInfo::exists(folder + QStringLiteral("/1.md")); }

}  // namespace

// Beside the program (the build tree copies the pages there), or in
// <prefix>/share/vantrel/help for a program installed in <prefix>/bin.
QString HelpFolder() {
    const QString folder = QDir::cleanPath(ToQt(ProgramDataFolder("help")));
    return !folder.isEmpty() && HoldsHelp(folder) ? folder : QString();
}

QString HelpTopicFile(int topic) {
    const QString folder = HelpFolder();
    if (folder.isEmpty()) return {};
    const QString file = folder + QStringLiteral("/%1.md").arg(topic);
    return QFileInfo::exists(file) ? file : QString();
}

HelpBrowser::HelpBrowser(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("HelpBrowser"));
    setWindowTitle(QStringLiteral("Vantrel Help"));
    Browser = new QTextBrowser(this);
    Browser->setOpenExternalLinks(true);
    auto* back = new QPushButton(QStringLiteral("&Back"), this);
    auto* contents = new QPushButton(QStringLiteral("&Contents"), this);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    connect(back, &QPushButton::clicked, Browser, &QTextBrowser::backward);
    connect(Browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    back->setEnabled(false);
    connect(contents, &QPushButton::clicked, this, [this] { ShowTopic(1); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(back);
    buttons->addWidget(contents);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(Browser, 1);
    resize(640, 560);
}

bool HelpBrowser::ShowTopic(int topic) {
    const QString file = HelpTopicFile(topic);
    if (file.isEmpty()) return false;
    topic_ = topic;
    Browser->setSource(QUrl::fromLocalFile(file), QTextDocument::MarkdownResource);
    show();
    raise();
    activateWindow();
    return true;
}

}  // namespace vantrel
