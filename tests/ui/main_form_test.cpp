// The main window: its commands as the table builds them and the state
// enables them, what it shows of its controller, the dialogs it opens, the
// tree, the keys it sees first, the log commands and closing.  The job
// logic itself is the controller's (job_controller_test.cpp).
#include "ui/main_form.h"

#include <cstdlib>
#include <filesystem>

#include <QApplication>
#include <QCheckBox>
#include <QDropEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include <gtest/gtest.h>

#include "core/options.h"
#include "job/log.h"
#include "job/run_driver.h"
#include "tests/support/recording_ui.h"
#include "tests/support/test_job.h"
#include "tests/ui/main_form_fixture.h"
#include "ui/file_dialogs.h"
#include "ui/graph_window.h"
#include "ui/help_browser.h"
#include "ui/options_dialog.h"
#include "ui/project_tree.h"
#include "ui/splash_about.h"

namespace vantrel {
namespace {

using testing::JobFiles;
using testing::MainFormFixture;
using testing::ReadFileBytes;
using testing::ReplaceLine;
using testing::TempDir;

JobFiles TwoRunJob() {
    JobFiles job;
    job.Impacts = {"0.3 0.4 3.0", "0.5 0.2 3.0"};
    return job;
}

// Every command: where it sits, what it shows, and whether it is enabled at
// start, once the input files are complete, and while a job runs with
// "Enable stepping" off and on.
struct CommandRow {
    const char* Name;
    const char* Container;  // the menu's or the tool bar's object name
    const char* Caption;
    const char* Shortcut;
    int Topic;
    const char* Hint;  // tool buttons only
    bool AtStart, Ready, Running, RunningStepping;
};

const CommandRow CommandRows[] = {
    {"SpeedButton1", "Commands", "Begin simulation", "", 0, "Begin simulation", false, true, false, false},
    {"CancelButton", "Commands", "Cancel", "", 0, "Abort simulation (Ctrl-Break)", false, false, true, true},
    {"InputFilesButton", "Commands", "Specify input files", "", 0, "Specify input files", true, true, false, false},
    {"GraphButton", "Commands", "Show graph window", "", 0, "Show graph window", false, true, true, true},
    {"ClearLogButton", "Commands", "Clear log", "", 0, "Clear log", true, true, true, true},
    {"StepButton", "Commands", "Step", "", 0, "Step (abandon this run, start next)", false, false, false, true},
    {"OutputFilesButton", "Commands", "Specify output files", "", 0, "Specify output files", true, true, false, false},
    {"InputFilesItem", "FileMenu", "Specify &input files", "Ctrl+I", 110, nullptr, true, true, false, false},
    {"OutputFilesItem", "FileMenu", "Specify &output files", "Ctrl+O", 120, nullptr, true, true, false, false},
    {"Run1", "FileMenu", "&Run", "Ctrl+R", 130, nullptr, false, true, false, false},
    {"BatchRunItem", "FileMenu", "&Batch run", "Ctrl+B", 140, nullptr, true, true, false, false},
    {"SaveLogItem", "FileMenu", "S&ave log to file", "", 150, nullptr, true, true, false, false},
    {"LoadLogItem", "FileMenu", "&Load file into log", "", 160, nullptr, true, true, false, false},
    {"PrintLogItem", "FileMenu", "&Print log", "", 170, nullptr, true, true, false, false},
    {"GraphItem", "FileMenu", "&Graph window", "Ctrl+G", 180, nullptr, false, true, true, true},
    {"ResultsItem", "FileMenu", "R&esults window", "Ctrl+E", 185, nullptr, true, true, true, true},
    {"KestrinItem", "FileMenu", "&Kestrin", "Ctrl+S", 194, nullptr, true, true, false, false},
    {"BrackleItem", "FileMenu", "&Brackle", "Ctrl+W", 195, nullptr, true, true, false, false},
    {"UndoItem", "EditMenu", "&Undo", "", 200, nullptr, false, false, false, false},  // the log is read-only
    {"CutItem", "EditMenu", "Cu&t", "Ctrl+X", 200, nullptr, false, false, false, false},
    {"CopyItem", "EditMenu", "&Copy", "Ctrl+C", 200, nullptr, false, false, false, false},
    {"PasteItem", "EditMenu", "&Paste", "Ctrl+V", 200, nullptr, false, false, false, false},
    {"DeleteItem", "EditMenu", "&Delete", "Ctrl+Del", 200, nullptr, false, false, false, false},
    {"SelectAllItem", "EditMenu", "&Select All", "", 200, nullptr, true, true, true, true},
    {"SimulationItem", "OptionsMenu", "&Simulation", "Ctrl+Q", 310, nullptr, true, true, false, false},
    {"ShowMemoryItem", "OptionsMenu", "Show &memory use", "Ctrl+M", 317, nullptr, true, true, true, true},
    {"FontItem", "OptionsMenu", "&Font", "", 350, nullptr, true, true, true, true},
    {"PageColourItem", "OptionsMenu", "&Page colour", "", 360, nullptr, true, true, true, true},
    {"IntroductionItem", "HelpMenu", "&Introduction", "", 1, nullptr, true, true, true, true},
    {"AboutItem", "HelpMenu", "&About", "", 0, nullptr, true, true, false, false},
};

// The enabling of every row, then of the recent jobs and "Enable stepping"
// (the File menu itself stays open, for the graph window during a run).
std::vector<bool> Enabling(MainFormFixture& f) {
    std::vector<bool> states;
    for (const CommandRow& row : CommandRows) states.push_back(f.Action(row.Name)->isEnabled());
    states.push_back(f.Find<QMenu>("RecentJobsMenu")->menuAction()->isEnabled());
    states.push_back(f.Find<QCheckBox>("EnableStepping")->isEnabled());
    EXPECT_TRUE(f.Find<QMenu>("FileMenu")->menuAction()->isEnabled());
    return states;
}

std::vector<bool> Expected(bool CommandRow::*column, bool idle) {
    std::vector<bool> states;
    for (const CommandRow& row : CommandRows) states.push_back(row.*column);
    states.push_back(idle);
    states.push_back(idle);
    return states;
}

TEST(TMainForm, CommandTableBuildsEveryCommandWithItsPlaceCaptionShortcutTopicAndEnabling) {
    MainFormFixture f;
    QList<QAction*> bar = f.Form().menuBar()->actions();
    ASSERT_EQ(bar.size(), 4);
    const char* menus[][3] = {{"FileMenu", "&File", "0"}, {"EditMenu", "&Edit", "200"},
                              {"OptionsMenu", "&Options", "300"}, {"HelpMenu", "&Help", "1"}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(bar[i], f.Find<QMenu>(menus[i][0])->menuAction());
        EXPECT_EQ(bar[i]->text(), menus[i][1]);
        EXPECT_EQ(bar[i]->property("helpTopic").toInt(), std::atoi(menus[i][2]));
    }
    const char* container = "";
    int previous = -1;
    for (const CommandRow& row : CommandRows) {
        QAction* action = f.Action(row.Name);
        ASSERT_NE(action, nullptr);
        if (std::string(container) != row.Container) container = row.Container, previous = -1;
        QWidget* holder = f.Find<QWidget>(row.Container);
        const int at = holder->actions().indexOf(action);
        EXPECT_GT(at, previous) << row.Name << " in " << row.Container << ", in order";
        previous = at;
        EXPECT_EQ(action->text(), row.Caption);
        EXPECT_EQ(action->shortcut().toString(), row.Shortcut) << row.Name;
        EXPECT_EQ(action->property("helpTopic").toInt(), row.Topic) << row.Name;
        if (row.Hint) {
            EXPECT_EQ(action->toolTip(), row.Hint);
        }
        if (row.Topic != 0) {
            EXPECT_FALSE(HelpTopicFile(row.Topic).isEmpty()) << "page of topic " << row.Topic;
        }
    }
    EXPECT_TRUE(f.Action("ShowMemoryItem")->isCheckable());

    EXPECT_EQ(Enabling(f), Expected(&CommandRow::AtStart, true));
    f.WriteJob(TwoRunJob());
    EXPECT_EQ(Enabling(f), Expected(&CommandRow::Ready, true));
    for (const bool stepping : {false, true}) {
        f.Find<QCheckBox>("EnableStepping")->setChecked(stepping);
        std::vector<bool> during;
        f.During = [&] {
            if (during.empty()) during = Enabling(f);
        };
        f.Action("SpeedButton1")->trigger();
        EXPECT_EQ(during, Expected(stepping ? &CommandRow::RunningStepping : &CommandRow::Running, false));
        EXPECT_EQ(Enabling(f), Expected(&CommandRow::Ready, true)) << "back to idle";
    }
}

TEST(TMainForm, EveryHelpTopicOfTheDialogsHasAPage) {
    for (int topic : {1, 300, TFileDialog::HelpContext, TOutfileDlg::HelpContext, TOptionsDlg::HelpContext,
                      TGraph::HelpContext}) {
        const QString file = HelpTopicFile(topic);
        ASSERT_FALSE(file.isEmpty()) << topic;
        QFile page(file);
        ASSERT_TRUE(page.open(QIODevice::ReadOnly)) << topic;
        const QByteArray text = page.readAll();
        EXPECT_TRUE(text.startsWith("# ")) << topic << " opens with a title";
        EXPECT_GT(text.size(), 200) << topic;
    }
    EXPECT_TRUE(HelpTopicFile(4242).isEmpty());
}

TEST(TMainForm, StartsWithItsCaptionsPagesTreeLogAndColouredPanel) {
    MainFormFixture f;
    TMainForm& form = f.Form();
    EXPECT_EQ(form.windowTitle(), "Vantrel 1.0");
    EXPECT_EQ(f.Find<QLabel>("StatusField")->text(), "Specify input files");
    auto* pages = f.Find<QTabWidget>("Pages");
    ASSERT_EQ(pages->count(), 2);
    EXPECT_EQ(pages->tabText(0), "Project");
    EXPECT_EQ(pages->tabText(1), "Log");
    EXPECT_EQ(pages->currentWidget(), f.Find<QWidget>("ProjectPage"));
    auto* tree = f.Find<ProjectTree>("Tree");
    EXPECT_EQ(tree->headerItem()->text(0), "   Files in project");
    EXPECT_EQ(tree->editTriggers(), QAbstractItemView::NoEditTriggers);
    ASSERT_EQ(tree->topLevelItemCount(), FileRoleCount);
    for (int node = 0; node < FileRoleCount; ++node)
        EXPECT_EQ(tree->topLevelItem(node)->text(0), ToQt(f.Controller().FileName(static_cast<FileRole>(node))));
    EXPECT_TRUE(tree->AcceptingFiles());

    EXPECT_EQ(f.LogTexts(), std::vector<std::string>{"   "});
    EXPECT_EQ(f.Log().lineWrapMode(), QTextEdit::NoWrap);
    EXPECT_EQ(f.Log().horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(f.Log().verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_TRUE(f.Log().isReadOnly());

    auto* stepping = f.Find<QCheckBox>("EnableStepping");
    auto* memory = f.Find<QLabel>("MemoryLabel");
    EXPECT_EQ(stepping->text(), "Enable stepping");
    EXPECT_FALSE(stepping->isChecked());
    EXPECT_FALSE(memory->isVisibleTo(&form));
    EXPECT_NE(memory->frameShape(), QFrame::NoFrame);
    for (QWidget* panel : {static_cast<QWidget*>(stepping), static_cast<QWidget*>(memory)}) {
        EXPECT_TRUE(panel->autoFillBackground());
        EXPECT_EQ(panel->palette().color(QPalette::Window), QColor(72, 219, 145));
    }
}

TEST(TMainForm, ShowsTheControllersCaptionStatusTreeIconsAndFileLists) {
    MainFormFixture f;
    const InputFileSet files = f.WriteJob();
    EXPECT_EQ(f.Form().windowTitle(), "Vantrel 1.0 (job.trg...)");
    EXPECT_EQ(f.Find<QLabel>("StatusField")->text(), "Ready to run");
    auto* tree = f.Find<ProjectTree>("Tree");
    EXPECT_EQ(tree->topLevelItem(2)->text(0), ToQt(files.Run));
    EXPECT_EQ(tree->topLevelItem(7)->text(0), ToQt(f.Controller().Outputs().DynamicalVariables));
    EXPECT_EQ(f.ColouredLog(), (std::vector<std::string>{"black|   ", "darkgreen|  " + files.Projectile,
                                                         "darkgreen|  " + files.Target, "darkgreen|  " + files.Run,
                                                         "darkgreen|  " + files.Model, "darkgreen|  " + files.Impact,
                                                         "black|"}));
    // The buffer rule of the engine's lines takes its limit from the options;
    // the file lists are outside it.
    f.Controller().Program().Options.LogBufferLines = 2;
    LogLine(f.Controller(), "next", ColourBlue);
    EXPECT_EQ(f.ColouredLog(), std::vector<std::string>{"blue|next"});

    const bool inUse[] = {true, true, true, true, true, false, false, true, false};
    for (int node = 0; node < FileRoleCount; ++node)
        EXPECT_EQ(tree->topLevelItem(node)->data(0, Qt::UserRole).toBool(), inUse[node]) << node;
    EXPECT_EQ(tree->topLevelItem(6)->toolTip(0), "Initial conditions (not in use)");
    EXPECT_EQ(tree->topLevelItem(7)->toolTip(0), "Dynamical variables");
}

TEST(TMainForm, InputFileDialogShowsTheCurrentNamesAndOnlyOkTakesItsChoice) {
    for (const bool ok : {true, false}) {
        MainFormFixture f;
        const InputFileSet files = JobFiles{}.Write(f.dir);
        f.OnDialog = [&](QDialog& dialog) {
            EXPECT_EQ(&dialog, f.windows.FileDialog.get());
            if (f.ModalDialogs.size() == 1) {
                EXPECT_EQ(dialog.findChild<QLineEdit*>("FileField1")->text(), "*.trg") << "the current names";
            }
            EXPECT_FALSE(dialog.findChild<QPushButton*>("SelectButton5")->isEnabled()) << "no inelastic model";
            f.recorder.ChooserAnswers.push_back(ToQt(files.Projectile));
            dialog.findChild<QPushButton*>("SelectButton0")->click();  // fills in the companions
            dialog.findChild<QPushButton*>(ok ? "OkButton" : "CancelButton")->click();
            return dialog.result();
        };
        f.Action("InputFilesButton")->trigger();
        ASSERT_EQ(f.ModalDialogs.size(), 1u);
        EXPECT_EQ(f.Controller().Inputs().Model, ok ? files.Model : "*.mdl");
        EXPECT_EQ(f.Action("Run1")->isEnabled(), ok) << "checked after the dialog";
        EXPECT_EQ(f.Find<QLabel>("StatusField")->text(), ok ? "Ready to run" : "Specify input files");
        f.Action("InputFilesItem")->trigger();
        EXPECT_EQ(f.ModalDialogs.size(), 2u);
    }
}

TEST(TMainForm, OutputFileDialogListsTheNamesWhateverItsResult) {
    for (const bool ok : {true, false}) {
        MainFormFixture f;
        const OutputFileSet before = f.Controller().Outputs();
        f.OnDialog = [&](QDialog& dialog) {
            EXPECT_EQ(&dialog, f.windows.OutfileDlg.get());
            f.recorder.ChooserAnswers.push_back("/data/run7/dyn.vsk");
            dialog.findChild<QPushButton*>("SelectButton1")->click();
            dialog.findChild<QPushButton*>(ok ? "OkButton" : "CancelButton")->click();
            return dialog.result();
        };
        f.Action("OutputFilesButton")->trigger();
        const std::string dynamical = ok ? "/data/run7/dyn.vsk" : before.DynamicalVariables;
        EXPECT_EQ(f.Controller().Outputs().DynamicalVariables, dynamical);
        EXPECT_EQ(f.Find<ProjectTree>("Tree")->topLevelItem(7)->text(0), ToQt(dynamical));
        EXPECT_EQ(f.ColouredLog(),
                  (std::vector<std::string>{"black|   ", "darkgreen|  " + before.InitialConditions,
                                            "darkgreen|  " + dynamical, "darkgreen|  " + before.InelasticEvents,
                                            "black|"}));
    }
}

TEST(TMainForm, OptionsAreSavedOnlyAfterOkWithSaveCheckedAndTheIconsFollow) {
    const struct {
        const char* Name;
        bool Ok, Save, Written;
    } cases[] = {{"OK and save", true, true, true}, {"OK only", true, false, false}, {"Cancel and save", false, true, false}};
    for (const auto& c : cases) {
        MainFormFixture f;
        f.OnDialog = [&](QDialog& dialog) {
            auto* options = qobject_cast<TOptionsDlg*>(&dialog);
            EXPECT_NE(options, nullptr);
            if (!options) return static_cast<int>(QDialog::Rejected);
            dialog.show();
            dialog.findChild<QCheckBox*>("SaveOptionsBox")->setChecked(c.Save);
            dialog.findChild<QCheckBox*>("StoreInitialOption")->setChecked(true);
            dialog.findChild<QCheckBox*>("StOption")->setChecked(true);
            dialog.findChild<QPushButton*>(c.Ok ? "OkButton" : "CancelButton")->click();
            return dialog.result();
        };
        f.Action("SimulationItem")->trigger();
        EXPECT_EQ(std::filesystem::exists(f.dir.File("vantrel.cfg")), c.Written) << c.Name;
        auto* tree = f.Find<ProjectTree>("Tree");
        EXPECT_EQ(tree->topLevelItem(6)->data(0, Qt::UserRole).toBool(), c.Ok) << c.Name;
        EXPECT_EQ(tree->topLevelItem(5)->data(0, Qt::UserRole).toBool(), c.Ok) << c.Name;
    }
}

void Drop(ProjectTree& tree, const QStringList& files) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& file : files) urls << QUrl::fromLocalFile(file);
    data.setUrls(urls);
    // As a drag from a file manager: it enters the tree, then drops.
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tree.viewport(), &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tree.viewport(), &drop);
}

TEST(TMainForm, TreeTakesDropsAndDoubleClicksOnlyWhileIdle) {
    MainFormFixture f;
    auto* tree = f.Find<ProjectTree>("Tree");
    const std::string beam = f.dir.Write("beam.Prj", "x\n");
    Drop(*tree, {ToQt(beam)});
    EXPECT_EQ(f.Controller().Inputs().Projectile, beam);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), ToQt(beam));
    emit tree->NodeDoubleClicked(3);
    ASSERT_EQ(f.recorder.Requests.size(), 1u);
    EXPECT_EQ(f.recorder.Requests[0].Title, "Select Model file");

    f.WriteJob();
    bool tried = false;
    f.During = [&] {
        if (tried) return;
        tried = true;
        EXPECT_FALSE(tree->AcceptingFiles());
        Drop(*tree, {ToQt(f.dir.Write("late.prj", "x\n"))});
        emit tree->NodeDoubleClicked(0);
    };
    const std::string projectile = f.Controller().Inputs().Projectile;
    f.Action("Run1")->trigger();
    EXPECT_TRUE(tried);
    EXPECT_EQ(f.Controller().Inputs().Projectile, projectile);
    EXPECT_EQ(f.recorder.Requests.size(), 1u);
    EXPECT_TRUE(tree->AcceptingFiles());
}

