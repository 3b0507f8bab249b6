#include "ui/main_form.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include "core/number_text.h"
#include "core/options.h"
#include "io/file_names.h"
#include "job/log.h"
#include "ui/expression_error.h"
#include "ui/file_dialogs.h"
#include "ui/graph_window.h"
#include "ui/help_browser.h"
#include "ui/log_view.h"
#include "ui/options_dialog.h"
#include "ui/pictures.h"
#include "ui/project_tree.h"
#include "ui/results_window.h"
#include "ui/splash_about.h"

namespace vantrel {

namespace {

const char* const HelpTopicProperty = "helpTopic";

// The tree's tool tip of each file, in the order of the nodes.
constexpr const char* NodeRoles[FileRoleCount] = {
    "Projectile file",          "Target file",        "Run file",            "Model file",      "Impact file",
    "Inelastic parameter file", "Initial conditions", "Dynamical variables", "Inelastic events"};

}  // namespace

// ---------------------------------------------------------------------------
// Desktop services

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
    // Every box, the summary question included, stands centred on the
    // window that asks (the dialog's own placement over its parent).
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
    return services;
}

// ---------------------------------------------------------------------------
// The command table

const std::array<TMainForm::Command, TMainForm::CommandCount>& TMainForm::Commands() {
    using A = Availability;
    constexpr std::nullopt_t Menu = std::nullopt;
    static constexpr std::array<Command, CommandCount> table{{
        // Tool bar.
        {SpeedButton1, "SpeedButton1", "Begin simulation", "", 0, Place::ToolBar, false,
         CommandIcon::Begin, "Begin simulation", A::Begin, &TMainForm::SpeedButton1Click},
        {CancelButton, "CancelButton", "Cancel", "", 0, Place::ToolBar, false, CommandIcon::Cancel,
         CancelHint, A::WhenRunning, &TMainForm::CancelClick},
        {InputFilesButton, "InputFilesButton", "Specify input files", "", 0, Place::ToolBar, true,
         CommandIcon::InputFiles, "Specify input files", A::WhenIdle, &TMainForm::InputFilesClick},
        {GraphButton, "GraphButton", "Show graph window", "", 0, Place::ToolBar, false,
         CommandIcon::Graph, "Show graph window", A::GraphButton, &TMainForm::ShowGraphClick},
        {ClearLogButton, "ClearLogButton", "Clear log", "", 0, Place::ToolBar, false,
         CommandIcon::ClearLog, "Clear log", A::Always, &TMainForm::ClearLogClick},
        {StepButton, "StepButton", "Step", "", 0, Place::ToolBar, false, CommandIcon::Step,
         "Step (abandon this run, start next)", A::Step, &TMainForm::StepClick},
        {OutputFilesButton, "OutputFilesButton", "Specify output files", "", 0, Place::ToolBar, false,
         CommandIcon::OutputFiles, "Specify output files", A::WhenIdle,
         &TMainForm::OutputFilesClick},
        // "&File".
        {InputFilesItem, "InputFilesItem", "Specify &input files", "Ctrl+I", 110, Place::FileMenu, false, Menu,
         nullptr, A::WhenIdle, &TMainForm::InputFilesClick},
        {OutputFilesItem, "OutputFilesItem", "Specify &output files", "Ctrl+O", 120, Place::FileMenu, false, Menu,
         nullptr, A::WhenIdle, &TMainForm::OutputFilesClick},
        {Run1, "Run1", "&Run", "Ctrl+R", 130, Place::FileMenu, true, Menu, nullptr, A::Run, &TMainForm::Run1Click},
        {BatchRunItem, "BatchRunItem", "&Batch run", "Ctrl+B", 140, Place::FileMenu, false, Menu, nullptr, A::WhenIdle,
         &TMainForm::BatchRunClick},
        {SaveLogItem, "SaveLogItem", "S&ave log to file", "", 150, Place::FileMenu, true, Menu, nullptr, A::WhenIdle,
         &TMainForm::SaveLogClick},
        {LoadLogItem, "LoadLogItem", "&Load file into log", "", 160, Place::FileMenu, false, Menu, nullptr,
         A::WhenIdle, &TMainForm::LoadLogClick},
        {PrintLogItem, "PrintLogItem", "&Print log", "", 170, Place::FileMenu, false, Menu, nullptr, A::WhenIdle,
         &TMainForm::PrintLogClick},
        {GraphItem, "GraphItem", "&Graph window", "Ctrl+G", 180, Place::FileMenu, true, Menu, nullptr, A::GraphItem,
         &TMainForm::ShowGraphClick},
        {ResultsItem, "ResultsItem", "R&esults window", "Ctrl+E", 185, Place::FileMenu, false, Menu, nullptr,
         A::Always, &TMainForm::ResultsClick},
        {KestrinItem, "KestrinItem", "&Kestrin", "Ctrl+S", 194, Place::FileMenu, true, Menu, nullptr, A::WhenIdle,
         &TMainForm::KestrinClick},
        {BrackleItem, "BrackleItem", "&Brackle", "Ctrl+W", 195, Place::FileMenu, false, Menu, nullptr, A::WhenIdle,
         &TMainForm::BrackleClick},
        // "&Edit".
        // The log is read-only: the commands that would edit it stay in the
        // menu where users look for them, switched off.
        {UndoItem, "UndoItem", "&Undo", "", 200, Place::EditMenu, false, Menu, nullptr, A::Never,
         &TMainForm::UndoClick},
        {CutItem, "CutItem", "Cu&t", "Ctrl+X", 200, Place::EditMenu, true, Menu, nullptr, A::Never,
         &TMainForm::CutClick},
        {CopyItem, "CopyItem", "&Copy", "Ctrl+C", 200, Place::EditMenu, false, Menu, nullptr, A::Selection,
         &TMainForm::CopyClick},
        {PasteItem, "PasteItem", "&Paste", "Ctrl+V", 200, Place::EditMenu, false, Menu, nullptr, A::Never,
         &TMainForm::PasteClick},
        {DeleteItem, "DeleteItem", "&Delete", "Ctrl+Del", 200, Place::EditMenu, false, Menu, nullptr, A::Never,
         &TMainForm::DeleteClick},
        {SelectAllItem, "SelectAllItem", "&Select All", "", 200, Place::EditMenu, true, Menu, nullptr, A::Always,
         &TMainForm::SelectAllClick},
        // "&Options".
        {SimulationItem, "SimulationItem", "&Simulation", "Ctrl+Q", 310, Place::OptionsMenu, false, Menu, nullptr,
         A::WhenIdle, &TMainForm::SimulationClick},
        {ShowMemoryItem, "ShowMemoryItem", "Show &memory use", "Ctrl+M", 317, Place::OptionsMenu, false, Menu, nullptr,
         A::Always, &TMainForm::ShowMemoryClick},
        {FontItem, "FontItem", "&Font", "", 350, Place::OptionsMenu, true, Menu, nullptr, A::Always,
         &TMainForm::FontClick},
        {PageColourItem, "PageColourItem", "&Page colour", "", 360, Place::OptionsMenu, false, Menu, nullptr,
         A::Always, &TMainForm::PageColourClick},
        // "&Help".
        {IntroductionItem, "IntroductionItem", "&Introduction", "", 1, Place::HelpMenu, false, Menu, nullptr,
         A::Always, &TMainForm::IntroductionClick},
        {AboutItem, "AboutItem", "&About", "", 0, Place::HelpMenu, false, Menu, nullptr, A::WhenIdle,
         &TMainForm::AboutClick},
    }};
    static_assert(
        [] {
            for (std::size_t row = 0; row < table.size(); ++row)
                if (table[row].Id != static_cast<CommandId>(row)) return false;
            return true;
        }(),
        "the rows follow CommandId");
    return table;
}

