#include "ui/main_form.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QDir>
#include <QFileInfo>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include "job/batch.h"
#include "job/log.h"
#include "core/number_text.h"
#include "job/run_driver.h"
#include "core/options.h"
#include "ui/expression_error.h"
#include "ui/file_dialogs.h"
#include "ui/graph_window.h"
#include "ui/help_browser.h"
#include "ui/log_view.h"
#include "ui/memory_use.h"
#include "ui/options_dialog.h"
#include "ui/pictures.h"
#include "ui/project_tree.h"
#include "ui/splash_about.h"
#include "job/options_file.h"
#include "io/file_names.h"

namespace vantrel {

namespace {

const char* const HelpTopicProperty = "helpTopic";

// The open-file chooser of tree nodes 0-5: one filter entry per input file,
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

QString InputNodeFilter() {
    QStringList entries;
    for (const InputNodeChoice& choice : InputNodeChoices) entries << QString::fromLatin1(choice.Filter);
    return entries.join(QStringLiteral(";;"));
}

const QString OutputFilterVsk = QStringLiteral("Vantrel output file (*.vsk)");
const QString OutputFilterDat = QStringLiteral("Inelastic data file (*.dat)");

std::string CutName(const QString& name) { return CutText(FromQt(name), ShortTextLimit); }

QString FileNamePart(const std::string& path) { return QFileInfo(ToQt(path)).fileName(); }

}  // namespace

// ---------------------------------------------------------------------------
// Desktop services

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

bool AskQuestionBox(QWidget* parent, QuestionBox box, const QString& text) {
    QMessageBox message(parent);
    message.setText(text);
    message.setTextFormat(Qt::PlainText);
    QMessageBox::StandardButton yes = QMessageBox::Yes;
    QMessageBox::StandardButton no = QMessageBox::No;
    switch (box) {
        case QuestionBox::Warning:
            message.setIcon(QMessageBox::Warning);
            message.setWindowTitle(QStringLiteral("Warning"));
            break;
        case QuestionBox::OkCancel:
            yes = QMessageBox::Ok;
            no = QMessageBox::Cancel;
            [[fallthrough]];
        case QuestionBox::Confirmation:
        case QuestionBox::ConfirmationTopLeft:
            message.setIcon(QMessageBox::Question);
            message.setWindowTitle(QStringLiteral("Confirm"));
            break;
    }
    message.setStandardButtons(yes | no);
    message.setDefaultButton(yes);
    message.setEscapeButton(no);
    if (box == QuestionBox::ConfirmationTopLeft) {
        // Out of the way of the log the summary has just been written to.
        const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
        message.move(screen ? screen->geometry().topLeft() : QPoint(0, 0));
    }
    return message.exec() == yes;
}

MainFormServices DesktopServices() {
    MainFormServices services;
    services.Ask = AskQuestionBox;
    services.ShowExpressionError = ShowExpressionErrorWindow;
    services.RunDialog = [](QDialog& dialog) { return dialog.exec(); };
    services.ChooseFont = [](QWidget* parent, const QFont& current) -> std::optional<QFont> {
        bool ok = false;
        const QFont font = QFontDialog::getFont(&ok, current, parent);
        if (!ok) return std::nullopt;
        return font;
    };
    services.ChooseColour = [](QWidget* parent, const QColor& current) -> std::optional<QColor> {
        const QColor colour = QColorDialog::getColor(current, parent);
        if (!colour.isValid()) return std::nullopt;
        return colour;
    };
    services.SetUpPrinter = [](QWidget* parent, QPrinter& printer) {
        QPrintDialog dialog(&printer, parent);
        return dialog.exec() == QDialog::Accepted;
    };
    services.StartProgram = [](const QString& program) {
        return QProcess::startDetached(program, {}, QDir::currentPath());
    };
    services.AllocatedBytes = [] { return AllocatedBytes(); };
    return services;
}

// ---------------------------------------------------------------------------
// Creation

TMainForm::TMainForm(QWidget* splash) : QMainWindow(nullptr), splash_(splash) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QString::fromLatin1(ApplicationTitle));
    setWindowIcon(ProgramIcon());
    services_ = DesktopServices();
    FillMissingServices();

    BuildActions();
    BuildMenus();
    BuildToolBar();
    BuildPages();
    BuildStatusBar();

    // 1. The memory display, off, refreshed whenever the event loop is about to wait.
    memoryDisplayOn_ = false;
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &TMainForm::IdleRefresh);

    // 2. The splash window goes 1600 ms after this window's creation.
    SplashTimer = new QTimer(this);
    SplashTimer->setSingleShot(true);
    SplashTimer->setInterval(SplashDelayMs);
    connect(SplashTimer, &QTimer::timeout, this, [this] {
        if (splash_) splash_->close();
        SplashTimer->stop();
    });
    SplashTimer->start();

    // 3. The configuration file, when it asks to be loaded.
    LoadOptionsAtStartUp(Program);

    // 4. Help and the companion tools, beside the program.
    helpFolder_ = HelpFolder();
    kestrinPath_ = ToQt(ProgramDirFile("kestrin22.exe"));
    bracklePath_ = ToQt(ProgramDirFile("brackle22.exe"));

    // 5. Panel colours.  The palette says it; the style sheet makes every
    // style paint it, tool bars included.
    for (QWidget* panel : {static_cast<QWidget*>(EnableStepping), static_cast<QWidget*>(MemoryLabel)}) {
        QPalette palette = panel->palette();
        palette.setColor(QPalette::Window, ToQColor(PanelColour));
        panel->setPalette(palette);
        panel->setAutoFillBackground(true);
    }
    EnableStepping->setStyleSheet(
        QStringLiteral("QCheckBox { background-color: %1; padding: 2px 6px; }").arg(ToQColor(PanelColour).name()));
    MemoryLabel->setStyleSheet(QStringLiteral("QLabel { background-color: %1; border: 1px inset gray; padding: 2px 6px; }")
                                   .arg(ToQColor(PanelColour).name()));

    // 6. Files dropped on the project tree.
    connect(Tree, &ProjectTree::FilesDropped, this, &TMainForm::DropFiles);
    connect(Tree, &ProjectTree::NodeDoubleClicked, this, &TMainForm::TreeDoubleClick);
    SetAcceptingFiles(true);

    // 7. Output names as full paths.
    for (std::string* name : {&Outputs.InitialConditions, &Outputs.DynamicalVariables, &Outputs.InelasticEvents})
        *name = CutName(QFileInfo(ToQt(*name)).absoluteFilePath());
    ShowInputNames();
    ShowOutputNames();

    // 8. Icons that follow the options.
    RefreshTreeIcons();

    ApplyCommandStates();
    // Ctrl-Break and F1 are seen before the controls see them.
    qApp->installEventFilter(this);
    resize(760, 560);
}