TEST(TMainForm, AJobBringsTheLogPageForwardAndABatchChangesTheCancelHint) {
    MainFormFixture f;
    const InputFileSet files = f.WriteJob();
    auto* pages = f.Find<QTabWidget>("Pages");
    f.Action("SpeedButton1")->trigger();
    EXPECT_EQ(pages->currentWidget(), f.Find<QWidget>("LogPage"));
    EXPECT_EQ(f.Find<QLabel>("StatusField")->text(), "Ready to run");
    EXPECT_EQ(f.Action("CancelButton")->toolTip(), "Abort simulation (Ctrl-Break)") << "a single job keeps the hint";

    const OutputFileSet outputs = JobFiles::Outputs(f.dir);
    std::string item = "t\n" + files.Projectile + "\n" + files.Target + "\n" + files.Model + "\n" + files.Run + "\n" +
                       files.Impact + "\n*.inl\n" + outputs.InitialConditions + "\n" + outputs.DynamicalVariables +
                       "\n" + outputs.InelasticEvents + "\n";
    f.recorder.ChooserAnswers.push_back(ToQt(f.dir.Write("one.bdf", item)));
    QSignalSpy captions(&f.Form(), &QWidget::windowTitleChanged);
    std::vector<QString> hints;
    f.During = [&] { hints.push_back(f.Action("CancelButton")->toolTip()); };
    pages->setCurrentIndex(0);
    f.Action("BatchRunItem")->trigger();
    ASSERT_FALSE(hints.empty());
    for (const QString& hint : hints) EXPECT_EQ(hint, "Abort current batch job.");
    EXPECT_EQ(f.Action("CancelButton")->toolTip(), "Halt simulation.");
    EXPECT_EQ(pages->currentWidget(), f.Find<QWidget>("LogPage"));
    ASSERT_EQ(captions.count(), 2);
    EXPECT_EQ(captions[0].at(0).toString(), "Vantrel 1.0 (batch item #1 t)");
    EXPECT_EQ(f.Form().windowTitle(), "Vantrel 1.0");
}

