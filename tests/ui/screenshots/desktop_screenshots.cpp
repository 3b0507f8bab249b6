// Starts the desktop program as it starts itself (title, splash, windows in
// their order), loads the bundled example job through the input-file
// dialog, runs it with the graph window open, and saves pictures of what
// the user sees, for looking at.
//
//   desktop_screenshots OUTPUT_FOLDER
//       the splash, the Project page, the input-file dialog, the Log page
//       during and after a run, the graph window mid-cascade and after the
//       run (its frames gone through), the log on a black page, the menus,
//       the Results window with the run's tables, the about box, the
//       expression-error window, the help viewer and a help window asked
//       for from the options dialog (the whole screen)
//   desktop_screenshots --example-picture FILE.png
//       only the graph picture of the example job mid-cascade: the about
//       box's picture of a real result (scripts/example-picture.sh)
//
// Run it in a scratch folder: the job writes its output files there.
#include <cstdio>
#include <string>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QMenu>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include "job/program.h"
#include "tests/ui/screenshots/window_picture.h"
#include "ui/expression_error.h"
#include "ui/file_dialogs.h"
#include "ui/graph_window.h"
#include "ui/help_browser.h"
#include "ui/log_view.h"
#include "ui/main_form.h"
#include "ui/options_dialog.h"
#include "ui/pictures.h"
#include "ui/program_windows.h"
#include "ui/splash_about.h"

