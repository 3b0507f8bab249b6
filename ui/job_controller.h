// JobController: the program's job, without any window.  It owns the
// ProgramContext, the nine current file names, the running state, the
// memory display and the close policy, and it is the UserInterface every
// job reports through, so a job started from the desktop runs exactly the
// code the headless runner runs.
//
// What a job reports leaves as signals (log lines, status text, caption,
// graph updates, state changes); what it asks goes through JobPrompts,
// which the main window answers with real boxes and choosers and a test
// answers from a script.  The main window only shows what comes out and
// forwards its commands here.
//
// Every job (a batch item too) writes its whole log, line for line as the
// runner's --log does, to a file beside its outputs: the dynamical-variables
// name with the extension ".log" ("dynvars.log").  It follows the outputs'
// rules (job/output_backups.h): written under a staging name until the job
// has started, then moved to its name with an older log kept as
// "dynvars.log~" (and a line saying so); a job that never starts leaves no
// log file behind.  The on-screen buffer rule does not touch it.
//
// One thread: a job runs inside BeginSimulation or BatchRun, and the window
// reacts to the user only while the job processes pending events (at every
// partner-list rebuild and the end of every run).  The state keeps every
// command that could start a second job or change the files refused
// meanwhile; RequestAbort and StepRun only set the abort flags.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include <QFile>
#include <QFlags>
#include <QObject>
#include <QString>
#include <QStringList>

#include "io/file_sets.h"
#include "job/program.h"
#include "job/user_interface.h"
#include "ui/ui_services.h"

namespace vantrel {

// "Vantrel 1.0": the program name and the project version.
QString ApplicationTitle();
inline constexpr const char* SpecifyInputsStatusText = "Specify input files";
inline constexpr const char* LoadingStatusText = "Loading data, swapping memory...";
inline constexpr const char* CloseWhileRunningText =
    "Vantrel will shut down at the end of the simulation currently running.\n"
    "(Hint: use Ctrl-Break to abort the simulation now.)";
inline constexpr const char* CloseText = "This will shut down Vantrel now.";

// How a box with a question looks.  Any answer but Yes (or OK) declines.
enum class QuestionBox {
    Confirmation,         // Yes and No
    Warning,              // Yes and No, warning kind
    ConfirmationTopLeft,  // Yes and No, placed at the screen's top-left corner
    OkCancel,             // OK and Cancel
};

// The person at the screen, as the controller asks them.
class JobPrompts {
public:
    virtual ~JobPrompts() = default;
    // A question box; true for Yes (or OK).
    virtual bool Ask(QuestionBox box, const QString& text) = 0;
    // A box with one OK button.
    virtual void Tell(MessageKind kind, const QString& text) = 0;
    // A file chooser; an empty text when the user cancelled.
    virtual QString ChooseFile(const FileRequest& request) = 0;
    // The modal "Error parsing expression" window.
    virtual void ShowExpressionError(const QString& message) = 0;
    virtual void Beep() = 0;
};

// Where the program is.  It decides, with the permits below, which command
// is enabled (CommandEnabled) and which command may act (only Idle starts
// anything or changes a file name).
enum class JobState {
    Idle,          // nothing runs
    Running,       // a job started by "Begin simulation" or "&Run"
    BatchItem,     // the job of a batch item
    BatchBetween,  // a batch between its items: the commands look idle, none acts
};

// What the input-file check, the jobs and the batches have allowed so far.
enum class CommandPermit {
    Begin = 1,        // "Begin simulation": files complete, or a job has returned since the check
    Run = 2,          // "&Run": the last input-file check passed
    GraphButton = 4,  // "Show graph window": a check passed or a batch started, ever
    GraphItem = 8,    // "&Graph window": a check passed, ever
};
Q_DECLARE_FLAGS(CommandPermits, CommandPermit)
Q_DECLARE_OPERATORS_FOR_FLAGS(CommandPermits)

// When a command is enabled.
enum class Availability {
    Always,
    WhenIdle,     // the idle state (a batch between items included)
    WhenRunning,  // Cancel
    Step,         // running, and "Enable stepping" checked
    Begin,        // idle and CommandPermit::Begin
    Run,          // idle and CommandPermit::Run
    GraphButton,  // CommandPermit::GraphButton, running or not
    GraphItem,    // CommandPermit::GraphItem, running or not (the graph is for watching a job)
    Selection,    // the log has a selection (Copy)
    Never,        // commands that would edit the log, which is read-only
};

struct CommandFacts {
    JobState State = JobState::Idle;
    CommandPermits Permits;
    bool Stepping = false;   // "Enable stepping" is checked
    bool Selection = false;  // the log has a non-empty selection
};

bool CommandEnabled(Availability rule, const CommandFacts& facts);

// The nine current files, in the order of the project tree.
enum class FileRole {
    Projectile, Target, Run, Model, Impact, Inelastic,
    InitialConditions, DynamicalVariables, InelasticEvents,
};
inline constexpr int FileRoleCount = 9;

// A box text with its carriage returns as line breaks.
QString BoxText(std::string_view text);
// A log line or status text: one line, whatever line ends it holds.
QString LineText(std::string_view text);
// Where a job's log goes: the dynamical-variables name with ".log" for its
// extension ("/data/dynvars.vsk" -> "/data/dynvars.log").
QString JobLogFileName(const std::string& dynamicalVariables);
// The memory display: "6.9 MB", and the whole figure for its tool tip,
// "Memory allocated by Vantrel: 6,869,808 bytes".
QString MemoryFigureText(std::size_t bytes);
QString MemoryDetailText(std::size_t bytes);

class JobController : public QObject, public UserInterface {
    Q_OBJECT

public:
    // What the controller asks of the system; replaceable for tests.
    struct Platform {
        // Starts a program detached, in the current directory; false when it could not start.
        std::function<bool(const QString& program)> StartProgram;
        // The memory manager's total of allocated bytes.
        std::function<std::size_t()> AllocatedBytes;
    };
    static Platform DesktopPlatform();