TEST(TMainForm, CtrlBreakSetsTheAbortRequestBeforeTheControlsSeeIt) {
    MainFormFixture f;
    const struct {
        const char* Name;
        int Key;
        Qt::KeyboardModifiers Modifiers;
        bool Aborts;
    } keys[] = {{"Cancel key", Qt::Key_Cancel, Qt::NoModifier, true},
                {"Ctrl+Pause", Qt::Key_Pause, Qt::ControlModifier, true},
                {"Pause alone", Qt::Key_Pause, Qt::NoModifier, false},
                {"Ctrl+C", Qt::Key_C, Qt::ControlModifier, false}};
    for (const auto& k : keys) {
        f.Controller().Program().AbortRequested = false;
        QKeyEvent press(QEvent::KeyPress, k.Key, k.Modifiers);
        QApplication::sendEvent(&f.Log(), &press);
        EXPECT_EQ(f.Controller().Program().AbortRequested, k.Aborts) << k.Name;
    }
    EXPECT_EQ(f.Log().LineCount(), 1) << "the break key does not reach the log's text";
}

TEST(TMainForm, ReadOnlyLogCanBeSelectedAndCopiedButNotEdited) {
    MainFormFixture f;
    LogView& log = f.Log();
    log.AppendLine("  some text", ColourBlue, 500);
    QMenu* edit = f.Find<QMenu>("EditMenu");
    const auto editItems = [&] {
        std::vector<bool> enabled;
        for (const char* name : {"UndoItem", "CutItem", "CopyItem", "PasteItem", "DeleteItem"})
            enabled.push_back(f.Action(name)->isEnabled());
        return enabled;
    };
    emit edit->aboutToShow();
    EXPECT_EQ(editItems(), (std::vector<bool>{false, false, false, false, false}));

    QTextCursor cursor = log.textCursor();
    cursor.movePosition(QTextCursor::Start);
    cursor.movePosition(QTextCursor::Down);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    log.setTextCursor(cursor);
    emit edit->aboutToShow();
    EXPECT_EQ(editItems(), (std::vector<bool>{false, false, true, false, false}));
    // Typing reaches nothing: the saved log holds what the jobs wrote.
    QTest::keyClicks(&log, "typed");
    QTest::keyClick(&log, Qt::Key_Delete);
    EXPECT_EQ(f.LogTexts(), (std::vector<std::string>{"   ", "  some text"}));
    f.Action("SelectAllItem")->trigger();
    emit edit->aboutToShow();
    EXPECT_TRUE(f.Action("CopyItem")->isEnabled());
    f.Action("ClearLogButton")->trigger();
    EXPECT_EQ(log.LineCount(), 0);
}

