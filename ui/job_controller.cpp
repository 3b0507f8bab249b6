#include "ui/job_controller.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QStandardPaths>

#include "core/number_text.h"
#include "core/version.h"
#include "core/options.h"
#include "io/file_names.h"
#include "job/batch.h"
#include "job/log.h"
#include "job/options_file.h"
#include "job/output_backups.h"
#include "job/run_driver.h"
#include "ui/memory_use.h"

namespace vantrel {

QString ApplicationTitle() {
    return QStringLiteral("Vantrel ") + QString::fromLatin1(ProgramVersion().data(),
                                                          static_cast<int>(ProgramVersion().size()));
}

namespace {

// The open-file chooser of the input nodes: one filter entry per input file,
// in the order of the nodes.
struct InputNodeChoice {
    const char* Title;
    const char* Filter;  // entry of the shared filter list
    const char* Pattern;
};

constexpr InputNodeChoice InputNodeChoices[] = {
    {"Select Projectile file", "Projectile file (*.prj)", "*.prj"},
    {"Select Target file", "Target file (*.trg)", "*.trg"},
    {"Select Run file", "Run file  (*.run)", "*.run"},
    {"Select Model file", "Model file (*.mdl)", "*.mdl"},
    {"Select Impact file", "Impact file (*.imp)", "*.imp"},
    {"Select Inelastic file", "Inelastic file (*.inl)", "*.inl"},
};

const QString OutputFilterVsk = QStringLiteral("Vantrel output file (*.vsk)");
const QString OutputFilterDat = QStringLiteral("Inelastic data file (*.dat)");

// A dropped file's role by its extension, compared without regard to case.
constexpr struct {
    const char* Extension;
    FileRole Role;
} DropRoles[] = {
    {"PRJ", FileRole::Projectile}, {"TRG", FileRole::Target}, {"RUN", FileRole::Run},
    {"MDL", FileRole::Model},      {"IMP", FileRole::Impact}, {"INL", FileRole::Inelastic},
};

std::string CutName(const QString& name) { return CutText(FromQt(name), ShortTextLimit); }

bool IsInput(FileRole role) { return static_cast<int>(role) <= static_cast<int>(FileRole::Inelastic); }

}  // namespace

bool CommandEnabled(Availability rule, const CommandFacts& facts) {
    const bool running = facts.State == JobState::Running || facts.State == JobState::BatchItem;
    const bool idle = !running;
    switch (rule) {
        case Availability::Always: return true;
        case Availability::WhenIdle: return idle;
        case Availability::WhenRunning: return running;
        case Availability::Step: return running && facts.Stepping;
        case Availability::Begin: return idle && facts.Permits.testFlag(CommandPermit::Begin);
        case Availability::Run: return idle && facts.Permits.testFlag(CommandPermit::Run);
        case Availability::GraphButton: return facts.Permits.testFlag(CommandPermit::GraphButton);
        case Availability::GraphItem: return facts.Permits.testFlag(CommandPermit::GraphItem);
        case Availability::Selection: return facts.Selection;
        case Availability::Never: return false;
    }
    return false;
}

QString BoxText(std::string_view text) {
    QString out = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return out;
}

QString LineText(std::string_view text) {
    QString out = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    for (QChar& c : out)
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) c = QLatin1Char(' ');
    return out;
}

QString JobLogFileName(const std::string& dynamicalVariables) {
    const QFileInfo file(ToQt(dynamicalVariables));
    const QString base = file.suffix().isEmpty() ? file.fileName() : file.completeBaseName();
    const QString folder = file.path();
    return (folder == QStringLiteral(".") && !dynamicalVariables.starts_with("./") ? QString()
                                                                                  : folder + QLatin1Char('/')) +
           base + QStringLiteral(".log");
}

QString MemoryFigureText(std::size_t bytes) {
    const double b = static_cast<double>(bytes);
    if (b < 1e3) return QStringLiteral("%1 bytes").arg(bytes);
    if (b < 1e6) return QStringLiteral("%1 kB").arg(b / 1e3, 0, 'f', 0);
    if (b < 1e9) return QStringLiteral("%1 MB").arg(b / 1e6, 0, 'f', b < 1e8 ? 1 : 0);
    return QStringLiteral("%1 GB").arg(b / 1e9, 0, 'f', 1);
}