TMainForm::~TMainForm() = default;

void TMainForm::FillMissingServices() {
    const MainFormServices desktop = DesktopServices();
    if (!services_.Ui.ChooseFile) services_.Ui.ChooseFile = RunFileChooser;
    if (!services_.Ui.ShowMessage) services_.Ui.ShowMessage = RunMessageBox;
    if (!services_.Ui.Beep) services_.Ui.Beep = SystemBeep;
    if (!services_.Ui.ShowHelp) services_.Ui.ShowHelp = [this](int topic) { OpenHelpBrowser(topic); };
    if (!services_.Ask) services_.Ask = desktop.Ask;
    if (!services_.ShowExpressionError) services_.ShowExpressionError = desktop.ShowExpressionError;
    if (!services_.RunDialog) services_.RunDialog = desktop.RunDialog;
    if (!services_.ChooseFont) services_.ChooseFont = desktop.ChooseFont;
    if (!services_.ChooseColour) services_.ChooseColour = desktop.ChooseColour;
    if (!services_.SetUpPrinter) services_.SetUpPrinter = desktop.SetUpPrinter;
    if (!services_.StartProgram) services_.StartProgram = desktop.StartProgram;
    if (!services_.AllocatedBytes) services_.AllocatedBytes = desktop.AllocatedBytes;
}

void TMainForm::SetServices(const MainFormServices& services) {
    services_ = services;
    FillMissingServices();
    if (inputFiles_) inputFiles_->SetServices(services_.Ui);
    if (outputFiles_) outputFiles_->SetServices(services_.Ui);
    if (options_) options_->SetServices(services_.Ui);
    if (graph_) graph_->SetServices(services_.Ui);
}

void TMainForm::AttachWindows(TAboutForm* about, TFileDialog* inputFiles, TGraph* graph, TOptionsDlg* options,
                              TOutfileDlg* outputFiles) {
    about_ = about;
    inputFiles_ = inputFiles;
    graph_ = graph;
    options_ = options;
    outputFiles_ = outputFiles;
    SetServices(services_);
}