// Runs the event loop until it has waited for events for a while: the
// window has been idle.
void IdleFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

TEST(TMainForm, MemoryDisplayIsShownWhenSwitchedOnAndRefreshedWhenIdle) {
    MainFormFixture f;
    f.Form().show();
    auto* label = f.Find<QLabel>("MemoryLabel");
    f.Bytes = 123456;
    IdleFor(20);
    EXPECT_EQ(label->text(), "") << "display off: nothing read";
    f.Action("ShowMemoryItem")->trigger();
    EXPECT_TRUE(f.Action("ShowMemoryItem")->isChecked());
    EXPECT_TRUE(label->isVisible());
    IdleFor(20);
    EXPECT_EQ(label->text(), "123 kB");
    EXPECT_EQ(label->toolTip(), "Memory allocated by Vantrel: 123,456 bytes");
    f.Action("ShowMemoryItem")->trigger();
    EXPECT_FALSE(label->isVisible());
    EXPECT_FALSE(f.Action("ShowMemoryItem")->isChecked());
    f.Form().hide();
}

TEST(TMainForm, HelpReachesTheViewerFromCommandsDialogsAndF1InAnOpenMenu) {
    MainFormFixture f;
    TMainForm& form = f.Form();
    form.show();
    f.Action("IntroductionItem")->trigger();
    f.windows.FileDialog->findChild<QPushButton*>("HelpButton")->click();
    f.windows.OutfileDlg->findChild<QPushButton*>("HelpButton")->click();
    f.windows.OptionsDlg->findChild<QPushButton*>("HelpButton")->click();
    std::vector<int> expected{1, 110, 120, 310};
    const struct {
        const char* Menu;
        const char* Active;
        int Topic;
    } cases[] = {{"FileMenu", "BatchRunItem", 140},
                 {"FileMenu", "BrackleItem", 195},
                 {"OptionsMenu", "ShowMemoryItem", 317},
                 {"EditMenu", "CopyItem", 200},
                 {"OptionsMenu", nullptr, 300}};
    for (const auto& c : cases) {
        QMenu* menu = f.Find<QMenu>(c.Menu);
        menu->popup(form.mapToGlobal(QPoint(10, 10)));
        if (c.Active) menu->setActiveAction(f.Action(c.Active));
        QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
        QApplication::sendEvent(menu, &f1);
        expected.push_back(c.Topic);
        EXPECT_FALSE(menu->isVisible());
    }
    QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(f.Find<ProjectTree>("Tree"), &f1);
    expected.push_back(1);
    EXPECT_EQ(f.recorder.HelpTopics, expected);
    form.hide();
}

