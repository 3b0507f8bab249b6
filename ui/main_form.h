// TMainForm, the main window: toolbar, the project tree of the nine current
// files, the log, the status bar and the menus.  It shows what its
// JobController emits and forwards its commands to it; the controller owns
// the job, the file names and the running state.
//
// Every menu command and tool button comes from one command table (object
// name, caption, shortcut, help topic, where it sits, when it is enabled,
// handler); the controller's JobState and permits decide the enabling
// through CommandEnabled.  Controls are private and carry object names
// ("SpeedButton1", "Run1", "EnableStepping", "Log", "Tree", ...) by which
// tests and the screenshot programs find them.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>

#include <QColor>
#include <QFont>
#include <QMainWindow>
#include <QPointer>

#include "output/log_colour.h"
#include "ui/desktop_settings.h"
#include "ui/job_controller.h"
#include "ui/pictures.h"
#include "ui/ui_services.h"

class QAction;
class QCheckBox;
class QLabel;
class QMenu;
class QPrinter;
class QTabWidget;
class QTimer;
class QToolBar;

namespace vantrel {

class HelpBrowser;
class LogView;
class ProjectTree;
class TAboutForm;
class TFileDialog;
class TGraph;
class TOptionsDlg;
class TOutfileDlg;
class TResultsWindow;

inline constexpr const char* CancelHint = "Abort simulation (Ctrl-Break)";
inline constexpr const char* BatchCancelHint = "Abort current batch job.";
inline constexpr const char* HaltHint = "Halt simulation.";
// Background of "Enable stepping" and of the memory figure.
inline constexpr LogColour PanelColour{72, 219, 145};

// Everything the main window asks of the desktop beyond its own controls.
// Each is replaceable, so the offscreen tests answer boxes and choosers
// and see what was asked.
struct MainFormServices {
    UiServices Ui;  // file choosers, one-button boxes, beep; ShowHelp defaults to the help browser
    std::function<bool(QWidget* parent, QuestionBox box, const QString& text)> Ask;
    std::function<void(QWidget* parent, const QString& message)> ShowExpressionError;
    // Modal dialogs of the program (input files, output files, options, about).
    std::function<int(QDialog& dialog)> RunDialog;
    std::function<std::optional<QFont>(QWidget* parent, const QFont& current)> ChooseFont;
    std::function<std::optional<QColor>(QWidget* parent, const QColor& current)> ChooseColour;
    // Lets the user set up the printer; false when cancelled.
    std::function<bool(QWidget* parent, QPrinter& printer)> SetUpPrinter;
};

// The real desktop versions.
MainFormServices DesktopServices();
bool AskQuestionBox(QWidget* parent, QuestionBox box, const QString& text);

class TMainForm : public QMainWindow, private JobPrompts {
    Q_OBJECT

public:
    static constexpr int SplashDelayMs = 1600;

    // Creating the window: the controller (configuration file, companion
    // tools, output names), the memory display's idle handler, the splash
    // timer, the panel colours, dropped files accepted, the tree.
    explicit TMainForm(QWidget* splash = nullptr);
    ~TMainForm() override;

    // The windows created after this one, in start-up order.
    void AttachWindows(TAboutForm* about, TFileDialog* inputFiles, TGraph* graph, TOptionsDlg* options,
                       TOutfileDlg* outputFiles);
    void SetServices(const MainFormServices& services);
    const MainFormServices& Services() const { return services_; }

    JobController& Controller() { return *controller_; }

    // The help viewer's page for topic, or the services' replacement.
    void ShowHelpTopic(int topic);