void TMainForm::BuildActions() {
    const auto item = [this](const char* text, const QKeySequence& shortcut, int topic) {
        auto* action = new QAction(QString::fromLatin1(text), this);
        if (!shortcut.isEmpty()) action->setShortcut(shortcut);
        if (topic != 0) action->setProperty(HelpTopicProperty, topic);
        return action;
    };
    InputFilesItem = item("Specify &input files", QKeySequence(Qt::CTRL | Qt::Key_I), 110);
    OutputFilesItem = item("Specify &output files", QKeySequence(Qt::CTRL | Qt::Key_O), 120);
    RunItem = item("&Run", QKeySequence(Qt::CTRL | Qt::Key_R), 130);
    BatchRunItem = item("&Batch run", QKeySequence(Qt::CTRL | Qt::Key_B), 140);
    SaveLogItem = item("S&ave log to file", {}, 150);
    LoadLogItem = item("&Load file into log", {}, 160);
    PrintLogItem = item("&Print log", {}, 170);
    GraphItem = item("&Graph window", QKeySequence(Qt::CTRL | Qt::Key_G), 180);
    KestrinItem = item("&Kestrin", QKeySequence(Qt::CTRL | Qt::Key_S), 194);
    BrackleItem = item("&Brackle", QKeySequence(Qt::CTRL | Qt::Key_W), 195);
    UndoItem = item("&Undo", {}, 200);
    CutItem = item("Cu&t", QKeySequence(Qt::CTRL | Qt::Key_X), 200);
    CopyItem = item("&Copy", QKeySequence(Qt::CTRL | Qt::Key_C), 200);
    PasteItem = item("&Paste", QKeySequence(Qt::CTRL | Qt::Key_V), 200);
    DeleteItem = item("&Delete", QKeySequence(Qt::CTRL | Qt::Key_Delete), 200);
    SelectAllItem = item("&Select All", {}, 200);
    SimulationItem = item("&Simulation", QKeySequence(Qt::CTRL | Qt::Key_Q), 310);
    ShowMemoryItem = item("Show &memory use", QKeySequence(Qt::CTRL | Qt::Key_M), 317);
    ShowMemoryItem->setCheckable(true);
    FontItem = item("&Font", {}, 350);
    PageColourItem = item("&Page colour", {}, 360);
    IntroductionItem = item("&Introduction", {}, 1);
    AboutItem = item("&About", {}, 0);

    connect(InputFilesItem, &QAction::triggered, this, [this] { CheckInputFiles(true); });
    connect(OutputFilesItem, &QAction::triggered, this, &TMainForm::OutputFilesClick);
    connect(RunItem, &QAction::triggered, this, &TMainForm::Run1Click);
    connect(BatchRunItem, &QAction::triggered, this, &TMainForm::BatchRunClick);
    connect(SaveLogItem, &QAction::triggered, this, &TMainForm::SaveLogClick);
    connect(LoadLogItem, &QAction::triggered, this, &TMainForm::LoadLogClick);
    connect(PrintLogItem, &QAction::triggered, this, &TMainForm::PrintLogClick);
    connect(GraphItem, &QAction::triggered, this, &TMainForm::ShowGraphClick);
    connect(KestrinItem, &QAction::triggered, this, &TMainForm::KestrinClick);
    connect(BrackleItem, &QAction::triggered, this, &TMainForm::BrackleClick);
    connect(UndoItem, &QAction::triggered, this, [this] { Log->undo(); });
    connect(CutItem, &QAction::triggered, this, [this] { Log->cut(); });
    connect(CopyItem, &QAction::triggered, this, [this] { Log->copy(); });
    connect(PasteItem, &QAction::triggered, this, [this] { Log->paste(); });
    connect(DeleteItem, &QAction::triggered, this, [this] {
        QTextCursor cursor = Log->textCursor();
        cursor.removeSelectedText();
        Log->setTextCursor(cursor);
    });
    connect(SelectAllItem, &QAction::triggered, this, [this] { Log->selectAll(); });
    connect(SimulationItem, &QAction::triggered, this, &TMainForm::SimulationClick);
    connect(ShowMemoryItem, &QAction::triggered, this, &TMainForm::ShowMemoryClick);
    connect(FontItem, &QAction::triggered, this, &TMainForm::FontClick);
    connect(PageColourItem, &QAction::triggered, this, &TMainForm::PageColourClick);
    connect(IntroductionItem, &QAction::triggered, this, &TMainForm::IntroductionClick);
    connect(AboutItem, &QAction::triggered, this, &TMainForm::AboutClick);

    const auto button = [this](CommandIcon icon, const char* text, const char* hint) {
        auto* action = new QAction(CommandBarIcon(icon), QString::fromLatin1(text), this);
        action->setToolTip(QString::fromLatin1(hint));
        return action;
    };
    BeginButton = button(CommandIcon::Begin, "Begin simulation", "Begin simulation");
    CancelButton = button(CommandIcon::Cancel, "Cancel", CancelHint);
    InputFilesButton = button(CommandIcon::InputFiles, "Specify input files", "Specify input files");
    GraphButton = button(CommandIcon::Graph, "Show graph window", "Show graph window");
    ClearLogButton = button(CommandIcon::ClearLog, "Clear log", "Clear log");
    StepButton = button(CommandIcon::Step, "Step", "Step (abandon this run, start next)");
    OutputFilesButton = button(CommandIcon::OutputFiles, "Specify output files", "Specify output files");
    connect(BeginButton, &QAction::triggered, this, &TMainForm::SpeedButton1Click);
    connect(CancelButton, &QAction::triggered, this, &TMainForm::CancelClick);
    connect(InputFilesButton, &QAction::triggered, this, [this] { CheckInputFiles(true); });
    connect(GraphButton, &QAction::triggered, this, &TMainForm::ShowGraphClick);
    connect(ClearLogButton, &QAction::triggered, this, &TMainForm::ClearLogClick);
    connect(StepButton, &QAction::triggered, this, &TMainForm::StepClick);
    connect(OutputFilesButton, &QAction::triggered, this, &TMainForm::OutputFilesClick);
}