QString MemoryDetailText(std::size_t bytes) {
    return QStringLiteral("Memory allocated by Vantrel: %1 bytes")
        .arg(QLocale(QLocale::English).toString(static_cast<qulonglong>(bytes)));
}

JobController::Platform JobController::DesktopPlatform() {
    Platform platform;
    platform.StartProgram = [](const QString& program) {
        return QProcess::startDetached(program, {}, QDir::currentPath());
    };
    platform.AllocatedBytes = [] { return AllocatedBytes(); };
    return platform;
}

JobController::JobController(JobPrompts& prompts, QObject* parent)
    : QObject(parent), prompts_(prompts), platform_(DesktopPlatform()), caption_(ApplicationTitle()) {
    LoadOptionsAtStartUp(program_);
    kestrinPath_ = ToQt(ProgramDirFile("kestrin22.exe"));
    bracklePath_ = ToQt(ProgramDirFile("brackle22.exe"));
    for (std::string* name : {&outputs_.InitialConditions, &outputs_.DynamicalVariables, &outputs_.InelasticEvents})
        *name = CutName(QFileInfo(ToQt(*name)).absoluteFilePath());
}

JobController::~JobController() = default;

void JobController::SetPlatform(const Platform& platform) {
    const Platform desktop = DesktopPlatform();
    platform_ = platform;
    if (!platform_.StartProgram) platform_.StartProgram = desktop.StartProgram;
    if (!platform_.AllocatedBytes) platform_.AllocatedBytes = desktop.AllocatedBytes;
}

// ---------------------------------------------------------------------------
// Files

namespace {

// The name of a role in the two sets, const or not.
template <typename Inputs, typename Outputs>
auto& NameIn(Inputs& in, Outputs& out, FileRole role) {
    switch (role) {
        case FileRole::Projectile: return in.Projectile;
        case FileRole::Target: return in.Target;
        case FileRole::Run: return in.Run;
        case FileRole::Model: return in.Model;
        case FileRole::Impact: return in.Impact;
        case FileRole::Inelastic: return in.Inelastic;
        case FileRole::InitialConditions: return out.InitialConditions;
        case FileRole::DynamicalVariables: return out.DynamicalVariables;
        case FileRole::InelasticEvents: break;
    }
    return out.InelasticEvents;
}

}  // namespace

std::string& JobController::NameOf(FileRole role) { return NameIn(inputs_, outputs_, role); }

const std::string& JobController::FileName(FileRole role) const { return NameIn(inputs_, outputs_, role); }

bool JobController::FileInUse(FileRole role) const {
    const SimulationOptions& o = program_.Options;
    switch (role) {
        // The inelastic file is read whenever any inelastic model is on, the
        // image potential included.
        case FileRole::Inelastic: return InelasticModelsInUse(o);
        case FileRole::InitialConditions: return o.StoreInitial;
        case FileRole::InelasticEvents: return o.StoreInelastic;
        default: return true;
    }
}

void JobController::SetInputs(const InputFileSet& inputs) {
    inputs_ = inputs;
    emit ProjectChanged();
}

void JobController::SetOutputs(const OutputFileSet& outputs) {
    outputs_ = outputs;
    emit ProjectChanged();
}

void JobController::LogFileList(std::initializer_list<const std::string*> names) {
    QStringList lines;
    for (const std::string* name : names) lines << ToQt("  " + *name);
    lines << QString();
    emit FileListLogged(lines);
}