TEST(TMainForm, EveryJobWritesItsWholeLogBesideItsOutputsWhateverTheBuffer) {
    MainFormFixture f;
    f.Controller().Program().Options.LogBufferLines = 20;
    const InputFileSet files = f.WriteJob(TwoRunJob());
    const OutputFileSet outputs = f.Controller().Outputs();
    const std::string logFile = FromQt(JobLogFileName(outputs.DynamicalVariables));
    EXPECT_EQ(logFile, f.dir.File("dynvars.log"));
    QStringList progress;
    QObject::connect(&f.Controller(), &JobController::ProgressChanged, [&](const QString& t) { progress << t; });
    f.Action("SpeedButton1")->trigger();
    EXPECT_LE(f.Log().LineCount(), 21) << "the pane keeps its buffer rule";

    // The file holds the job's every line, as a run of the same job reports them.
    testing::RecordingUserInterface recording;
    ProgramContext program(recording);
    TempDir elsewhere;
    RunJob(program, files, JobFiles::Outputs(elsewhere), false);
    const std::string whole = ReadFileBytes(logFile);
    EXPECT_EQ(whole, recording.LogText());
    EXPECT_GT(recording.LogTexts().size(), 3u * 21);  // far more than the pane kept
    EXPECT_TRUE(progress.contains("Run 1 of 2")) << progress.join('|').toStdString();
    EXPECT_EQ(progress.back(), "");  // cleared when the job has ended

    // The same job again: the earlier log is kept, and the log says so.
    f.Action("SpeedButton1")->trigger();
    EXPECT_EQ(ReadFileBytes(logFile + "~"), whole);
    EXPECT_EQ(f.LogTexts().back(), "  Previous dynvars.log kept as dynvars.log~");
    EXPECT_EQ(ReadFileBytes(logFile), whole + "  Previous dynvars.log kept as dynvars.log~\n");

    // A job that cannot start leaves both as they were and nothing staged.
    const std::string kept = ReadFileBytes(logFile);
    f.dir.Write("job.mdl", ReplaceLine(ReadFileBytes(files.Model), 6, "0.012 eps 0.012"));
    f.Action("SpeedButton1")->trigger();
    EXPECT_EQ(ReadFileBytes(logFile), kept);
    EXPECT_EQ(ReadFileBytes(logFile + "~"), whole);
    EXPECT_FALSE(std::filesystem::exists(logFile + ".part"));
}