// ---------------------------------------------------------------------------
// Creation

TMainForm::TMainForm(QWidget* splash) : QMainWindow(nullptr), splash_(splash) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(ApplicationTitle());
    setWindowIcon(ProgramIcon());
    services_ = DesktopServices();
    FillMissingServices();
    // The configuration file, the companion tools and the output names.
    controller_ = std::make_unique<JobController>(static_cast<JobPrompts&>(*this));

    BuildCommands();
    BuildToolBar();
    BuildPages();
    BuildStatusBar();
    ConnectController();

    // The memory display, off, refreshed whenever the event loop is about to wait.
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, controller_.get(), &JobController::IdleRefresh);

    // The splash window goes 1600 ms after this window's creation.
    splashTimer_ = new QTimer(this);
    splashTimer_->setObjectName(QStringLiteral("SplashTimer"));
    splashTimer_->setSingleShot(true);
    splashTimer_->setInterval(SplashDelayMs);
    connect(splashTimer_, &QTimer::timeout, this, [this] {
        if (splash_) splash_->close();
        splashTimer_->stop();
    });
    splashTimer_->start();

    // Panel colours.  The palette says it; the style sheet makes every
    // style paint it, tool bars included.
    for (QWidget* panel : {static_cast<QWidget*>(enableStepping_), static_cast<QWidget*>(memoryLabel_)}) {
        QPalette palette = panel->palette();
        palette.setColor(QPalette::Window, ToQColor(PanelColour));
        panel->setPalette(palette);
        panel->setAutoFillBackground(true);
    }
    enableStepping_->setStyleSheet(
        QStringLiteral("QCheckBox { background-color: %1; padding: 2px 6px; }").arg(ToQColor(PanelColour).name()));
    memoryLabel_->setStyleSheet(QStringLiteral("QLabel { background-color: %1; border: 1px inset gray; padding: 2px 6px; }")
                                    .arg(ToQColor(PanelColour).name()));

    // Files dropped on the project tree, double clicks on its nodes.
    connect(tree_, &ProjectTree::FilesDropped, controller_.get(), &JobController::DropFiles);
    connect(tree_, &ProjectTree::NodeDoubleClicked, this, [this](int node) {
        if (node >= 0 && node < FileRoleCount) controller_->ChooseFileOf(static_cast<FileRole>(node));
    });

    ShowProject();
    ShowState(JobState::Idle);
    // Ctrl-Break and F1 are seen before the controls see them.
    qApp->installEventFilter(this);
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen != nullptr)
        setGeometry(FirstWindowPlacement(screen->availableGeometry()).Main);
    else
        resize(760, 560);
}