void TMainForm::BuildMenus() {
    FileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    FileMenu->addAction(InputFilesItem);
    FileMenu->addAction(OutputFilesItem);
    FileMenu->addSeparator();
    FileMenu->addAction(RunItem);
    FileMenu->addAction(BatchRunItem);
    FileMenu->addSeparator();
    FileMenu->addAction(SaveLogItem);
    FileMenu->addAction(LoadLogItem);
    FileMenu->addAction(PrintLogItem);
    FileMenu->addSeparator();
    FileMenu->addAction(GraphItem);
    FileMenu->addSeparator();
    FileMenu->addAction(KestrinItem);
    FileMenu->addAction(BrackleItem);

    EditMenu = menuBar()->addMenu(QStringLiteral("&Edit"));
    EditMenu->menuAction()->setProperty(HelpTopicProperty, 200);
    EditMenu->addAction(UndoItem);
    EditMenu->addSeparator();
    EditMenu->addAction(CutItem);
    EditMenu->addAction(CopyItem);
    EditMenu->addAction(PasteItem);
    EditMenu->addAction(DeleteItem);
    EditMenu->addSeparator();
    EditMenu->addAction(SelectAllItem);
    connect(EditMenu, &QMenu::aboutToShow, this, &TMainForm::EditMenuOpening);

    OptionsMenu = menuBar()->addMenu(QStringLiteral("&Options"));
    OptionsMenu->menuAction()->setProperty(HelpTopicProperty, 300);
    OptionsMenu->addAction(SimulationItem);
    OptionsMenu->addAction(ShowMemoryItem);
    OptionsMenu->addSeparator();
    OptionsMenu->addAction(FontItem);
    OptionsMenu->addAction(PageColourItem);

    HelpMenu = menuBar()->addMenu(QStringLiteral("&Help"));
    HelpMenu->menuAction()->setProperty(HelpTopicProperty, 1);
    HelpMenu->addAction(IntroductionItem);
    HelpMenu->addAction(AboutItem);
}

void TMainForm::BuildToolBar() {
    Tools = addToolBar(QStringLiteral("Commands"));
    Tools->setObjectName(QStringLiteral("Commands"));
    Tools->setMovable(false);
    Tools->setIconSize(QSize(24, 24));
    Tools->addAction(BeginButton);
    Tools->addAction(CancelButton);
    Tools->addSeparator();
    Tools->addAction(InputFilesButton);
    Tools->addAction(GraphButton);
    Tools->addAction(ClearLogButton);
    Tools->addAction(StepButton);
    Tools->addAction(OutputFilesButton);
    Tools->addSeparator();

    auto* panel = new QWidget(Tools);
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(4, 0, 4, 0);
    layout->setSpacing(8);
    EnableStepping = new QCheckBox(QStringLiteral("Enable stepping"), panel);
    EnableStepping->setObjectName(QStringLiteral("EnableStepping"));
    MemoryLabel = new QLabel(panel);
    MemoryLabel->setObjectName(QStringLiteral("MemoryLabel"));
    MemoryLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    MemoryLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    MemoryLabel->setMinimumWidth(MemoryLabel->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) + 8);
    MemoryLabel->setToolTip(QStringLiteral("Bytes allocated"));
    MemoryLabel->hide();
    layout->addWidget(EnableStepping);
    layout->addWidget(MemoryLabel);
    Tools->addWidget(panel);
}

void TMainForm::BuildPages() {
    Pages = new QTabWidget(this);
    Pages->setObjectName(QStringLiteral("Pages"));

    ProjectPage = new QWidget(Pages);
    Tree = new ProjectTree(ProjectPage);
    Tree->setHeaderLabel(QStringLiteral("   Files in project"));
    for (int node = 0; node < NodeCount; ++node) new QTreeWidgetItem(Tree);
    auto* projectLayout = new QVBoxLayout(ProjectPage);
    projectLayout->setContentsMargins(4, 4, 4, 4);
    projectLayout->addWidget(Tree);

    LogPage = new QWidget(Pages);
    Log = new LogView(LogPage);
    auto* logLayout = new QVBoxLayout(LogPage);
    logLayout->setContentsMargins(0, 0, 0, 0);
    logLayout->addWidget(Log);
    connect(Log, &QTextEdit::copyAvailable, this, [this](bool) { EditMenuOpening(); });

    Pages->addTab(ProjectPage, QStringLiteral("Project"));
    Pages->addTab(LogPage, QStringLiteral("Log"));
    Pages->setCurrentWidget(ProjectPage);
    setCentralWidget(Pages);
    EditMenuOpening();
}

void TMainForm::BuildStatusBar() {
    StatusField = new QLabel(QString::fromLatin1(SpecifyInputsStatusText), this);
    StatusField->setObjectName(QStringLiteral("StatusField"));
    statusBar()->addWidget(StatusField, 1);
}

// ---------------------------------------------------------------------------
// The notifications of a job

void TMainForm::AppendLogLine(std::string_view text, LogColour colour) {
    Log->AppendLine(LineText(text), colour, Program.Options.LogBufferLines);
}

