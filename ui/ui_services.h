// What the dialogs ask of the desktop beyond their own controls: file
// choosers, message boxes, the beep and the help viewer.  Each is a
// replaceable function, so the main window can route help to its viewer and
// the offscreen tests can answer choosers and see boxes without native dialogs.
#pragma once

#include <functional>

#include <QString>

class QWidget;

namespace vantrel {

struct FileRequest {
    enum class Kind { OpenExisting, Save };
    Kind Mode = Kind::OpenExisting;
    QString Title;
    QString Filter;         // Qt form: "Projectile file (*.prj)"
    QString DefaultSuffix;  // without the dot
    QString InitialName;    // a wildcard pattern or the current name
    QString Directory;      // where the chooser starts; empty = current directory
    QString SelectedFilter; // the filter entry shown first; empty = the first one
};

enum class MessageKind { Error, Information, Warning };

// Returns the chosen file name, or an empty text when the user cancelled.
using FileChooser = std::function<QString(QWidget* parent, const FileRequest& request)>;
// A modal box with one OK button.
using MessageShower = std::function<void(QWidget* parent, MessageKind kind, const QString& text)>;
using BeepSound = std::function<void()>;
// Shows the help topic with this context number.
using HelpHook = std::function<void(int context)>;

// The real desktop versions.
QString RunFileChooser(QWidget* parent, const FileRequest& request);
void RunMessageBox(QWidget* parent, MessageKind kind, const QString& text);
void SystemBeep();

struct UiServices {
    FileChooser ChooseFile = RunFileChooser;
    MessageShower ShowMessage = RunMessageBox;
    BeepSound Beep = SystemBeep;
    HelpHook ShowHelp;  // none set: Help does nothing

    void Help(int context) const {
        if (ShowHelp) ShowHelp(context);
    }
};

// Moves a top-level window to the centre of its screen.
void CentreOnScreen(QWidget& window);

// Qt text of a std::string holding UTF-8, and back.
QString ToQt(const std::string& text);
std::string FromQt(const QString& text);

}  // namespace vantrel