TMainForm::~TMainForm() {
    // The controller's signals reach this window's controls; none may come
    // while they are being destroyed.
    controller_->disconnect(this);
}

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

void TMainForm::BuildCommands() {
    const struct {
        Place Where;
        const char* Name;
        const char* Caption;
        int HelpTopic;  // 0: none
        QMenu** Menu;
    } menus[] = {{Place::FileMenu, "FileMenu", "&File", 0, &fileMenu_},
                 {Place::EditMenu, "EditMenu", "&Edit", 200, &editMenu_},
                 {Place::OptionsMenu, "OptionsMenu", "&Options", 300, &optionsMenu_},
                 {Place::HelpMenu, "HelpMenu", "&Help", 1, &helpMenu_}};
    for (const auto& m : menus) {
        *m.Menu = menuBar()->addMenu(QString::fromLatin1(m.Caption));
        (*m.Menu)->setObjectName(QString::fromLatin1(m.Name));
        if (m.HelpTopic != 0) (*m.Menu)->menuAction()->setProperty(HelpTopicProperty, m.HelpTopic);
    }
    for (const Command& command : Commands()) {
        QAction* action = nullptr;
        if (command.Icon) {
            action = new QAction(CommandBarIcon(*command.Icon), QString::fromLatin1(command.Caption), this);
            action->setToolTip(QString::fromLatin1(command.Hint));
        } else {
            action = new QAction(QString::fromLatin1(command.Caption), this);
        }
        action->setObjectName(QString::fromLatin1(command.Name));
        if (*command.Shortcut) action->setShortcut(QKeySequence(QString::fromLatin1(command.Shortcut)));
        if (command.HelpTopic != 0) action->setProperty(HelpTopicProperty, command.HelpTopic);
        connect(action, &QAction::triggered, this, command.Handler);
        actions_[command.Id] = action;
        for (const auto& m : menus) {
            if (m.Where != command.Where) continue;
            if (command.SeparatorBefore) (*m.Menu)->addSeparator();
            (*m.Menu)->addAction(action);
        }
    }
    actions_[ShowMemoryItem]->setCheckable(true);
    connect(editMenu_, &QMenu::aboutToShow, this, &TMainForm::EditMenuOpening);

    // The jobs the program remembers, filled when the menu opens.
    recentJobsMenu_ = new QMenu(QStringLiteral("Recent &jobs"), fileMenu_);
    recentJobsMenu_->setObjectName(QStringLiteral("RecentJobsMenu"));
    fileMenu_->insertMenu(actions_[BatchRunItem], recentJobsMenu_);
    connect(recentJobsMenu_, &QMenu::aboutToShow, this, &TMainForm::FillRecentJobsMenu);
}