void TMainForm::SetStatusText(std::string_view text) { StatusField->setText(LineText(text)); }

void TMainForm::PlotUpdate(const PlotSnapshot& snapshot) {
    if (graph_) graph_->PlotUpdate(snapshot);
}

void TMainForm::PlotReset() {
    if (graph_) graph_->PlotReset();
}

void TMainForm::ErrorBox(std::string_view text) {
    services_.Ui.ShowMessage(this, MessageKind::Error, BoxText(text));
}

void TMainForm::WarningBox(std::string_view text) {
    services_.Ui.ShowMessage(this, MessageKind::Warning, BoxText(text));
}

bool TMainForm::AskYesNo(std::string_view text, QuestionKind kind) {
    QuestionBox box = QuestionBox::Confirmation;
    if (kind == QuestionKind::Warning) box = QuestionBox::Warning;
    if (kind == QuestionKind::ConfirmationTopLeft) box = QuestionBox::ConfirmationTopLeft;
    return Ask(box, BoxText(text));
}

void TMainForm::ProcessPendingEvents() {
    if (services_.DuringEvents) services_.DuringEvents();
    QCoreApplication::processEvents();
}

void TMainForm::Beep() { services_.Ui.Beep(); }

void TMainForm::ExpressionError(std::string_view message) { services_.ShowExpressionError(this, BoxText(message)); }

void TMainForm::RefreshMemoryDisplay() { IdleRefresh(); }

bool TMainForm::Ask(QuestionBox box, const QString& text) { return services_.Ask(this, box, text); }

int TMainForm::RunModal(QDialog& dialog) { return services_.RunDialog(dialog); }

// ---------------------------------------------------------------------------
// Running and idle states

void TMainForm::ApplyCommandStates() {
    const bool idle = !jobRunning_;
    BeginButton->setEnabled(idle && beginAllowed_);
    CancelButton->setEnabled(jobRunning_);
    StepButton->setEnabled(jobRunning_ && EnableStepping->isChecked());
    InputFilesButton->setEnabled(idle);
    OutputFilesButton->setEnabled(idle);
    EnableStepping->setEnabled(idle);
    GraphButton->setEnabled(graphAllowed_);
    // The whole File menu is off while a job runs; its commands are switched
    // off one by one as well, since their shortcuts would work without the menu.
    FileMenu->menuAction()->setEnabled(idle);
    RunItem->setEnabled(idle && runAllowed_);
    GraphItem->setEnabled(idle && graphItemAllowed_);
    for (QAction* action : {InputFilesItem, OutputFilesItem, BatchRunItem, SaveLogItem, LoadLogItem, PrintLogItem,
                            KestrinItem, BrackleItem})
        action->setEnabled(idle);
    AboutItem->setEnabled(idle);
    SimulationItem->setEnabled(idle);
}

void TMainForm::EnterRunningState() {
    jobRunning_ = true;
    ApplyCommandStates();
}

void TMainForm::ReturnToIdleState() {
    jobRunning_ = false;
    beginAllowed_ = true;  // returning from a job enables it whatever the files
    ApplyCommandStates();
}

void TMainForm::SetAcceptingFiles(bool accepting) { Tree->SetAcceptingFiles(accepting); }

// ---------------------------------------------------------------------------
// Jobs and batches

void TMainForm::SpeedButton1Click() { BeginSimulation(); }

void TMainForm::Run1Click() { BeginSimulation(); }

void TMainForm::BeginSimulation() {
    if (Running()) return;
    ShowStatusText(*this, LoadingStatusText);
    EnterRunningState();
    SetAcceptingFiles(false);
    Pages->setCurrentWidget(LogPage);
    Log->setFocus();
    RunJob(Program, Inputs, Outputs, false);
    SetAcceptingFiles(true);
    ReturnToIdleState();
    ShowStatusText(*this, IdleStatusText);
    FinishPendingClose();
}

void TMainForm::CancelClick() { Program.AbortRequested = true; }

void TMainForm::StepClick() { Program.AbortNow = true; }

void TMainForm::BatchRunClick() {
    if (Running()) return;
    FileRequest request;
    request.Mode = FileRequest::Kind::OpenExisting;
    request.Title = QStringLiteral("Batch definition file");
    request.Filter = QStringLiteral("Batch definition file (*.bdf);;Any file (*)");
    request.InitialName = QStringLiteral("*.bdf");
    const QString chosen = services_.Ui.ChooseFile(this, request);
    if (chosen.isEmpty()) return;
    const std::string path = FromQt(chosen);
    if (!CheckBatchFileExists(*this, path)) return;
    if (!AskYesNo("Proceed with batch jobs?", QuestionKind::Confirmation)) return;

    BatchHooks hooks;
    hooks.BatchStarting = [this] {
        graphAllowed_ = true;
        ApplyCommandStates();
        SetAcceptingFiles(false);
    };
    hooks.ItemChosen = [this](const BatchItem& item) {
        Inputs = item.Inputs;
        Outputs = item.Outputs;
        ShowInputNames();
        ShowOutputNames();
    };
    hooks.ItemStarting = [this](std::int32_t counter, const BatchItem& item) {
        EnterRunningState();
        CancelButton->setToolTip(QString::fromLatin1(BatchCancelHint));
        setWindowTitle(ToQt(BatchItemCaption(counter, item.Title)));
        Pages->setCurrentWidget(LogPage);
    };
    hooks.ItemFinished = [this](const BatchItem&, JobOutcome) {
        CancelButton->setToolTip(QString::fromLatin1(HaltHint));
        ReturnToIdleState();
    };
    hooks.BatchFinished = [this] {
        SetAcceptingFiles(true);
        setWindowTitle(QString::fromLatin1(ApplicationTitle));
    };
    batchRunning_ = true;
    RunBatch(Program, path, hooks);
    batchRunning_ = false;
    FinishPendingClose();
}

