#include "ui/program_windows.h"

#include <QApplication>

#include "ui/file_dialogs.h"
#include "ui/graph_window.h"
#include "ui/main_form.h"
#include "ui/options_dialog.h"
#include "ui/pictures.h"
#include "ui/splash_about.h"

namespace vantrel {

ProgramWindows::ProgramWindows(QWidget* splash) {
    MainForm = std::make_unique<TMainForm>(splash);
    TMainForm& main = *MainForm;
    AboutForm = std::make_unique<TAboutForm>(&main);
    FileDialog = std::make_unique<TFileDialog>(&main);
    Graph = std::make_unique<TGraph>(main.Controller().Program(), &main);
    OptionsDlg = std::make_unique<TOptionsDlg>(main.Controller().Program(), &main);
    OutfileDlg = std::make_unique<TOutfileDlg>(&main);
    main.AttachWindows(AboutForm.get(), FileDialog.get(), Graph.get(), OptionsDlg.get(), OutfileDlg.get());
}

ProgramWindows::~ProgramWindows() {
    OutfileDlg.reset();
    OptionsDlg.reset();
    Graph.reset();
    FileDialog.reset();
    AboutForm.reset();
    MainForm.reset();
}

int RunDesktopProgram(QApplication& application) {
    QApplication::setApplicationName(ApplicationTitle());
    QApplication::setWindowIcon(ProgramIcon());
    // The program ends when the main window has closed, whatever other windows are open.
    application.setQuitOnLastWindowClosed(false);

    TSplashWin splash;
    splash.ShowNow();
    ProgramWindows windows(&splash);
    // Queued: the program ends only when control is back in the event loop,
    // after a job that was running when the window closed.
    QObject::connect(windows.MainForm.get(), &TMainForm::Closed, &application, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    // The window geometry and the last job, as the user left them.
    windows.MainForm->RestoreSession();
    windows.MainForm->show();
    return application.exec();
}

}  // namespace vantrel