void TMainForm::BuildToolBar() {
    tools_ = addToolBar(QStringLiteral("Commands"));
    tools_->setObjectName(QStringLiteral("Commands"));
    tools_->setMovable(false);
    tools_->setIconSize(QSize(24, 24));
    for (const Command& command : Commands()) {
        if (command.Where != Place::ToolBar) continue;
        if (command.SeparatorBefore) tools_->addSeparator();
        tools_->addAction(actions_[command.Id]);
    }
    tools_->addSeparator();

    auto* panel = new QWidget(tools_);
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(4, 0, 4, 0);
    layout->setSpacing(8);
    enableStepping_ = new QCheckBox(QStringLiteral("Enable stepping"), panel);
    enableStepping_->setObjectName(QStringLiteral("EnableStepping"));
    memoryLabel_ = new QLabel(panel);
    memoryLabel_->setObjectName(QStringLiteral("MemoryLabel"));
    memoryLabel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    memoryLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    memoryLabel_->setMinimumWidth(memoryLabel_->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) + 8);
    memoryLabel_->setToolTip(QStringLiteral("Bytes allocated"));
    memoryLabel_->hide();
    layout->addWidget(enableStepping_);
    layout->addWidget(memoryLabel_);
    tools_->addWidget(panel);
}

void TMainForm::BuildPages() {
    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("Pages"));

    projectPage_ = new QWidget(pages_);
    projectPage_->setObjectName(QStringLiteral("ProjectPage"));
    tree_ = new ProjectTree(projectPage_);
    tree_->setObjectName(QStringLiteral("Tree"));
    tree_->setHeaderLabel(QStringLiteral("   Files in project"));
    for (int node = 0; node < FileRoleCount; ++node) new QTreeWidgetItem(tree_);
    auto* projectLayout = new QVBoxLayout(projectPage_);
    projectLayout->setContentsMargins(4, 4, 4, 4);
    projectLayout->addWidget(tree_);

    logPage_ = new QWidget(pages_);
    logPage_->setObjectName(QStringLiteral("LogPage"));
    log_ = new LogView(logPage_);
    log_->setObjectName(QStringLiteral("Log"));
    auto* logLayout = new QVBoxLayout(logPage_);
    logLayout->setContentsMargins(0, 0, 0, 0);
    logLayout->addWidget(log_);
    connect(log_, &QTextEdit::copyAvailable, this, [this](bool) { EditMenuOpening(); });

    pages_->addTab(projectPage_, QStringLiteral("Project"));
    pages_->addTab(logPage_, QStringLiteral("Log"));
    pages_->setCurrentWidget(projectPage_);
    setCentralWidget(pages_);
}

void TMainForm::BuildStatusBar() {
    statusField_ = new QLabel(QString::fromLatin1(SpecifyInputsStatusText), this);
    statusField_->setObjectName(QStringLiteral("StatusField"));
    statusBar()->addWidget(statusField_, 1);
    progressField_ = new QLabel(this);
    progressField_->setObjectName(QStringLiteral("ProgressField"));
    statusBar()->addPermanentWidget(progressField_);
}

void TMainForm::ConnectController() {
    JobController* c = controller_.get();
    connect(c, &JobController::LogLineAppended, this, [this](const QString& text, LogColour colour) {
        log_->AppendLine(text, colour, controller_->Program().Options.LogBufferLines);
    });
    connect(c, &JobController::FileListLogged, this, &TMainForm::AppendFileList);
    connect(c, &JobController::StatusTextChanged, statusField_, &QLabel::setText);
    connect(c, &JobController::ProgressChanged, progressField_, &QLabel::setText);
    connect(c, &JobController::InputsComplete, this, &TMainForm::RememberCurrentJob);
    connect(c, &JobController::JobBegun, this, [this] {
        RememberCurrentJob();
        if (graph_) graph_->BeginJob();
    });
    connect(c, &JobController::JobEnded, this, [this] {
        if (graph_) graph_->EndJob();
    });
    connect(c, &JobController::CaptionChanged, this, &QWidget::setWindowTitle);
    connect(c, &JobController::PlotUpdated, this, [this](const PlotSnapshot& snapshot) {
        if (graph_) graph_->PlotUpdate(snapshot);
    });
    connect(c, &JobController::PlotResetRequested, this, [this] {
        if (graph_) graph_->PlotReset();
    });
    connect(c, &JobController::StateChanged, this, &TMainForm::ShowState);
    connect(c, &JobController::CommandsChanged, this, &TMainForm::ApplyCommandStates);
    connect(c, &JobController::ProjectChanged, this, &TMainForm::ShowProject);
    connect(c, &JobController::MemoryDisplayToggled, this, &TMainForm::ShowMemoryDisplay);
    connect(c, &JobController::MemoryFigureChanged, this, [this](const QString& figure, const QString& detail) {
        memoryLabel_->setText(figure);
        memoryLabel_->setToolTip(detail);
    });
    connect(c, &JobController::CloseNow, this, &QWidget::close);
    connect(c, &JobController::RunResultsWritten, this, [this] {
        if (results_ && results_->isVisible())
            results_->ShowTables(ToQt(controller_->Outputs().Results), ToQt(controller_->Outputs().Sputtered));
    });
}

