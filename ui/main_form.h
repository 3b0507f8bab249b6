// TMainForm, the main window: toolbar, the project tree of the nine current
// files, the log, the status bar and the menus.  It starts jobs and batches,
// carries the abort controls into the running simulation, and is the
// UserInterface every job reports through, so a job started here runs
// exactly the code the headless runner runs.
//
// One thread: a job runs inside the Run command's handler, and the window
// reacts to the user only while the job processes pending events (at every
// partner-list rebuild and the end of every run).  Meanwhile the running
// state keeps every command disabled that could start a second job or
// change the files; Cancel, Ctrl-Break and Step only set the abort flags.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include <QColor>
#include <QFont>
#include <QMainWindow>
#include <QPointer>

#include "job/program.h"
#include "job/state.h"
#include "job/user_interface.h"
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

inline constexpr const char* ApplicationTitle = "Vantrel 1.0";
inline constexpr const char* SpecifyInputsStatusText = "Specify input files";
inline constexpr const char* LoadingStatusText = "Loading data, swapping memory...";
inline constexpr const char* CancelHint = "Abort simulation (Ctrl-Break)";
inline constexpr const char* BatchCancelHint = "Abort current batch job.";
inline constexpr const char* HaltHint = "Halt simulation.";
inline constexpr const char* CloseWhileRunningText =
    "Vantrel will shut down at the end of the simulation currently running.\n"
    "(Hint: use Ctrl-Break to abort the simulation now.)";
inline constexpr const char* CloseText = "This will shut down Vantrel now.";
// Background of "Enable stepping" and of the memory figure.
inline constexpr LogColour PanelColour{72, 219, 145};

// How a box with a question looks.  Any answer but Yes (or OK) declines.
enum class QuestionBox {
    Confirmation,         // Yes and No
    Warning,              // Yes and No, warning kind
    ConfirmationTopLeft,  // Yes and No, placed at the screen's top-left corner
    OkCancel,             // OK and Cancel
};

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
    // Starts a program detached, in the current directory; false when it could not start.
    std::function<bool(const QString& program)> StartProgram;
    // The memory manager's total of allocated bytes.
    std::function<std::size_t()> AllocatedBytes;
    // Called whenever a job lets the window process its events (tests act "during" a job here).
    std::function<void()> DuringEvents;
};

// The real desktop versions.
MainFormServices DesktopServices();
bool AskQuestionBox(QWidget* parent, QuestionBox box, const QString& text);
// A box text with its carriage returns as line breaks.
QString BoxText(std::string_view text);
// A log line or status text: one line, whatever line ends it holds.
QString LineText(std::string_view text);

class TMainForm : public QMainWindow, public UserInterface {
    Q_OBJECT

public:
    // Tree nodes, in the order the tree shows them.
    enum Node {
        ProjectileNode, TargetNode, RunNode, ModelNode, ImpactNode, InelasticNode,
        InitialNode, DynamicalNode, EventsNode, NodeCount
    };
    static constexpr int SplashDelayMs = 1600;

    // Creating the window: memory display off with its idle handler, the
    // splash timer, the configuration file, the companion-tool and help
    // paths, the panel colours, dropped files accepted, the output names
    // expanded against the current directory, the tree icons.
    explicit TMainForm(QWidget* splash = nullptr);
    ~TMainForm() override;

    // The windows created after this one, in start-up order.
    void AttachWindows(TAboutForm* about, TFileDialog* inputFiles, TGraph* graph, TOptionsDlg* options,
                       TOutfileDlg* outputFiles);
    void SetServices(const MainFormServices& services);
    const MainFormServices& Services() const { return services_; }

    // The program's process-wide values and current files.
    ProgramContext Program{*this};
    InputFileSet Inputs;
    OutputFileSet Outputs;

    // UserInterface: how jobs reach the window.
    void AppendLogLine(std::string_view text, LogColour colour) override;
    void SetStatusText(std::string_view text) override;
    void PlotUpdate(const PlotSnapshot& snapshot) override;
    void PlotReset() override;
    void ErrorBox(std::string_view text) override;
    void WarningBox(std::string_view text) override;
    bool AskYesNo(std::string_view text, QuestionKind kind) override;
    void ProcessPendingEvents() override;
    void Beep() override;
    void ExpressionError(std::string_view message) override;
    void RefreshMemoryDisplay() override;

    // Commands.
    void SpeedButton1Click();  // "Begin simulation"
    void Run1Click();          // "&Run": the same
    void CancelClick();        // and Ctrl-Break
    void StepClick();
    void CheckInputFiles(bool showDialog);
    void OutputFilesClick();
    void SimulationClick();
    void TreeDoubleClick(int node);
    void DropFiles(const QStringList& files);
    void ShowGraphClick();
    void ClearLogClick();
    void EditMenuOpening();
    void SaveLogClick();
    void LoadLogClick();
    void PrintLogClick();
    void FontClick();
    void PageColourClick();
    void ShowMemoryClick();
    void KestrinClick();
    void BrackleClick();
    void BatchRunClick();
    void IntroductionClick();
    void AboutClick();
    void ShowHelpTopic(int topic);

