// Start-up of the desktop program: the application title, the splash
// window, then the windows in their fixed order — main window, about box,
// input-file dialog, graph window, options dialog, output-file dialog —
// and the event loop until the main window closes.
#pragma once

#include <memory>

class QApplication;
class QWidget;

namespace vantrel {

class TAboutForm;
class TFileDialog;
class TGraph;
class TMainForm;
class TOptionsDlg;
class TOutfileDlg;

// The program's windows.  Created in start-up order and destroyed the
// other way round, so the dialogs go before the main window whose values
// they edit.
struct ProgramWindows {
    // splash: the window the main window removes 1600 ms after its creation.
    explicit ProgramWindows(QWidget* splash = nullptr);
    ~ProgramWindows();
    ProgramWindows(const ProgramWindows&) = delete;
    ProgramWindows& operator=(const ProgramWindows&) = delete;

    std::unique_ptr<TMainForm> MainForm;
    std::unique_ptr<TAboutForm> AboutForm;
    std::unique_ptr<TFileDialog> FileDialog;
    std::unique_ptr<TGraph> Graph;
    std::unique_ptr<TOptionsDlg> OptionsDlg;
    std::unique_ptr<TOutfileDlg> OutfileDlg;
};

// Sets the application title, shows the splash window, creates the windows,
// shows the main window and runs the event loop; returns the loop's result.
int RunDesktopProgram(QApplication& application);

}  // namespace vantrel