// ---------------------------------------------------------------------------
// What the controller shows

void TMainForm::ApplyCommandStates() {
    CommandFacts facts;
    facts.State = controller_->State();
    facts.Permits = controller_->Permits();
    facts.Stepping = enableStepping_->isChecked();
    facts.Selection = log_->textCursor().hasSelection();
    for (const Command& command : Commands()) actions_[command.Id]->setEnabled(CommandEnabled(command.Enabled, facts));
    // The File menu stays open while a job runs, for the graph window; its
    // other commands are switched off one by one.
    recentJobsMenu_->menuAction()->setEnabled(CommandEnabled(Availability::WhenIdle, facts));
    enableStepping_->setEnabled(CommandEnabled(Availability::WhenIdle, facts));
}

void TMainForm::ShowState(JobState state) {
    tree_->SetAcceptingFiles(state == JobState::Idle);
    QAction* cancel = actions_[CancelButton];
    if (state == JobState::Running) {
        pages_->setCurrentWidget(logPage_);
        log_->setFocus();
    } else if (state == JobState::BatchItem) {
        cancel->setToolTip(QString::fromLatin1(BatchCancelHint));
        pages_->setCurrentWidget(logPage_);
    } else if (shownState_ == JobState::BatchItem) {
        // After a batch item the button keeps this hint.
        cancel->setToolTip(QString::fromLatin1(HaltHint));
    }
    shownState_ = state;
    ApplyCommandStates();
}

void TMainForm::ShowProject() {
    for (int node = 0; node < FileRoleCount; ++node) {
        const auto role = static_cast<FileRole>(node);
        const bool inUse = controller_->FileInUse(role);
        QTreeWidgetItem* item = tree_->topLevelItem(node);
        item->setText(0, ToQt(controller_->FileName(role)));
        item->setIcon(0, ProjectFileIcon(inUse));
        item->setData(0, Qt::UserRole, inUse);
        item->setToolTip(0, QString::fromLatin1(NodeRoles[node]) + (inUse ? QString() : QStringLiteral(" (not in use)")));
    }
}

void TMainForm::ShowMemoryDisplay(bool on) {
    actions_[ShowMemoryItem]->setChecked(on);
    memoryLabel_->setVisible(on);
}

void TMainForm::AppendFileList(const QStringList& lines) {
    for (const QString& line : lines) log_->AppendLineUnlimited(line, ColourDarkGreen);
}

// ---------------------------------------------------------------------------
// JobPrompts

bool TMainForm::Ask(QuestionBox box, const QString& text) { return services_.Ask(this, box, text); }

void TMainForm::Tell(MessageKind kind, const QString& text) { services_.Ui.ShowMessage(this, kind, text); }

QString TMainForm::ChooseFile(const FileRequest& request) { return services_.Ui.ChooseFile(this, request); }

void TMainForm::ShowExpressionError(const QString& message) { services_.ShowExpressionError(this, message); }

void TMainForm::Beep() { services_.Ui.Beep(); }

int TMainForm::RunModal(QDialog& dialog) { return services_.RunDialog(dialog); }

// ---------------------------------------------------------------------------
// Jobs, files and options

void TMainForm::SpeedButton1Click() { controller_->BeginSimulation(); }

void TMainForm::Run1Click() { controller_->BeginSimulation(); }

void TMainForm::CancelClick() { controller_->RequestAbort(); }

void TMainForm::StepClick() { controller_->StepRun(); }

void TMainForm::BatchRunClick() { controller_->BatchRun(); }