void JobController::CheckInputFiles() {
    const InputFileSet& in = inputs_;
    const bool inelastic = InelasticModelsInUse(program_.Options);
    const bool complete = IsExistingPlainFile(in.Projectile) && IsExistingPlainFile(in.Impact) &&
                          IsExistingPlainFile(in.Run) && IsExistingPlainFile(in.Target) &&
                          IsExistingPlainFile(in.Model) && (!inelastic || IsExistingPlainFile(in.Inelastic));
    // The tree shows the current names whether or not they make a job.
    emit ProjectChanged();
    if (!complete) {
        Permit(CommandPermit::Begin | CommandPermit::Run, false);
        SetCaption(ApplicationTitle());
        ShowStatusText(*this, SpecifyInputsStatusText);
        return;
    }
    Permit(CommandPermit::Begin | CommandPermit::Run | CommandPermit::GraphButton | CommandPermit::GraphItem, true);
    SetCaption(QStringLiteral("%1 (%2...)").arg(ApplicationTitle(),
                                                 QFileInfo(ToQt(in.Target)).fileName()));
    ShowStatusText(*this, IdleStatusText);
    emit InputsComplete();
    if (inelastic) {
        LogFileList({&in.Projectile, &in.Target, &in.Run, &in.Model, &in.Impact, &in.Inelastic});
    } else {
        LogFileList({&in.Projectile, &in.Target, &in.Run, &in.Model, &in.Impact});
    }
}

void JobController::ListOutputFiles() {
    emit ProjectChanged();
    LogFileList({&outputs_.InitialConditions, &outputs_.DynamicalVariables, &outputs_.InelasticEvents});
}

void JobController::OptionsClosed(bool saveToDisk) {
    if (saveToDisk) SaveOptionsFile(program_);
    // The options decide whether the inelastic file is needed and which outputs are written.
    CheckInputFiles();
}

void JobController::ChooseFileOf(FileRole role) {
    if (Busy()) return;
    FileRequest request;
    std::string& name = NameOf(role);
    if (IsInput(role)) {
        const InputNodeChoice& choice = InputNodeChoices[static_cast<int>(role)];
        QStringList filters;
        for (const InputNodeChoice& entry : InputNodeChoices) filters << QString::fromLatin1(entry.Filter);
        request.Mode = FileRequest::Kind::OpenExisting;
        request.Title = QString::fromLatin1(choice.Title);
        request.Filter = filters.join(QStringLiteral(";;"));
        request.SelectedFilter = QString::fromLatin1(choice.Filter);
        request.InitialName = QString::fromLatin1(choice.Pattern);
    } else {
        const bool events = role == FileRole::InelasticEvents;
        request.Mode = FileRequest::Kind::Save;
        request.Title = QStringLiteral("Specify name of output file");
        request.Filter = OutputFilterVsk + QStringLiteral(";;") + OutputFilterDat;
        request.SelectedFilter = events ? OutputFilterDat : OutputFilterVsk;
        // A name typed without extension takes that of the filter shown.
        request.DefaultSuffix = events ? QStringLiteral("dat") : QStringLiteral("vsk");
        request.InitialName = ToQt(name);
    }
    const QString chosen = prompts_.ChooseFile(request);
    if (!chosen.isEmpty()) name = CutName(chosen);
    CheckInputFiles();
}

void JobController::DropFiles(const QStringList& files) {
    if (Busy() || files.isEmpty()) return;
    const QString file = files.first();
    const QString extension = QFileInfo(file).suffix().toUpper();
    for (const auto& drop : DropRoles) {
        if (extension != QLatin1String(drop.Extension)) continue;
        NameOf(drop.Role) = CutName(file);
        break;
    }
    CheckInputFiles();
}

// ---------------------------------------------------------------------------
// States

void JobController::SetState(JobState state) {
    if (state == state_) return;
    state_ = state;
    emit StateChanged(state);
    emit CommandsChanged();
}

void JobController::Permit(CommandPermits permits, bool on) {
    const CommandPermits before = permits_;
    permits_ = on ? (permits_ | permits) : (permits_ & ~permits);
    if (permits_ != before) emit CommandsChanged();
}

void JobController::SetCaption(const QString& caption) {
    caption_ = caption;
    emit CaptionChanged(caption);
}

// ---------------------------------------------------------------------------
// Jobs and batches

void JobController::BeginSimulation() {
    if (Busy()) return;
    ShowStatusText(*this, LoadingStatusText);
    SetState(JobState::Running);
    OpenJobLog(outputs_);
    RunJob(program_, inputs_, outputs_, false);
    CloseJobLog();
    Permit(CommandPermit::Begin, true);  // returning from a job enables it whatever the files
    SetState(JobState::Idle);
    ShowStatusText(*this, IdleStatusText);
    FinishPendingClose();
}