// ---------------------------------------------------------------------------
// Files

void TMainForm::SetNode(int node, const std::string& name) {
    if (QTreeWidgetItem* item = Tree->topLevelItem(node)) item->setText(0, ToQt(name));
}

QString TMainForm::NodeText(int node) const {
    const QTreeWidgetItem* item = Tree->topLevelItem(node);
    return item ? item->text(0) : QString();
}

void TMainForm::ShowInputNames() {
    SetNode(ProjectileNode, Inputs.Projectile);
    SetNode(TargetNode, Inputs.Target);
    SetNode(RunNode, Inputs.Run);
    SetNode(ModelNode, Inputs.Model);
    SetNode(ImpactNode, Inputs.Impact);
    SetNode(InelasticNode, Inputs.Inelastic);
}

void TMainForm::ShowOutputNames() {
    SetNode(InitialNode, Outputs.InitialConditions);
    SetNode(DynamicalNode, Outputs.DynamicalVariables);
    SetNode(EventsNode, Outputs.InelasticEvents);
}

void TMainForm::RefreshTreeIcons() {
    const SimulationOptions& o = Program.Options;
    for (int node = 0; node < NodeCount; ++node) {
        bool inUse = true;
        // The inelastic file is read whenever any inelastic model is on,
        // the image potential included.
        if (node == InelasticNode) inUse = InelasticModelsInUse(o);
        if (node == InitialNode) inUse = o.StoreInitial;
        if (node == EventsNode) inUse = o.StoreInelastic;
        static const char* const roles[NodeCount] = {
            "Projectile file", "Target file",         "Run file",           "Model file",      "Impact file",
            "Inelastic parameter file", "Initial conditions", "Dynamical variables", "Inelastic events"};
        QTreeWidgetItem* item = Tree->topLevelItem(node);
        item->setIcon(0, ProjectFileIcon(inUse));
        item->setData(0, Qt::UserRole, inUse);
        item->setToolTip(0, QString::fromLatin1(roles[node]) + (inUse ? QString() : QStringLiteral(" (not in use)")));
    }
}

void TMainForm::LogFileList(std::initializer_list<const std::string*> names) {
    for (const std::string* name : names) Log->AppendLineUnlimited(ToQt("  " + *name), ColourDarkGreen);
    Log->AppendLineUnlimited(QString(), ColourDarkGreen);
}

void TMainForm::CheckInputFiles(bool showDialog) {
    if (showDialog) {
        if (Running()) return;
        if (inputFiles_) RunModal(*inputFiles_);
    }
    const InputFileSet& in = Inputs;
    const bool inelastic = InelasticModelsInUse(Program.Options);
    const bool complete = IsExistingPlainFile(in.Projectile) && IsExistingPlainFile(in.Impact) &&
                          IsExistingPlainFile(in.Run) && IsExistingPlainFile(in.Target) &&
                          IsExistingPlainFile(in.Model) && (!inelastic || IsExistingPlainFile(in.Inelastic));
    // The tree shows the current names whether or not they make a job.
    ShowInputNames();
    if (complete) {
        runAllowed_ = beginAllowed_ = graphAllowed_ = graphItemAllowed_ = true;
        ApplyCommandStates();
        setWindowTitle(QStringLiteral("%1 (%2...)").arg(QString::fromLatin1(ApplicationTitle), FileNamePart(in.Target)));
        ShowStatusText(*this, IdleStatusText);
        if (inelastic) {
            LogFileList({&in.Projectile, &in.Target, &in.Run, &in.Model, &in.Impact, &in.Inelastic});
        } else {
            LogFileList({&in.Projectile, &in.Target, &in.Run, &in.Model, &in.Impact});
        }
    } else {
        runAllowed_ = beginAllowed_ = false;
        ApplyCommandStates();
        setWindowTitle(QString::fromLatin1(ApplicationTitle));
        ShowStatusText(*this, SpecifyInputsStatusText);
    }
}

void TMainForm::OutputFilesClick() {
    if (Running()) return;
    if (outputFiles_) RunModal(*outputFiles_);
    ShowOutputNames();
    LogFileList({&Outputs.InitialConditions, &Outputs.DynamicalVariables, &Outputs.InelasticEvents});
}