    // What the program remembered: window geometry and the last job (its
    // files made current when its projectile file still exists).  The
    // program calls it once before showing the window; tests start without.
    void RestoreSession();

signals:
    // The window has closed for good: the program ends when control is back
    // in the event loop.
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The command table: one row per menu command and tool button.
    enum CommandId {
        SpeedButton1, CancelButton, InputFilesButton, GraphButton, ClearLogButton, StepButton, OutputFilesButton,
        InputFilesItem, OutputFilesItem, Run1, BatchRunItem, SaveLogItem, LoadLogItem, PrintLogItem, GraphItem,
        ResultsItem, KestrinItem, BrackleItem, UndoItem, CutItem, CopyItem, PasteItem, DeleteItem, SelectAllItem,
        SimulationItem, ShowMemoryItem, FontItem, PageColourItem, IntroductionItem, AboutItem, CommandCount
    };
    enum class Place { ToolBar, FileMenu, EditMenu, OptionsMenu, HelpMenu };
    struct Command {
        CommandId Id;
        const char* Name;      // object name of the action
        const char* Caption;
        const char* Shortcut;  // portable text, "" for none
        int HelpTopic;         // 0: none (F1 then opens the menu's topic)
        Place Where;
        bool SeparatorBefore;
        std::optional<CommandIcon> Icon;  // tool buttons only
        const char* Hint;      // tool tip of a tool button
        Availability Enabled;
        void (TMainForm::*Handler)();
    };
    static const std::array<Command, CommandCount>& Commands();

    // JobPrompts: the questions of the controller, answered by boxes.
    bool Ask(QuestionBox box, const QString& text) override;
    void Tell(MessageKind kind, const QString& text) override;
    QString ChooseFile(const FileRequest& request) override;
    void ShowExpressionError(const QString& message) override;
    void Beep() override;

    void BuildCommands();
    void BuildToolBar();
    void BuildPages();
    void BuildStatusBar();
    void ConnectController();
    void FillMissingServices();

    void ApplyCommandStates();
    void ShowState(JobState state);
    void ShowProject();
    void ShowMemoryDisplay(bool on);
    void AppendFileList(const QStringList& lines);
    void OpenHelpBrowser(int topic);
    int RunModal(QDialog& dialog);
    void RememberCurrentJob();
    void FillRecentJobsMenu();
    void OpenRecentJob(const RecentJob& job);

    // Command handlers.
    void SpeedButton1Click();  // "Begin simulation"
    void Run1Click();          // "&Run": the same
    void CancelClick();        // and Ctrl-Break
    void StepClick();
    void InputFilesClick();    // the input-file check with the dialog
    void OutputFilesClick();
    void BatchRunClick();
    void SaveLogClick();
    void LoadLogClick();
    void PrintLogClick();
    void ShowGraphClick();
    void ResultsClick();       // the Results window, with the current job's tables
    void KestrinClick();
    void BrackleClick();
    void UndoClick();
    void CutClick();
    void CopyClick();
    void PasteClick();
    void DeleteClick();
    void SelectAllClick();
    void SimulationClick();
    void ShowMemoryClick();
    void FontClick();
    void PageColourClick();
    void IntroductionClick();
    void AboutClick();
    void ClearLogClick();
    void EditMenuOpening();

    MainFormServices services_;
    std::unique_ptr<JobController> controller_;
    QPointer<QWidget> splash_;
    QPointer<TAboutForm> about_;
    QPointer<TFileDialog> inputFiles_;
    QPointer<TGraph> graph_;
    QPointer<TOptionsDlg> options_;
    QPointer<TOutfileDlg> outputFiles_;
    QPointer<HelpBrowser> help_;
    QPointer<TResultsWindow> results_;

    std::array<QAction*, CommandCount> actions_{};
    QToolBar* tools_ = nullptr;
    QCheckBox* enableStepping_ = nullptr;
    QLabel* memoryLabel_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QMenu* editMenu_ = nullptr;
    QMenu* optionsMenu_ = nullptr;
    QMenu* helpMenu_ = nullptr;
    QTabWidget* pages_ = nullptr;
    QWidget* projectPage_ = nullptr;
    QWidget* logPage_ = nullptr;
    ProjectTree* tree_ = nullptr;
    LogView* log_ = nullptr;
    QLabel* statusField_ = nullptr;
    QLabel* progressField_ = nullptr;
    QMenu* recentJobsMenu_ = nullptr;
    DesktopSettings settings_;
    bool graphPlaced_ = false;  // the graph window has a position of its own
    QTimer* splashTimer_ = nullptr;
    JobState shownState_ = JobState::Idle;
};

}  // namespace vantrel