namespace {

using namespace vantrel;

QString folder;

using testing::Settle;

void Save(QWidget& widget, const QString& name) { testing::SaveWindowPicture(widget, folder, name); }

template <typename T = QWidget>
T* Find(QWidget& window, const char* name) {
    T* child = window.findChild<T*>(QString::fromLatin1(name));
    if (child == nullptr) std::fprintf(stderr, "no control %s\n", name);
    return child;
}

void Trigger(TMainForm& form, const char* command) { Find<QAction>(form, command)->trigger(); }

void GrabMenu(QMenu* menu, QWidget& owner, const QString& name) {
    emit menu->aboutToShow();
    menu->popup(owner.mapToGlobal(QPoint(20, 40)));
    Settle();
    Save(*menu, name);
    menu->hide();
}

const QString ExampleProjectile = QStringLiteral(VANTREL_SOURCE_DIR "/examples/ar_cu100.prj");

// The example job's files, chosen as a user chooses them: the projectile
// file in the input-file dialog, which fills in its companions.
void LoadExampleJob(ProgramWindows& windows, bool pictures) {
    TMainForm& form = *windows.MainForm;
    MainFormServices services = form.Services();
    UiServices dialogServices = services.Ui;
    dialogServices.ChooseFile = [](QWidget*, const FileRequest&) { return ExampleProjectile; };
    services.RunDialog = [&](QDialog& dialog) {
        if (&dialog != windows.FileDialog.get()) return dialog.exec();
        dialog.show();
        windows.FileDialog->SelectClick(TFileDialog::ProjectileRow);
        if (pictures) Save(dialog, QStringLiteral("input_files_example"));
        Find<QPushButton>(dialog, "OkButton")->click();
        return dialog.result();
    };
    form.SetServices(services);
    // After the form's services, which it hands on to the dialogs.
    windows.FileDialog->SetServices(dialogServices);
    Trigger(form, "InputFilesButton");
    windows.FileDialog->SetServices(form.Services().Ui);
}

// Answers every question Yes and lets hook look in at every event round;
// the hook ends the job with Cancel (the abort question is answered Yes).
void RunExampleJob(TMainForm& form, const std::function<void()>& hook) {
    MainFormServices services = form.Services();
    services.Ask = [](QWidget*, QuestionBox, const QString& text) {
        std::printf("question: %s -> yes\n", qPrintable(text));
        return true;
    };
    form.SetServices(services);
    const QMetaObject::Connection during =
        QObject::connect(&form.Controller(), &JobController::ProcessingEvents, hook);
    Trigger(form, "SpeedButton1");
    QObject::disconnect(during);
}

constexpr float MidCascadeSeconds = 120e-15f;  // the graph window's picture in the screenshots
constexpr float ExamplePictureSeconds = 250e-15f;  // the about box's: sputtered atoms have left

int ExamplePicture(const QString& path, SymbolMode symbol, float seconds, Projection view) {
    QApplication::setApplicationName(ApplicationTitle());
    ProgramWindows windows;
    TMainForm& form = *windows.MainForm;
    LoadExampleJob(windows, false);
    TGraph& graph = *windows.Graph;
    Trigger(form, "GraphButton");
    // The about box's proportions: the whole depth of the crystal below the
    // surface, a quarter of the height above it for what leaves it.
    graph.PictureArea()->setFixedSize(720, 254);
    Settle();
    graph.SetSymbol(symbol);
    graph.SetProjection(view);
    graph.PlotReset();
    bool saved = false;
    RunExampleJob(
        form,
        [&] {
            const float time = form.Controller().Program().Plot.Time;
            if (saved || time < seconds) return;
            saved = graph.Picture().save(path);
            std::printf("%s at %.1f fs: %s\n", qPrintable(path), time * 1e15, saved ? "written" : "NOT written");
            Trigger(form, "CancelButton");
        });
    return saved ? 0 : 1;
}

int Screenshots() {
    QDir().mkpath(folder);
    QApplication::setApplicationName(ApplicationTitle());
    QApplication::setWindowIcon(ProgramIcon());

    TSplashWin splash;
    splash.ShowNow();
    Save(splash, QStringLiteral("splash"));
    ProgramWindows windows(&splash);
    TMainForm& form = *windows.MainForm;
    form.show();  // at its first size on this screen
    Save(form, QStringLiteral("main_start"));

    LoadExampleJob(windows, true);
    Save(form, QStringLiteral("main_project"));
    GrabMenu(Find<QMenu>(form, "FileMenu"), form, QStringLiteral("main_menu_file"));
    GrabMenu(Find<QMenu>(form, "EditMenu"), form, QStringLiteral("main_menu_edit"));
    GrabMenu(Find<QMenu>(form, "OptionsMenu"), form, QStringLiteral("main_menu_options"));
    GrabMenu(Find<QMenu>(form, "HelpMenu"), form, QStringLiteral("main_menu_help"));

    Trigger(form, "ShowMemoryItem");
    Find<QCheckBox>(form, "EnableStepping")->setChecked(true);
    // The example's own options write the result tables; so does this run.
    form.Controller().Program().Extended.StoreResults = true;
    Trigger(form, "GraphButton");  // beside the main window
    bool duringSaved = false;
    bool graphSaved = false;
    RunExampleJob(form, [&] {
        const float time = form.Controller().Program().Plot.Time;
        if (!graphSaved && time > MidCascadeSeconds) {
            Save(*windows.Graph, QStringLiteral("graph_example_mid_cascade"));
            graphSaved = true;
        }
        // Run 2 under way, the log holding run 1's report: the picture, then the abort.
        if (!duringSaved && time > 60e-15f &&
            Find<LogView>(form, "Log")->toPlainText().contains(QStringLiteral("Run count: 2"))) {
            Save(form, QStringLiteral("main_log_running"));
            // The whole screen: the two windows at their first places.
            form.screen()->grabWindow(0).save(folder + QStringLiteral("/screen_running.png"));
            duringSaved = true;
            Trigger(form, "CancelButton");
        }
    });
    Save(form, QStringLiteral("main_log_after"));
    // The graph window after the run: its last frame, then run 1 gone through.
    TGraph& graph = *windows.Graph;
    Save(graph, QStringLiteral("graph_after_run"));
    graph.findChild<QSpinBox*>(QStringLiteral("RunBox"))->setValue(1);
    auto* slider = graph.findChild<QSlider*>(QStringLiteral("FrameSlider"));
    slider->setValue(slider->maximum() * 2 / 5);
    Save(graph, QStringLiteral("graph_after_run_frame"));
    graph.SetProjection(Projection::XY);
    Save(graph, QStringLiteral("graph_after_run_xy"));
    graph.SetProjection(Projection::XZ);
    graph.ToggleHighlight();
    Save(graph, QStringLiteral("graph_after_run_highlight"));
    graph.ToggleHighlight();
    graph.ToggleBackground();
    Save(graph, QStringLiteral("graph_after_run_dark"));
    graph.ToggleBackground();
    graph.hide();
    // The log on a black page, then back on white.
    auto* log = Find<LogView>(form, "Log");
    log->SetPageColour(Qt::black);
    Save(form, QStringLiteral("main_log_black"));
    log->verticalScrollBar()->setValue(0);
    Save(form, QStringLiteral("main_log_black_top"));
    log->SetPageColour(Qt::white);
    // Help asked for in the options dialog, over it: the whole screen.
    {
        MainFormServices services = form.Services();
        services.Ui.ShowHelp = nullptr;  // the program's own help viewer
        services.RunDialog = [](QDialog& dialog) { return dialog.exec(); };
        form.SetServices(services);
        QTimer::singleShot(300, [&] {
            windows.OptionsDlg->findChild<QPushButton*>(QStringLiteral("HelpButton"))->click();
            QTimer::singleShot(500, [&] {
                Settle();
                const QString path = folder + QStringLiteral("/help_over_options.png");
                const bool saved = form.screen()->grabWindow(0).save(path);
                std::printf("%s%s\n", qPrintable(path), saved ? "" : " NOT written");
                windows.OptionsDlg->reject();
            });
        });
        Trigger(form, "SimulationItem");
    }
    Find<LogView>(form, "Log")->verticalScrollBar()->setValue(0);
    Save(form, QStringLiteral("main_log_after_top"));
    Find<QTabWidget>(form, "Pages")->setCurrentWidget(Find<QWidget>(form, "ProjectPage"));
    Save(form, QStringLiteral("main_project_after"));

    Trigger(form, "ResultsItem");
    if (auto* results = form.findChild<QMainWindow*>(QStringLiteral("ResultsWindow"))) {
        Save(*results, QStringLiteral("results_after_run"));
        if (auto* tabs = Find<QTabWidget>(*results, "Plots"); tabs && tabs->count() > 1) {
            tabs->setCurrentIndex(tabs->count() - 1);
            Save(*results, QStringLiteral("results_after_run_plot"));
        }
        results->hide();
    }

    windows.AboutForm->show();
    Save(*windows.AboutForm, QStringLiteral("about"));
    windows.AboutForm->hide();
    {
        ExpressionErrorWindow window(
            QStringLiteral("Error type: syntax error\nVZ > 0 and and Z < 2\n             ^\n(near char. #14)."));
        window.show();
        Save(window, QStringLiteral("expression_error"));
    }
    HelpBrowser help;
    if (help.ShowTopic(1)) Save(help, QStringLiteral("help_introduction"));
    if (help.ShowTopic(130)) Save(help, QStringLiteral("help_run"));
    return duringSaved && graphSaved ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // Recent jobs and window geometry go to a scratch folder, not the user's settings.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    if (argc > 2 && std::string(argv[1]) == "--example-picture") {
        // Optional: symbol (icons, circles, points), time in fs, projection (xz, xy, yz).
        const std::string symbol = argc > 3 ? argv[3] : "icons";
        const float seconds = argc > 4 ? std::stof(argv[4]) * 1e-15f : ExamplePictureSeconds;
        const std::string view = argc > 5 ? argv[5] : "xz";
        return ExamplePicture(QString::fromLocal8Bit(argv[2]),
                              symbol == "points" ? SymbolMode::Points
                              : symbol == "circles" ? SymbolMode::Circles
                                                    : SymbolMode::Icons,
                              seconds,
                              view == "xy" ? Projection::XY : view == "yz" ? Projection::YZ : Projection::XZ);
    }
    folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    return Screenshots();
}