void JobController::RequestAbort() { program_.AbortRequested = true; }

void JobController::StepRun() { program_.AbortNow = true; }

void JobController::BatchRun() {
    if (Busy()) return;
    FileRequest request;
    request.Mode = FileRequest::Kind::OpenExisting;
    request.Title = QStringLiteral("Batch definition file");
    request.Filter = QStringLiteral("Batch definition file (*.bdf);;Any file (*)");
    request.InitialName = QStringLiteral("*.bdf");
    const QString chosen = prompts_.ChooseFile(request);
    if (chosen.isEmpty()) return;
    const std::string path = FromQt(chosen);
    if (!CheckBatchFileExists(*this, path)) return;
    if (!AskYesNo("Proceed with batch jobs?", QuestionKind::Confirmation)) return;

    BatchHooks hooks;
    hooks.BatchStarting = [this] {
        Permit(CommandPermit::GraphButton, true);
        SetState(JobState::BatchBetween);
    };
    hooks.ItemChosen = [this](const BatchItem& item) {
        inputs_ = item.Inputs;
        outputs_ = item.Outputs;
        emit ProjectChanged();
    };
    hooks.ItemStarting = [this](std::int32_t counter, const BatchItem& item) {
        SetState(JobState::BatchItem);
        SetCaption(ToQt(BatchItemCaption(counter, item.Title)));
        OpenJobLog(item.Outputs);
    };
    hooks.ItemFinished = [this](const BatchItem&, JobOutcome) {
        CloseJobLog();
        Permit(CommandPermit::Begin, true);
        SetState(JobState::BatchBetween);
    };
    hooks.BatchFinished = [this] {
        SetState(JobState::Idle);
        SetCaption(ApplicationTitle());
    };
    RunBatch(program_, path, hooks);
    SetState(JobState::Idle);
    FinishPendingClose();
}

// ---------------------------------------------------------------------------
// Memory display, companion tools, closing

void JobController::ToggleMemoryDisplay() {
    memoryOn_ = !memoryOn_;
    emit MemoryDisplayToggled(memoryOn_);
}

void JobController::IdleRefresh() {
    if (!memoryOn_) return;
    const std::size_t bytes = platform_.AllocatedBytes();
    if (memoryShown_ == bytes) return;
    memoryShown_ = bytes;
    emit MemoryFigureChanged(MemoryFigureText(bytes), MemoryDetailText(bytes));
}

bool JobController::StartFirstOf(const QStringList& candidates) {
    for (const QString& program : candidates)
        if (platform_.StartProgram(program)) return true;
    return false;
}

void JobController::StartCompanionTool(const QString& path) {
    const QFileInfo tool(path);
    const QString bare = tool.fileName();
    // On systems without ".exe" programs the tool may carry the bare name.
    QStringList names{bare};
    if (bare.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive)) names << bare.chopped(4);

    QStringList beside;
    for (const QString& name : names) {
        const QString candidate = tool.absolutePath() + QLatin1Char('/') + name;
        if (QFileInfo(candidate).isFile()) beside << candidate;
    }
    if (StartFirstOf(beside)) return;
    QStringList onPath;
    for (const QString& name : names) {
        const QString found = QStandardPaths::findExecutable(name);
        if (!found.isEmpty()) onPath << found;
    }
    if (StartFirstOf(onPath)) return;
    ShowError(*this, FromQt(bare) + " was not found.");

    FileRequest request;
    request.Mode = FileRequest::Kind::OpenExisting;
    request.Title = QStringLiteral("Execute Program");
#ifdef _WIN32
    request.Filter = QStringLiteral("Executable files (*.EXE *.exe);;Any file (*)");
    request.InitialName = QStringLiteral("*.EXE");
    request.DefaultSuffix = QStringLiteral("EXE");
#else
    // Programs here carry no extension.
    request.Filter = QStringLiteral("Any file (*)");
#endif
    const QString chosen = prompts_.ChooseFile(request);
    if (chosen.isEmpty()) return;
    // Started where the user found it: the chooser does not move the current directory.
    if (!platform_.StartProgram(chosen))
        ShowError(*this, FromQt(QFileInfo(chosen).fileName()) + "was not found on your path.");
}