    // Loads the configuration file when it asks to be, sets the companion
    // tools' paths and expands the output names against the current directory.
    explicit JobController(JobPrompts& prompts, QObject* parent = nullptr);
    ~JobController() override;

    void SetPlatform(const Platform& platform);

    ProgramContext& Program() { return program_; }
    const ProgramContext& Program() const { return program_; }
    const InputFileSet& Inputs() const { return inputs_; }
    const OutputFileSet& Outputs() const { return outputs_; }
    // Replaces the names (the file dialogs after OK, a test); no check.
    void SetInputs(const InputFileSet& inputs);
    void SetOutputs(const OutputFileSet& outputs);
    const std::string& FileName(FileRole role) const;
    // Whether the options make the job use the file (the tree's icons).
    bool FileInUse(FileRole role) const;

    JobState State() const { return state_; }
    // A job or a batch is in progress: no command may start another or change files.
    bool Busy() const { return state_ != JobState::Idle; }
    CommandPermits Permits() const { return permits_; }
    QString Caption() const { return caption_; }
    bool MemoryDisplayOn() const { return memoryOn_; }
    bool ClosePending() const { return close_ == CloseState::AfterJob; }
    QString KestrinPath() const { return kestrinPath_; }
    QString BracklePath() const { return bracklePath_; }

    // Commands.
    // The input-file check without the dialog: enables Begin, Run and the
    // graph commands and lists the files when they make a job.
    void CheckInputFiles();
    // After the output-file dialog, whatever its result: lists the three names.
    void ListOutputFiles();
    // After the options dialog: saves the block when asked, checks the
    // input files again and refreshes the icons.
    void OptionsClosed(bool saveToDisk);
    // A double click on a tree node: the node's chooser, then the check.
    void ChooseFileOf(FileRole role);
    // Files dropped on the tree: the first one takes its role from its extension.
    void DropFiles(const QStringList& files);
    void BeginSimulation();
    void BatchRun();
    void RequestAbort();  // Cancel, Ctrl-Break
    void StepRun();       // Step
    void ToggleMemoryDisplay();
    // The memory display's idle work: shows the allocator's total when the
    // display is on and the total has changed.
    void IdleRefresh();
    void StartKestrin() { StartCompanionTool(kestrinPath_); }
    void StartBrackle() { StartCompanionTool(bracklePath_); }
    void StartCompanionTool(const QString& path);
    // The window asks to close: true when it may close now.  While a job runs
    // a confirmed close waits for its end and comes back as CloseNow.
    bool CloseRequested();

    // UserInterface: how jobs reach the user.
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
    void ResultsWritten() override;
    void ShowProgress(std::string_view text) override;
    void JobStarted() override;

    // The log file of the job under way (empty between jobs).
    QString JobLogFile() const { return jobLogName_; }

signals:
    // A line of the simulation, through the log's buffer rule.
    void LogLineAppended(const QString& text, LogColour colour);
    // A file list: dark green lines outside the buffer rule, the last one empty.
    void FileListLogged(const QStringList& lines);
    void StatusTextChanged(const QString& text);
    // Beside the status text: "Run 2 of 10, about 12 min left"; empty when no job runs.
    void ProgressChanged(const QString& text);
    void CaptionChanged(const QString& caption);
    void PlotUpdated(const PlotSnapshot& snapshot);
    void PlotResetRequested();
    void StateChanged(JobState state);
    // The state or the permits changed: every command's enabling may have.
    void CommandsChanged();
    // A file name or the options behind the tree's icons changed.
    void ProjectChanged();
    // The input-file check found a complete job (it may be remembered).
    void InputsComplete();
    void MemoryDisplayToggled(bool on);
    void MemoryFigureChanged(const QString& figure, const QString& detail);
    // A job (or batch item) starts or has ended: the graph window keeps the
    // frames of one job.
    void JobBegun();
    void JobEnded();
    // A job is about to let the window handle its pending events.
    void ProcessingEvents();
    // A close confirmed while a job ran: the job has ended, close now.
    void CloseNow();
    // A run of the job has added its rows to the result tables (Outputs().Results).
    void RunResultsWritten();

private:
    enum class CloseState { Open, AfterJob, Confirmed };

    void SetState(JobState state);
    void Permit(CommandPermits permits, bool on);
    void SetCaption(const QString& caption);
    void LogFileList(std::initializer_list<const std::string*> names);
    std::string& NameOf(FileRole role);
    void FinishPendingClose();
    bool StartFirstOf(const QStringList& candidates);
    void OpenJobLog(const OutputFileSet& outputs);
    void CloseJobLog();

    JobPrompts& prompts_;
    Platform platform_;
    ProgramContext program_{*this};
    InputFileSet inputs_;
    OutputFileSet outputs_;
    JobState state_ = JobState::Idle;
    CommandPermits permits_;
    QString caption_;
    bool memoryOn_ = false;
    std::optional<std::size_t> memoryShown_;
    CloseState close_ = CloseState::Open;
    QString kestrinPath_;
    QString bracklePath_;
    // The job's log file: open while a job runs, under jobLogStaged_ until placed.
    std::unique_ptr<QFile> jobLog_;
    QString jobLogName_;
    QString jobLogStaged_;
    bool jobLogKept_ = false;  // an older log was kept as backup
};

}  // namespace vantrel