    // The memory display's idle work: shows the allocator's total when the
    // display is on and the total has changed.
    void IdleRefresh();

    // A job or a batch is in progress.
    bool Running() const { return jobRunning_ || batchRunning_; }
    bool MemoryDisplayOn() const { return memoryDisplayOn_; }
    bool ClosePending() const { return closeAfterJob_; }
    QString NodeText(int node) const;
    QString KestrinPath() const { return kestrinPath_; }
    QString BracklePath() const { return bracklePath_; }

    // Toolbar.
    QToolBar* Tools = nullptr;
    QAction* BeginButton = nullptr;
    QAction* CancelButton = nullptr;
    QAction* InputFilesButton = nullptr;
    QAction* GraphButton = nullptr;
    QAction* ClearLogButton = nullptr;
    QAction* StepButton = nullptr;
    QAction* OutputFilesButton = nullptr;
    QCheckBox* EnableStepping = nullptr;
    QLabel* MemoryLabel = nullptr;

    // Pages and status bar.
    QTabWidget* Pages = nullptr;
    QWidget* ProjectPage = nullptr;
    QWidget* LogPage = nullptr;
    ProjectTree* Tree = nullptr;
    LogView* Log = nullptr;
    QLabel* StatusField = nullptr;
    QTimer* SplashTimer = nullptr;

    // Menus.
    QMenu* FileMenu = nullptr;
    QAction* InputFilesItem = nullptr;
    QAction* OutputFilesItem = nullptr;
    QAction* RunItem = nullptr;
    QAction* BatchRunItem = nullptr;
    QAction* SaveLogItem = nullptr;
    QAction* LoadLogItem = nullptr;
    QAction* PrintLogItem = nullptr;
    QAction* GraphItem = nullptr;
    QAction* KestrinItem = nullptr;
    QAction* BrackleItem = nullptr;
    QMenu* EditMenu = nullptr;
    QAction* UndoItem = nullptr;
    QAction* CutItem = nullptr;
    QAction* CopyItem = nullptr;
    QAction* PasteItem = nullptr;
    QAction* DeleteItem = nullptr;
    QAction* SelectAllItem = nullptr;
    QMenu* OptionsMenu = nullptr;
    QAction* SimulationItem = nullptr;
    QAction* ShowMemoryItem = nullptr;
    QAction* FontItem = nullptr;
    QAction* PageColourItem = nullptr;
    QMenu* HelpMenu = nullptr;
    QAction* IntroductionItem = nullptr;
    QAction* AboutItem = nullptr;

signals:
    // The window has closed for good: the program ends when control is back
    // in the event loop.
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildActions();
    void BuildMenus();
    void BuildToolBar();
    void BuildPages();
    void BuildStatusBar();

    void BeginSimulation();
    void EnterRunningState();
    void ReturnToIdleState();
    void ApplyCommandStates();
    void SetAcceptingFiles(bool accepting);
    void FinishPendingClose();

    void ShowInputNames();
    void ShowOutputNames();
    void RefreshTreeIcons();
    void SetNode(int node, const std::string& name);
    void LogFileList(std::initializer_list<const std::string*> names);
    void StartCompanionTool(const QString& path);
    void OpenHelpBrowser(int topic);
    void FillMissingServices();
    bool StartFirstOf(const QStringList& candidates);
    bool Ask(QuestionBox box, const QString& text);
    int RunModal(QDialog& dialog);

    MainFormServices services_;
    QPointer<QWidget> splash_;
    QPointer<TAboutForm> about_;
    QPointer<TFileDialog> inputFiles_;
    QPointer<TGraph> graph_;
    QPointer<TOptionsDlg> options_;
    QPointer<TOutfileDlg> outputFiles_;
    QPointer<HelpBrowser> help_;

    QString kestrinPath_;
    QString bracklePath_;
    QString helpFolder_;

    bool jobRunning_ = false;    // the running state (a job or a batch item)
    bool batchRunning_ = false;  // a batch, items and the pauses between them
    bool runAllowed_ = false;    // "&Run": the input files are complete
    bool beginAllowed_ = false;  // "Begin simulation" outside a job
    bool graphAllowed_ = false;  // "Show graph window" button
    bool graphItemAllowed_ = false;  // "&Graph window" menu command
    bool memoryDisplayOn_ = false;
    std::optional<std::size_t> memoryShown_;
    bool closeAfterJob_ = false;
    bool closeConfirmed_ = false;
};

}  // namespace vantrel