void TMainForm::SimulationClick() {
    if (Running()) return;
    if (options_ && RunModal(*options_) == QDialog::Accepted && options_->SaveOptionsChecked())
        SaveOptionsFile(Program);
    // The options decide whether the inelastic file is needed and which outputs are written.
    CheckInputFiles(false);
    RefreshTreeIcons();
}

void TMainForm::TreeDoubleClick(int node) {
    if (Running() || node < 0 || node >= NodeCount) return;
    FileRequest request;
    std::string* name = nullptr;
    if (node <= InelasticNode) {
        std::string* names[] = {&Inputs.Projectile, &Inputs.Target, &Inputs.Run,
                                &Inputs.Model,      &Inputs.Impact, &Inputs.Inelastic};
        name = names[node];
        const InputNodeChoice& choice = InputNodeChoices[node];
        request.Mode = FileRequest::Kind::OpenExisting;
        request.Title = QString::fromLatin1(choice.Title);
        request.Filter = InputNodeFilter();
        request.SelectedFilter = QString::fromLatin1(choice.Filter);
        request.InitialName = QString::fromLatin1(choice.Pattern);
    } else {
        std::string* names[] = {&Outputs.InitialConditions, &Outputs.DynamicalVariables, &Outputs.InelasticEvents};
        name = names[node - InitialNode];
        const bool events = node == EventsNode;
        request.Mode = FileRequest::Kind::Save;
        request.Title = QStringLiteral("Specify name of output file");
        request.Filter = OutputFilterVsk + QStringLiteral(";;") + OutputFilterDat;
        request.SelectedFilter = events ? OutputFilterDat : OutputFilterVsk;
        // A name typed without extension takes that of the filter shown.
        request.DefaultSuffix = events ? QStringLiteral("dat") : QStringLiteral("vsk");
        request.InitialName = ToQt(*name);
    }
    const QString chosen = services_.Ui.ChooseFile(this, request);
    if (!chosen.isEmpty()) {
        *name = CutName(chosen);
        SetNode(node, *name);
    }
    CheckInputFiles(false);
}

void TMainForm::DropFiles(const QStringList& files) {
    if (!Tree->AcceptingFiles() || files.isEmpty()) return;
    const QString file = files.first();
    const QString extension = QFileInfo(file).suffix().toUpper();
    const struct {
        const char* Extension;
        std::string* Name;
        Node Where;
    } roles[] = {
        {"PRJ", &Inputs.Projectile, ProjectileNode}, {"TRG", &Inputs.Target, TargetNode},
        {"RUN", &Inputs.Run, RunNode},               {"MDL", &Inputs.Model, ModelNode},
        {"IMP", &Inputs.Impact, ImpactNode},         {"INL", &Inputs.Inelastic, InelasticNode},
    };
    for (const auto& role : roles) {
        if (extension != QLatin1String(role.Extension)) continue;
        *role.Name = CutName(file);
        SetNode(role.Where, *role.Name);
        break;
    }
    CheckInputFiles(false);
}

// ---------------------------------------------------------------------------
// Log commands

void TMainForm::ShowGraphClick() {
    if (!graph_) return;
    graph_->show();
    graph_->raise();
    graph_->activateWindow();
}

void TMainForm::ClearLogClick() { Log->ClearLog(); }

void TMainForm::EditMenuOpening() {
    const bool selection = Log->textCursor().hasSelection();
    CutItem->setEnabled(selection);
    CopyItem->setEnabled(selection);
    DeleteItem->setEnabled(selection);
}

void TMainForm::SaveLogClick() {
    FileRequest request;
    request.Mode = FileRequest::Kind::Save;
    request.Title = QStringLiteral("Save File to Disk");
    request.Filter = QStringLiteral("Rich text format file (*.rtf);;Text file (*.txt);;Any file (*)");
    request.DefaultSuffix = QStringLiteral("rtf");
    request.InitialName = QStringLiteral("*.rtf");
    const QString chosen = services_.Ui.ChooseFile(this, request);
    if (chosen.isEmpty()) return;
    QString error;
    if (!Log->SaveToFile(chosen, error)) services_.Ui.ShowMessage(this, MessageKind::Error, error);
}

void TMainForm::LoadLogClick() {
    FileRequest request;
    request.Mode = FileRequest::Kind::OpenExisting;
    request.Title = QStringLiteral("Open File in Editor");
    request.Filter = QStringLiteral("Any file (*)");
    request.InitialName = QStringLiteral("*.*");
    const QString chosen = services_.Ui.ChooseFile(this, request);
    if (chosen.isEmpty()) return;
    QString error;
    bool truncated = false;
    if (!Log->LoadFromFile(chosen, error, truncated)) {
        services_.Ui.ShowMessage(this, MessageKind::Error, error);
        return;
    }
    if (truncated)
        services_.Ui.ShowMessage(this, MessageKind::Warning,
                                 QStringLiteral("%1 is longer than the log can hold: only its first %2 characters "
                                                "are shown.")
                                     .arg(chosen, QLocale::c().toString(LogView::MaxCharacters)));
}