void TMainForm::InputFilesClick() {
    if (controller_->Busy()) return;
    if (inputFiles_) {
        inputFiles_->Load(controller_->Inputs(), InelasticModelsInUse(controller_->Program().Options));
        if (RunModal(*inputFiles_) == QDialog::Accepted) controller_->SetInputs(inputFiles_->Files());
    }
    controller_->CheckInputFiles();
}

void TMainForm::OutputFilesClick() {
    if (controller_->Busy()) return;
    if (outputFiles_) {
        outputFiles_->Load(controller_->Outputs());
        if (RunModal(*outputFiles_) == QDialog::Accepted) controller_->SetOutputs(outputFiles_->Files());
    }
    controller_->ListOutputFiles();
}

void TMainForm::SimulationClick() {
    if (controller_->Busy()) return;
    const bool save = options_ && RunModal(*options_) == QDialog::Accepted && options_->SaveOptionsChecked();
    controller_->OptionsClosed(save);
}

void TMainForm::ShowGraphClick() {
    if (!graph_) return;
    // The first time beside this window, not over it.
    if (!graphPlaced_ && !graph_->isVisible()) {
        const QScreen* screen = this->screen();
        if (screen)
            graph_->setGeometry(PlaceBeside(frameGeometry(), graph_->size(), screen->availableGeometry()));
        graphPlaced_ = true;
    }
    // Shown without taking the keyboard: the next shortcut (Ctrl+R) still
    // reaches this window.
    graph_->show();
    graph_->raise();
    activateWindow();
}

void TMainForm::RememberCurrentJob() {
    settings_.RememberJob(RecentJob{controller_->Inputs(), controller_->Outputs()});
}

void TMainForm::FillRecentJobsMenu() {
    recentJobsMenu_->clear();
    int n = 0;
    for (const RecentJob& job : settings_.RecentJobs()) {
        const QFileInfo projectile(ToQt(job.Inputs.Projectile));
        QAction* action = recentJobsMenu_->addAction(
            QStringLiteral("&%1 %2  (%3)").arg(++n).arg(projectile.fileName(), projectile.absolutePath()));
        action->setObjectName(QStringLiteral("RecentJob%1").arg(n));
        connect(action, &QAction::triggered, this, [this, job] { OpenRecentJob(job); });
    }
    if (n == 0) recentJobsMenu_->addAction(QStringLiteral("(none yet)"))->setEnabled(false);
}

void TMainForm::OpenRecentJob(const RecentJob& job) {
    if (controller_->Busy()) return;
    controller_->SetInputs(job.Inputs);
    controller_->SetOutputs(job.Outputs);
    controller_->CheckInputFiles();
}

void TMainForm::RestoreSession() {
    const QByteArray main = settings_.Geometry(QStringLiteral("Main"));
    if (!main.isEmpty()) restoreGeometry(main);
    const QByteArray graph = settings_.Geometry(QStringLiteral("Graph"));
    if (graph_ && !graph.isEmpty()) {
        graph_->restoreGeometry(graph);
        graphPlaced_ = true;
    }
    const std::vector<RecentJob> jobs = settings_.RecentJobs();
    if (!jobs.empty() && IsExistingPlainFile(jobs.front().Inputs.Projectile)) OpenRecentJob(jobs.front());
}

void TMainForm::ResultsClick() {
    if (!results_) {
        results_ = new TResultsWindow(this);
        results_->SetServices(services_.Ui);
    }
    const QString table = ToQt(controller_->Outputs().Results);
    if (QFileInfo(table).isFile() && results_->ResultsTable().isEmpty())
        results_->ShowTables(table, ToQt(controller_->Outputs().Sputtered));
    results_->show();
    results_->raise();
    results_->activateWindow();
}

void TMainForm::KestrinClick() { controller_->StartKestrin(); }

void TMainForm::BrackleClick() { controller_->StartBrackle(); }

void TMainForm::ShowMemoryClick() { controller_->ToggleMemoryDisplay(); }

// ---------------------------------------------------------------------------
// Log commands

void TMainForm::ClearLogClick() { log_->ClearLog(); }

void TMainForm::UndoClick() { log_->undo(); }

void TMainForm::CutClick() { log_->cut(); }

void TMainForm::CopyClick() { log_->copy(); }

void TMainForm::PasteClick() { log_->paste(); }

void TMainForm::DeleteClick() {
    QTextCursor cursor = log_->textCursor();
    cursor.removeSelectedText();
    log_->setTextCursor(cursor);
}

