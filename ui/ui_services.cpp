#include "ui/ui_services.h"

#include <string>

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QScreen>
#include <QWidget>

namespace vantrel {

QString RunFileChooser(QWidget* parent, const FileRequest& request) {
    QFileDialog dialog(parent, request.Title, request.Directory, request.Filter);
    const bool save = request.Mode == FileRequest::Kind::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Saving asks before overwriting (Qt's default) and needs an existing
    // folder; opening needs an existing file.
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(request.DefaultSuffix);
    if (!request.SelectedFilter.isEmpty()) dialog.selectNameFilter(request.SelectedFilter);
    // A wildcard preset only says what to look for; the filter already does.
    if (!request.InitialName.isEmpty() && !request.InitialName.contains(QLatin1Char('*')) &&
        !request.InitialName.contains(QLatin1Char('?')))
        dialog.selectFile(request.InitialName);
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

void RunMessageBox(QWidget* parent, MessageKind kind, const QString& text) {
    if (kind == MessageKind::Error) {
        QMessageBox::critical(parent, QStringLiteral("Error"), text);
    } else if (kind == MessageKind::Warning) {
        QMessageBox::warning(parent, QStringLiteral("Warning"), text);
    } else {
        QString title = QApplication::applicationDisplayName();
        if (title.isEmpty()) title = QStringLiteral("Vantrel");
        QMessageBox::information(parent, title, text);
    }
}

void SystemBeep() { QApplication::beep(); }

void CentreOnScreen(QWidget& window) {
    const QScreen* screen = window.screen();
    if (screen == nullptr) return;
    const QRect area = screen->availableGeometry();
    QRect frame = window.frameGeometry();
    frame.moveCenter(area.center());
    window.move(frame.topLeft());
}

QString ToQt(const std::string& text) { return QString::fromStdString(text); }

std::string FromQt(const QString& text) { return text.toStdString(); }

}  // namespace vantrel