bool JobController::CloseRequested() {
    if (close_ == CloseState::Confirmed) return true;
    if (Busy()) {
        // The job, or the batch with its remaining items, finishes first.
        if (prompts_.Ask(QuestionBox::OkCancel, QString::fromLatin1(CloseWhileRunningText)))
            close_ = CloseState::AfterJob;
        return false;
    }
    if (!prompts_.Ask(QuestionBox::OkCancel, QString::fromLatin1(CloseText))) return false;
    close_ = CloseState::Confirmed;
    return true;
}

void JobController::FinishPendingClose() {
    if (close_ != CloseState::AfterJob || Busy()) return;
    close_ = CloseState::Confirmed;
    emit CloseNow();
}

// ---------------------------------------------------------------------------
// The notifications of a job

void JobController::AppendLogLine(std::string_view text, LogColour colour) {
    if (jobLog_) {
        // A line at a time, as the runner's plain log: nothing is lost if the program stops.
        jobLog_->write(text.data(), static_cast<qint64>(text.size()));
        jobLog_->write("\n", 1);
        jobLog_->flush();
    }
    emit LogLineAppended(LineText(text), colour);
}

void JobController::OpenJobLog(const OutputFileSet& outputs) {
    CloseJobLog();
    emit JobBegun();
    jobLogName_ = JobLogFileName(outputs.DynamicalVariables);
    const std::string name = FromQt(jobLogName_);
    jobLogStaged_ = CanStage(name) ? ToQt(StagingName(name)) : QString();
    auto file = std::make_unique<QFile>(jobLogStaged_.isEmpty() ? jobLogName_ : jobLogStaged_);
    if (file->open(QIODevice::WriteOnly | QIODevice::Truncate)) jobLog_ = std::move(file);
}

void JobController::JobStarted() {
    if (!jobLog_ || jobLogStaged_.isEmpty()) return;
    bool backedUp = false;
    if (PlaceStagedFile(FromQt(jobLogStaged_), FromQt(jobLogName_), backedUp)) jobLogStaged_.clear();
    jobLogKept_ = backedUp;
}

void JobController::CloseJobLog() {
    if (jobLog_ && jobLogKept_) LogLine(*this, BackupNoteText(FromQt(jobLogName_)), ColourBlack);
    jobLog_.reset();
    // A job that never started leaves no log file.
    if (!jobLogStaged_.isEmpty()) DiscardStagedFile(FromQt(jobLogStaged_));
    if (!jobLogName_.isEmpty()) emit JobEnded();
    jobLogName_.clear();
    jobLogStaged_.clear();
    jobLogKept_ = false;
    emit ProgressChanged(QString());
}

void JobController::SetStatusText(std::string_view text) { emit StatusTextChanged(LineText(text)); }

void JobController::PlotUpdate(const PlotSnapshot& snapshot) { emit PlotUpdated(snapshot); }

void JobController::PlotReset() { emit PlotResetRequested(); }

void JobController::ErrorBox(std::string_view text) { prompts_.Tell(MessageKind::Error, BoxText(text)); }

void JobController::WarningBox(std::string_view text) { prompts_.Tell(MessageKind::Warning, BoxText(text)); }

bool JobController::AskYesNo(std::string_view text, QuestionKind kind) {
    QuestionBox box = QuestionBox::Confirmation;
    if (kind == QuestionKind::Warning) box = QuestionBox::Warning;
    if (kind == QuestionKind::ConfirmationTopLeft) box = QuestionBox::ConfirmationTopLeft;
    return prompts_.Ask(box, BoxText(text));
}

void JobController::ProcessPendingEvents() {
    emit ProcessingEvents();
    QCoreApplication::processEvents();
}

void JobController::Beep() { prompts_.Beep(); }

void JobController::ExpressionError(std::string_view message) { prompts_.ShowExpressionError(BoxText(message)); }

void JobController::RefreshMemoryDisplay() { IdleRefresh(); }

void JobController::ResultsWritten() { emit RunResultsWritten(); }

void JobController::ShowProgress(std::string_view text) { emit ProgressChanged(LineText(text)); }

}  // namespace vantrel