void TMainForm::PrintLogClick() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QString());
    if (!services_.SetUpPrinter(this, printer)) return;
    Log->document()->print(&printer);
    if (printer.printerState() == QPrinter::Error)
        services_.Ui.ShowMessage(this, MessageKind::Error, QStringLiteral("Error printing the log."));
}

void TMainForm::FontClick() {
    if (const std::optional<QFont> font = services_.ChooseFont(this, Log->font())) Log->setFont(*font);
}

void TMainForm::PageColourClick() {
    QPalette palette = Log->palette();
    if (const std::optional<QColor> colour = services_.ChooseColour(this, palette.color(QPalette::Base))) {
        palette.setColor(QPalette::Base, *colour);
        Log->setPalette(palette);
    }
}

// ---------------------------------------------------------------------------
// Memory display

void TMainForm::ShowMemoryClick() {
    memoryDisplayOn_ = !memoryDisplayOn_;
    ShowMemoryItem->setChecked(memoryDisplayOn_);
    MemoryLabel->setVisible(memoryDisplayOn_);
}

void TMainForm::IdleRefresh() {
    if (!memoryDisplayOn_) return;
    const std::size_t bytes = services_.AllocatedBytes();
    if (memoryShown_ == bytes) return;
    MemoryLabel->setText(QString::number(bytes));
    memoryShown_ = bytes;
}

// ---------------------------------------------------------------------------
// Companion tools, help, about

bool TMainForm::StartFirstOf(const QStringList& candidates) {
    for (const QString& program : candidates)
        if (services_.StartProgram(program)) return true;
    return false;
}

void TMainForm::StartCompanionTool(const QString& path) {
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
    request.Filter = QStringLiteral("Executable files (*.EXE *.exe);;Any file (*)");
    request.InitialName = QStringLiteral("*.EXE");
#ifdef _WIN32
    request.DefaultSuffix = QStringLiteral("EXE");
#endif
    const QString chosen = services_.Ui.ChooseFile(this, request);
    if (chosen.isEmpty()) return;
    // Started where the user found it: the chooser does not move the current directory.
    if (!services_.StartProgram(chosen)) ShowError(*this, FromQt(QFileInfo(chosen).fileName()) + "was not found on your path.");
}

void TMainForm::KestrinClick() { StartCompanionTool(kestrinPath_); }

void TMainForm::BrackleClick() { StartCompanionTool(bracklePath_); }

void TMainForm::ShowHelpTopic(int topic) { services_.Ui.Help(topic); }

void TMainForm::OpenHelpBrowser(int topic) {
    if (!help_) help_ = new HelpBrowser(this);
    if (!help_->ShowTopic(topic))
        ShowError(*this, "Help topic " + IntegerText(topic) + " is not available: the help pages were not found.");
}

void TMainForm::IntroductionClick() { ShowHelpTopic(1); }

void TMainForm::AboutClick() {
    if (about_ && !Running()) RunModal(*about_);
}

// ---------------------------------------------------------------------------
// Closing, keys

void TMainForm::FinishPendingClose() {
    if (!closeAfterJob_ || Running()) return;
    closeAfterJob_ = false;
    closeConfirmed_ = true;
    close();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (!closeConfirmed_) {
        if (Running()) {
            // The job, or the batch with its remaining items, finishes first.
            if (Ask(QuestionBox::OkCancel, QString::fromLatin1(CloseWhileRunningText))) closeAfterJob_ = true;
            event->ignore();
            return;
        }
        if (!Ask(QuestionBox::OkCancel, QString::fromLatin1(CloseText))) {
            event->ignore();
            return;
        }
        closeConfirmed_ = true;
    }
    event->accept();
    if (graph_) graph_->hide();
    if (help_) help_->hide();
    emit Closed();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QMainWindow::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr) return false;
    const auto* key = static_cast<QKeyEvent*>(event);

    if (key->key() == Qt::Key_F1) {
        // Context help: the command under the cursor of an open menu, else the introduction.
        auto* menu = qobject_cast<QMenu*>(widget);
        if (menu == FileMenu || menu == EditMenu || menu == OptionsMenu || menu == HelpMenu) {
            QVariant topic = menu->activeAction() ? menu->activeAction()->property(HelpTopicProperty) : QVariant();
            if (!topic.isValid()) topic = menu->menuAction()->property(HelpTopicProperty);
            menu->close();
            ShowHelpTopic(topic.isValid() ? topic.toInt() : 1);
            return true;
        }
        if (widget->window() == this) {
            ShowHelpTopic(1);
            return true;
        }
        return false;
    }

    if (widget->window() != this) return false;
    // Ctrl-Break: the break key (Cancel on some keyboards, Ctrl+Pause on others).
    const bool ctrlBreak = key->key() == Qt::Key_Cancel ||
                           (key->key() == Qt::Key_Pause && (key->modifiers() & Qt::ControlModifier));
    if (ctrlBreak) {
        CancelClick();
        return true;
    }
    return false;
}

}  // namespace vantrel