TEST(TMainForm, GraphWindowOpensDuringARunFromTheKeyboardAndLeavesItWithTheMainWindow) {
    MainFormFixture f;
    f.Form().show();
    f.Form().activateWindow();
    QApplication::processEvents();
    f.WriteJob(TwoRunJob());
    bool shownDuring = false;
    f.During = [&] {
        if (shownDuring) return;
        EXPECT_TRUE(f.Action("GraphItem")->isEnabled());
        EXPECT_TRUE(f.Find<QMenu>("FileMenu")->menuAction()->isEnabled());
        QTest::keyClick(&f.Form(), Qt::Key_G, Qt::ControlModifier);
        shownDuring = f.windows.Graph->isVisible();
    };
    f.Action("SpeedButton1")->trigger();
    EXPECT_TRUE(shownDuring);
    EXPECT_TRUE(f.windows.Graph->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_EQ(QApplication::activeWindow(), &f.Form());
    // Beside the main window, not over it.
    EXPECT_FALSE(f.windows.Graph->frameGeometry().intersects(f.Form().frameGeometry()) &&
                 f.Form().screen()->availableGeometry().width() >=
                     f.Form().frameGeometry().width() + f.windows.Graph->frameGeometry().width());
    f.windows.Graph->hide();
    f.Form().hide();
}

TEST(TMainForm, HelpAskedForInAModalDialogStandsOverItAndTakesInput) {
    MainFormFixture f;
    MainFormServices services = f.Form().Services();
    services.Ui.ShowHelp = nullptr;  // the real help viewer
    services.RunDialog = [](QDialog& dialog) { return dialog.exec(); };
    f.Form().SetServices(services);
    f.Form().show();
    HelpBrowser* help = nullptr;
    QTimer::singleShot(0, [&] {
        TOptionsDlg& options = *f.windows.OptionsDlg;
        options.findChild<QPushButton*>("HelpButton")->click();
        help = options.findChild<HelpBrowser*>("HelpBrowser");
        if (help != nullptr) {
            EXPECT_TRUE(help->isVisible());
            EXPECT_EQ(help->CurrentTopic(), TOptionsDlg::HelpContext);
            EXPECT_EQ(help->windowModality(), Qt::NonModal);
        }
        options.reject();
    });
    f.Action("SimulationItem")->trigger();
    ASSERT_NE(help, nullptr) << "the help window belongs to the dialog";
    // Asked for from the main window again, it belongs to the main window.
    f.Action("IntroductionItem")->trigger();
    EXPECT_EQ(f.Form().findChild<HelpBrowser*>("HelpBrowser"), help);
    EXPECT_EQ(help->parentWidget(), &f.Form());
    help->hide();
    f.Form().hide();
}

TEST(TMainForm, RemembersRecentJobsAndOpensTheLastOneAtTheNextStart) {
    TempDir scratch;
    InputFileSet files = JobFiles{}.Write(scratch);
    files.Inelastic = "*.inl";
    {
        MainFormFixture first;
        first.Controller().SetInputs(files);
        first.Controller().SetOutputs(JobFiles::Outputs(scratch));
        first.Controller().CheckInputFiles();  // a complete job: remembered
    }
    MainFormFixture second;
    EXPECT_NE(second.Controller().Inputs().Projectile, files.Projectile) << "tests start without it";
    second.Form().RestoreSession();
    EXPECT_EQ(second.Controller().Inputs().Projectile, files.Projectile);
    EXPECT_EQ(second.Controller().Inputs().Model, files.Model);
    EXPECT_EQ(second.Controller().Outputs().DynamicalVariables, JobFiles::Outputs(scratch).DynamicalVariables);
    EXPECT_TRUE(second.Action("Run1")->isEnabled());
    QMenu* recent = second.Find<QMenu>("RecentJobsMenu");
    emit recent->aboutToShow();
    ASSERT_FALSE(recent->actions().isEmpty());
    EXPECT_EQ(recent->actions().front()->text(),
              "&1 job.prj  (" + QFileInfo(ToQt(files.Projectile)).absolutePath() + ")");
}

TEST(TMainForm, AboutBoxIsShownModally) {
    MainFormFixture f;
    f.Action("AboutItem")->trigger();
    ASSERT_EQ(f.ModalDialogs.size(), 1u);
    EXPECT_EQ(f.ModalDialogs[0], f.windows.AboutForm.get());
}

TEST(TMainForm, FontPageColourAndPrintCommandsWorkOnTheLog) {
    MainFormFixture f;
    MainFormServices services = f.Form().Services();
    QFont offered;
    QFont chosen = f.Log().font();
    chosen.setPointSize(17);
    std::optional<QFont> answer = chosen;
    services.ChooseFont = [&](QWidget*, const QFont& current) {
        offered = current;
        return answer;
    };
    services.ChooseColour = [](QWidget*, const QColor&) -> std::optional<QColor> { return QColor(250, 240, 200); };
    const std::string pdf = f.dir.File("log.pdf");
    QString title = "unset";
    services.SetUpPrinter = [&](QWidget*, QPrinter& printer) {
        title = printer.docName();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(ToQt(pdf));
        return true;
    };
    f.Form().SetServices(services);
    const QFont before = f.Log().font();
    f.Action("FontItem")->trigger();
    EXPECT_EQ(offered, before);
    EXPECT_EQ(f.Log().font().pointSize(), 17);
    answer.reset();
    f.Action("FontItem")->trigger();
    EXPECT_EQ(f.Log().font().pointSize(), 17) << "a cancelled dialog changes nothing";
    f.Action("PageColourItem")->trigger();
    EXPECT_EQ(f.Log().palette().color(QPalette::Base), QColor(250, 240, 200));
    f.Action("PrintLogItem")->trigger();
    EXPECT_EQ(title, "") << "an empty job title";
    EXPECT_EQ(testing::ReadFileBytes(pdf).substr(0, 5), "%PDF-");
}

TEST(TMainForm, SnapshotsReachTheGraphWindowOnlyWhileItIsShown) {
    MainFormFixture f;
    TGraph& graph = *f.windows.Graph;
    std::vector<double> x{0.0, 2e-10}, y{0.0, 0.0}, z{-5e-10, 0.0};
    std::vector<std::uint32_t> flags{0, 0};
    const PlotSnapshot snapshot{x.data(), y.data(), z.data(), flags.data(), 1, 1e-14f};
    const QImage blank = graph.Picture();
    f.Controller().PlotUpdate(snapshot);
    EXPECT_EQ(graph.Picture(), blank);
    f.WriteJob();
    f.Action("GraphItem")->trigger();
    EXPECT_TRUE(graph.isVisible());
    f.Controller().PlotReset();
    const QImage reset = graph.Picture();
    f.Controller().PlotUpdate(snapshot);
    EXPECT_NE(graph.Picture(), reset);
    graph.hide();
}

TEST(TMainForm, ClosingDuringAJobClosesTheWindowWhenItEnds) {
    MainFormFixture f;
    TMainForm& form = f.Form();
    f.WriteJob(TwoRunJob());
    form.show();
    QSignalSpy closed(&form, &TMainForm::Closed);
    bool asked = false;
    f.During = [&] {
        if (asked) return;
        asked = true;
        form.close();
        EXPECT_TRUE(form.isVisible()) << "the window stays while the job runs";
        EXPECT_EQ(closed.count(), 0);
    };
    f.Action("SpeedButton1")->trigger();
    EXPECT_EQ(f.Questions.back().Text, CloseWhileRunningText);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(closed.count(), 1);

    MainFormFixture idle;
    idle.Form().show();
    QSignalSpy idleClosed(&idle.Form(), &TMainForm::Closed);
    idle.DefaultAnswer = false;
    idle.Form().close();
    EXPECT_TRUE(idle.Form().isVisible());
    idle.DefaultAnswer = true;
    idle.Form().close();
    EXPECT_FALSE(idle.Form().isVisible());
    EXPECT_EQ(idleClosed.count(), 1);
    EXPECT_EQ(idle.Questions.size(), 2u);
}

TEST(ProgramWindows, CreatesTheWindowsAroundTheMainWindowAndRemovesTheSplash) {
    TempDir dir;
    testing::CurrentDirectory cwd(dir.Path());
    QWidget splash;
    splash.show();
    ProgramWindows windows(&splash);
    for (QWidget* window : std::initializer_list<QWidget*>{windows.AboutForm.get(), windows.FileDialog.get(),
                                                           windows.Graph.get(), windows.OptionsDlg.get(),
                                                           windows.OutfileDlg.get()}) {
        EXPECT_EQ(window->parentWidget(), windows.MainForm.get());
        EXPECT_TRUE(window->isWindow());
        EXPECT_FALSE(window->isVisible());
    }
    // Created in start-up order after the main window.
    std::vector<std::string> order;
    for (QObject* child : windows.MainForm->children()) {
        if (qobject_cast<TAboutForm*>(child)) order.push_back("about");
        if (qobject_cast<TFileDialog*>(child)) order.push_back("input files");
        if (qobject_cast<TGraph*>(child)) order.push_back("graph");
        if (qobject_cast<TOptionsDlg*>(child)) order.push_back("options");
        if (qobject_cast<TOutfileDlg*>(child)) order.push_back("output files");
    }
    EXPECT_EQ(order, (std::vector<std::string>{"about", "input files", "graph", "options", "output files"}));
    auto* timer = windows.MainForm->findChild<QTimer*>("SplashTimer");
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isSingleShot());
    EXPECT_EQ(timer->interval(), 1600);
    EXPECT_TRUE(timer->isActive());
    QTest::qWait(1200);
    EXPECT_TRUE(splash.isVisible());
    QTest::qWait(700);
    EXPECT_FALSE(splash.isVisible());
}

}  // namespace
}  // namespace vantrel