void TMainForm::SelectAllClick() { log_->selectAll(); }

void TMainForm::EditMenuOpening() {
    CommandFacts facts;
    facts.Selection = log_->textCursor().hasSelection();
    for (CommandId id : {CutItem, CopyItem, DeleteItem})
        actions_[id]->setEnabled(CommandEnabled(Commands()[id].Enabled, facts));
}

void TMainForm::SaveLogClick() {
    FileRequest request;
    request.Mode = FileRequest::Kind::Save;
    request.Title = QStringLiteral("Save File to Disk");
    request.Filter = QStringLiteral("Rich text format file (*.rtf);;Text file (*.txt);;Any file (*)");
    request.DefaultSuffix = QStringLiteral("rtf");
    request.InitialName = QStringLiteral("*.rtf");
    const QString chosen = ChooseFile(request);
    if (chosen.isEmpty()) return;
    QString error;
    if (!log_->SaveToFile(chosen, error)) Tell(MessageKind::Error, error);
}

void TMainForm::LoadLogClick() {
    FileRequest request;
    request.Mode = FileRequest::Kind::OpenExisting;
    request.Title = QStringLiteral("Open File in Editor");
    request.Filter = QStringLiteral("Any file (*)");
    request.InitialName = QStringLiteral("*.*");
    const QString chosen = ChooseFile(request);
    if (chosen.isEmpty()) return;
    QString error;
    bool truncated = false;
    if (!log_->LoadFromFile(chosen, error, truncated)) {
        Tell(MessageKind::Error, error);
        return;
    }
    if (truncated)
        Tell(MessageKind::Warning, QStringLiteral("%1 is longer than the log can hold: only its first %2 characters "
                                                  "are shown.")
                                       .arg(chosen, QLocale::c().toString(LogView::MaxCharacters)));
}

void TMainForm::PrintLogClick() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QString());
    if (!services_.SetUpPrinter(this, printer)) return;
    log_->document()->print(&printer);
    if (printer.printerState() == QPrinter::Error) Tell(MessageKind::Error, QStringLiteral("Error printing the log."));
}

void TMainForm::FontClick() {
    if (const std::optional<QFont> font = services_.ChooseFont(this, log_->font())) log_->setFont(*font);
}

void TMainForm::PageColourClick() {
    if (const std::optional<QColor> colour = services_.ChooseColour(this, log_->PageColour()))
        log_->SetPageColour(*colour);
}

// ---------------------------------------------------------------------------
// Help, about

void TMainForm::ShowHelpTopic(int topic) { services_.Ui.Help(topic); }

void TMainForm::OpenHelpBrowser(int topic) {
    if (!help_) help_ = new HelpBrowser(this);
    // Help asked for from a modal dialog belongs to that dialog: a window of
    // its own stands above it and takes input while the dialog waits.
    QWidget* owner = QApplication::activeModalWidget();
    if (owner == nullptr || owner->window() == this) owner = this;
    if (help_->parentWidget() != owner) {
        help_->hide();
        help_->setParent(owner, help_->windowFlags() | Qt::Window);
        // Beside the window it belongs to, so both can be read.
        if (const QScreen* screen = owner->screen())
            help_->move(PlaceBeside(owner->frameGeometry(), help_->frameGeometry().size(), screen->availableGeometry())
                            .topLeft());
    }
    if (!help_->ShowTopic(topic))
        ShowError(*controller_, "Help topic " + IntegerText(topic) + " is not available: the help pages were not found.");
}

void TMainForm::IntroductionClick() { ShowHelpTopic(1); }

void TMainForm::AboutClick() {
    if (about_ && !controller_->Busy()) RunModal(*about_);
}

// ---------------------------------------------------------------------------
// Closing, keys

void TMainForm::closeEvent(QCloseEvent* event) {
    if (!controller_->CloseRequested()) {
        event->ignore();
        return;
    }
    event->accept();
    settings_.SetGeometry(QStringLiteral("Main"), saveGeometry());
    if (graph_ && graphPlaced_) settings_.SetGeometry(QStringLiteral("Graph"), graph_->saveGeometry());
    if (graph_) graph_->hide();
    if (help_) help_->hide();
    if (results_) results_->hide();
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
        if (menu == fileMenu_ || menu == editMenu_ || menu == optionsMenu_ || menu == helpMenu_) {
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
