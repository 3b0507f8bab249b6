// The main window at rest: its elements, menus, enabling, the input-file
// check, the project tree, dropped files, the options and output commands,
// the memory display and the companion tools.
#include "ui/main_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QDropEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPrinter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include <gtest/gtest.h>

#include "job/log.h"
#include "core/options.h"
#include "tests/support/job_files.h"
#include "tests/ui/main_form_fixture.h"
#include "ui/file_dialogs.h"
#include "ui/graph_window.h"
#include "ui/help_browser.h"
#include "ui/options_dialog.h"
#include "ui/splash_about.h"
#include "io/config_file.h"

namespace vantrel {
namespace {

using testing::MainFormFixture;
using testing::JobFiles;
using testing::TempDir;

// The enabling of every command the running and idle states name.
struct CommandStates {
    bool Begin, Cancel, InputFiles, OutputFiles, Stepping, Step, ClearLog, GraphButton;
    bool FileMenu, RunItem, GraphItem, About, Simulation, EditMenu, OptionsMenu;
    friend bool operator==(const CommandStates&, const CommandStates&) = default;
};

CommandStates StatesOf(TMainForm& f) {
    return {f.BeginButton->isEnabled(),     f.CancelButton->isEnabled(),      f.InputFilesButton->isEnabled(),
            f.OutputFilesButton->isEnabled(), f.EnableStepping->isEnabled(),  f.StepButton->isEnabled(),
            f.ClearLogButton->isEnabled(),  f.GraphButton->isEnabled(),       f.FileMenu->menuAction()->isEnabled(),
            f.RunItem->isEnabled(),         f.GraphItem->isEnabled(),         f.AboutItem->isEnabled(),
            f.SimulationItem->isEnabled(),  f.EditMenu->menuAction()->isEnabled(),
            f.OptionsMenu->menuAction()->isEnabled()};
}

std::ostream& operator<<(std::ostream& out, const CommandStates& s) {
    return out << "Begin " << s.Begin << " Cancel " << s.Cancel << " Input " << s.InputFiles << " Output "
               << s.OutputFiles << " Stepping " << s.Stepping << " Step " << s.Step << " Clear " << s.ClearLog
               << " GraphButton " << s.GraphButton << " File " << s.FileMenu << " Run " << s.RunItem
               << " GraphItem " << s.GraphItem << " About " << s.About << " Simulation " << s.Simulation
               << " Edit " << s.EditMenu << " Options " << s.OptionsMenu;
}

// A complete small job in the fixture's folder, made the current input files.
InputFileSet WriteJob(MainFormFixture& f, const JobFiles& job = {}) {
    InputFileSet files = job.Write(f.dir);
    files.Inelastic = "*.inl";
    f.Form().Inputs = files;
    return files;
}

void Drop(TMainForm& form, const QStringList& files) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& file : files) urls << QUrl::fromLocalFile(file);
    data.setUrls(urls);
    // As a drag from a file manager: it enters the tree, then drops.
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.Tree->viewport(), &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.Tree->viewport(), &drop);
}

TEST(TMainForm, StartsWithItsCaptionsPagesTreeAndLog) {
    MainFormFixture f;
    TMainForm& form = f.Form();
    EXPECT_EQ(form.windowTitle(), "Vantrel 1.0");
    EXPECT_EQ(form.StatusField->text(), "Specify input files");
    ASSERT_EQ(form.Pages->count(), 2);
    EXPECT_EQ(form.Pages->tabText(0), "Project");
    EXPECT_EQ(form.Pages->tabText(1), "Log");
    EXPECT_EQ(form.Pages->currentWidget(), form.ProjectPage);
    EXPECT_EQ(form.Tree->headerItem()->text(0), "   Files in project");
    EXPECT_EQ(form.Tree->editTriggers(), QAbstractItemView::NoEditTriggers);

    const QString cwd = QDir::currentPath();
    const QStringList expected = {"*.prj", "*.trg", "*.run", "*.mdl", "*.imp", "*.inl",
                                  cwd + "/inivars.vsk", cwd + "/dynvars.vsk", cwd + "/inelast.dat"};
    ASSERT_EQ(form.Tree->topLevelItemCount(), TMainForm::NodeCount);
    for (int node = 0; node < TMainForm::NodeCount; ++node) EXPECT_EQ(form.NodeText(node), expected[node]) << node;
    EXPECT_EQ(form.Outputs.InitialConditions, FromQt(cwd + "/inivars.vsk"));
    EXPECT_EQ(form.Outputs.InelasticEvents, FromQt(cwd + "/inelast.dat"));

    EXPECT_EQ(f.LogTexts(), std::vector<std::string>{"   "});
    EXPECT_EQ(form.Log->lineWrapMode(), QTextEdit::NoWrap);
    EXPECT_EQ(form.Log->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(form.Log->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_FALSE(form.Log->isReadOnly());
}

TEST(TMainForm, ToolbarCarriesItsHintsCheckBoxAndColouredMemoryLabel) {
    MainFormFixture f;
    TMainForm& form = f.Form();
    const std::pair<QAction*, const char*> hints[] = {
        {form.BeginButton, "Begin simulation"},
        {form.CancelButton, "Abort simulation (Ctrl-Break)"},
        {form.InputFilesButton, "Specify input files"},
        {form.GraphButton, "Show graph window"},
        {form.ClearLogButton, "Clear log"},
        {form.StepButton, "Step (abandon this run, start next)"},
        {form.OutputFilesButton, "Specify output files"},
    };
    const QList<QAction*> onBar = form.Tools->actions();
    int previous = -1;
    for (const auto& [button, hint] : hints) {
        EXPECT_EQ(button->toolTip(), hint);
        const int at = onBar.indexOf(button);
        EXPECT_GT(at, previous) << hint << " is on the toolbar, in order";
        previous = at;
    }
    EXPECT_EQ(form.EnableStepping->text(), "Enable stepping");
    EXPECT_FALSE(form.EnableStepping->isChecked());
    EXPECT_FALSE(form.MemoryLabel->isVisibleTo(&form));
    EXPECT_NE(form.MemoryLabel->frameShape(), QFrame::NoFrame);
    for (QWidget* panel : {static_cast<QWidget*>(form.EnableStepping), static_cast<QWidget*>(form.MemoryLabel)}) {
        EXPECT_TRUE(panel->autoFillBackground());
        EXPECT_EQ(panel->palette().color(QPalette::Window), QColor(72, 219, 145));
    }
}

TEST(TMainForm, MenusHoldEveryCommandWithShortcutAndHelpTopic) {
    MainFormFixture f;
    TMainForm& form = f.Form();
    const QList<QAction*> bar = form.menuBar()->actions();
    ASSERT_EQ(bar.size(), 4);
    EXPECT_EQ(bar[0]->text(), "&File");
    EXPECT_EQ(bar[1]->text(), "&Edit");
    EXPECT_EQ(bar[2]->text(), "&Options");
    EXPECT_EQ(bar[3]->text(), "&Help");
    EXPECT_EQ(form.EditMenu->menuAction()->property("helpTopic").toInt(), 200);
    EXPECT_EQ(form.OptionsMenu->menuAction()->property("helpTopic").toInt(), 300);

    const struct {
        QMenu* Menu;
        QAction* Item;
        const char* Text;
        const char* Shortcut;
        int Topic;
    } items[] = {
        {form.FileMenu, form.InputFilesItem, "Specify &input files", "Ctrl+I", 110},
        {form.FileMenu, form.OutputFilesItem, "Specify &output files", "Ctrl+O", 120},
        {form.FileMenu, form.RunItem, "&Run", "Ctrl+R", 130},
        {form.FileMenu, form.BatchRunItem, "&Batch run", "Ctrl+B", 140},
        {form.FileMenu, form.SaveLogItem, "S&ave log to file", "", 150},
        {form.FileMenu, form.LoadLogItem, "&Load file into log", "", 160},
        {form.FileMenu, form.PrintLogItem, "&Print log", "", 170},
        {form.FileMenu, form.GraphItem, "&Graph window", "Ctrl+G", 180},
        {form.FileMenu, form.KestrinItem, "&Kestrin", "Ctrl+S", 194},
        {form.FileMenu, form.BrackleItem, "&Brackle", "Ctrl+W", 195},
        {form.EditMenu, form.UndoItem, "&Undo", "", 200},
        {form.EditMenu, form.CutItem, "Cu&t", "Ctrl+X", 200},
        {form.EditMenu, form.CopyItem, "&Copy", "Ctrl+C", 200},
        {form.EditMenu, form.PasteItem, "&Paste", "Ctrl+V", 200},
        {form.EditMenu, form.DeleteItem, "&Delete", "Ctrl+Del", 200},
        {form.EditMenu, form.SelectAllItem, "&Select All", "", 200},
        {form.OptionsMenu, form.SimulationItem, "&Simulation", "Ctrl+Q", 310},
        {form.OptionsMenu, form.ShowMemoryItem, "Show &memory use", "Ctrl+M", 317},
        {form.OptionsMenu, form.FontItem, "&Font", "", 350},
        {form.OptionsMenu, form.PageColourItem, "&Page colour", "", 360},
        {form.HelpMenu, form.IntroductionItem, "&Introduction", "", 1},
    };
    QMenu* menu = nullptr;
    int previous = -1;
    for (const auto& item : items) {
        if (item.Menu != menu) menu = item.Menu, previous = -1;
        const int at = menu->actions().indexOf(item.Item);
        EXPECT_GT(at, previous) << item.Text << " in its menu, in order";
        previous = at;
        EXPECT_EQ(item.Item->text(), item.Text);
        EXPECT_EQ(item.Item->shortcut().toString(), item.Shortcut) << item.Text;
        EXPECT_EQ(item.Item->property("helpTopic").toInt(), item.Topic) << item.Text;
        // Every topic a command names has a page.
        EXPECT_FALSE(HelpTopicFile(item.Topic).isEmpty()) << item.Topic;
    }
    EXPECT_EQ(form.AboutItem->text(), "&About");
    EXPECT_TRUE(form.HelpMenu->actions().contains(form.AboutItem));
    EXPECT_TRUE(form.ShowMemoryItem->isCheckable());
}

TEST(TMainForm, EveryHelpTopicOfTheWindowsHasAPage) {
    for (int topic : {1, 110, 120, 130, 140, 150, 160, 170, 180, 194, 195, 200, 300, 310, 317, 350, 360,
                      TFileDialog::HelpContext, TOutfileDlg::HelpContext, TOptionsDlg::HelpContext, TGraph::HelpContext}) {
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

TEST(TMainForm, IdleStateAtStartEnablesExactlyTheListedCommands) {
    MainFormFixture f;
    const CommandStates idle{/*Begin*/ false, /*Cancel*/ false, /*InputFiles*/ true, /*OutputFiles*/ true,
                             /*Stepping*/ true, /*Step*/ false, /*ClearLog*/ true, /*GraphButton*/ false,
                             /*FileMenu*/ true, /*RunItem*/ false, /*GraphItem*/ false, /*About*/ true,
                             /*Simulation*/ true, /*Edit*/ true, /*Options*/ true};
    EXPECT_EQ(StatesOf(f.Form()), idle);
}

TEST(TMainForm, RunIsEnabledByTheFiveRequiredFilesWhileTheInelasticNameIsAPattern) {
    MainFormFixture f;
    TMainForm& form = f.Form();
    const InputFileSet files = WriteJob(f);
    form.CheckInputFiles(false);
    EXPECT_TRUE(form.RunItem->isEnabled());
    EXPECT_TRUE(form.BeginButton->isEnabled());
    EXPECT_TRUE(form.GraphButton->isEnabled());
    EXPECT_TRUE(form.GraphItem->isEnabled());
    EXPECT_EQ(form.windowTitle(), "Vantrel 1.0 (job.trg...)");
    EXPECT_EQ(form.StatusField->text(), "Ready to run");
    EXPECT_EQ(form.NodeText(TMainForm::RunNode), ToQt(files.Run));
    EXPECT_EQ(form.NodeText(TMainForm::InelasticNode), "*.inl");
    // The file list in dark green, the inelastic file left out, then an empty line.
    const std::vector<std::string> expected = {"black|   ",
                                               "darkgreen|  " + files.Projectile,
                                               "darkgreen|  " + files.Target,
                                               "darkgreen|  " + files.Run,
                                               "darkgreen|  " + files.Model,
                                               "darkgreen|  " + files.Impact,
                                               "black|"};
    EXPECT_EQ(f.ColouredLog(), expected);
}

TEST(TMainForm, AnInelasticModelMakesTheInelasticFileRequired) {
    const struct {
        const char* Name;
        bool SimulationOptions::*Model;
    } models[] = {{"LSS", &SimulationOptions::UseLSS},
                  {"cooling", &SimulationOptions::UseCooling},
                  {"image potential", &SimulationOptions::UseImagePotential}};
    for (const auto& model : models) {
        MainFormFixture f;
        TMainForm& form = f.Form();
        WriteJob(f);
        form.Program.Options.*model.Model = true;
        form.CheckInputFiles(false);
        EXPECT_FALSE(form.RunItem->isEnabled()) << model.Name;
        EXPECT_FALSE(form.BeginButton->isEnabled()) << model.Name;
        EXPECT_EQ(form.windowTitle(), "Vantrel 1.0") << model.Name;
        EXPECT_EQ(form.StatusField->text(), "Specify input files") << model.Name;
        EXPECT_EQ(f.LogTexts().size(), 1u) << model.Name << ": no file list without a complete set";

        form.Inputs.Inelastic = f.dir.Write("job.inl", "any\n");
        form.CheckInputFiles(false);
        EXPECT_TRUE(form.RunItem->isEnabled()) << model.Name;
        const std::vector<std::string> log = f.LogTexts();
        ASSERT_EQ(log.size(), 8u) << model.Name;
        EXPECT_EQ(log[6], "  " + form.Inputs.Inelastic) << model.Name;
    }
}

TEST(TMainForm, AFileGoneMissingDisablesRunAgainButKeepsTheGraphWindowCommand) {
    MainFormFixture f;
    TMainForm& form = f.Form();
    const InputFileSet files = WriteJob(f);
    form.CheckInputFiles(false);
    std::filesystem::remove(files.Impact);
    form.CheckInputFiles(false);
    EXPECT_FALSE(form.RunItem->isEnabled());
    EXPECT_FALSE(form.BeginButton->isEnabled());
    EXPECT_TRUE(form.GraphButton->isEnabled());
    EXPECT_TRUE(form.GraphItem->isEnabled());
    EXPECT_EQ(form.windowTitle(), "Vantrel 1.0");
    EXPECT_EQ(form.StatusField->text(), "Specify input files");
}

TEST(TMainForm, InputFileCommandShowsTheDialogFirstThenChecks) {
    MainFormFixture f;
    TMainForm& form = f.Form();
    JobFiles job;
    const InputFileSet files = job.Write(f.dir);
    f.OnDialog = [&](QDialog& dialog) {
        auto* input = qobject_cast<TFileDialog*>(&dialog);
        EXPECT_NE(input, nullptr);
        if (input == nullptr) return static_cast<int>(QDialog::Rejected);
        // What the dialog's rows and OK would have done.
        form.Inputs.Projectile = files.Projectile;
        form.Inputs.Target = files.Target;
        form.Inputs.Run = files.Run;
        form.Inputs.Model = files.Model;
        form.Inputs.Impact = files.Impact;
        return static_cast<int>(QDialog::Accepted);
    };
    form.InputFilesButton->trigger();
    ASSERT_EQ(f.ModalDialogs.size(), 1u);
    EXPECT_EQ(f.ModalDialogs[0], f.windows.FileDialog.get());
    EXPECT_TRUE(form.RunItem->isEnabled());
    EXPECT_EQ(form.NodeText(TMainForm::ProjectileNode), ToQt(files.Projectile));
    form.InputFilesItem->trigger();
    EXPECT_EQ(f.ModalDialogs.size(), 2u);
}

TEST(TMainForm, DroppedFileTakesItsRoleFromTheExtensionInAnyCase) {
    const struct {
        const char* Name;
        std::string InputFileSet::*Role;
        int Node;
    } drops[] = {
        {"beam.Prj", &InputFileSet::Projectile, TMainForm::ProjectileNode},
        {"slab.TRG", &InputFileSet::Target, TMainForm::TargetNode},
        {"fast.run", &InputFileSet::Run, TMainForm::RunNode},
        {"cu.mDl", &InputFileSet::Model, TMainForm::ModelNode},
        {"grid.IMP", &InputFileSet::Impact, TMainForm::ImpactNode},
        {"losses.Inl", &InputFileSet::Inelastic, TMainForm::InelasticNode},
    };
    for (const auto& drop : drops) {
        MainFormFixture f;
        TMainForm& form = f.Form();
        const std::string file = f.dir.Write(drop.Name, "x\n");
        Drop(form, {ToQt(file), ToQt(f.dir.Write("second.trg", "x\n"))});
        EXPECT_EQ(form.Inputs.*drop.Role, file) << drop.Name;
        EXPECT_EQ(form.NodeText(drop.Node), ToQt(file)) << drop.Name;
        // Only the first dropped file counts.
        if (drop.Role != &InputFileSet::Target) {
            EXPECT_EQ(form.Inputs.Target, "*.trg") << drop.Name;
        }
    }
}

TEST(TMainForm, DroppedFileOfAnotherKindChangesNothingButChecksAgain) {
    MainFormFixture f;
    TMainForm& form = f.Form();
    const InputFileSet files = WriteJob(f);
    form.CheckInputFiles(false);
    const std::size_t linesBefore = f.LogTexts().size();
    const InputFileSet before = form.Inputs;
    Drop(form, {ToQt(f.dir.Write("notes.txt", "x\n"))});
    EXPECT_EQ(form.Inputs.Projectile, before.Projectile);
    EXPECT_EQ(form.Inputs.Target, before.Target);
    EXPECT_EQ(form.Inputs.Inelastic, before.Inelastic);
    // The check ran again: a second file list.
    EXPECT_EQ(f.LogTexts().size(), linesBefore + 6);
    EXPECT_EQ(f.LogTexts().back(), "");

    // With a file gone, the re-check after an ignored drop disables Run.
    std::filesystem::remove(files.Model);
    Drop(form, {ToQt(f.dir.Write("more.txt", "x\n"))});
    EXPECT_FALSE(form.RunItem->isEnabled());
    EXPECT_EQ(form.StatusField->text(), "Specify input files");
}

TEST(TMainForm, TreeDoubleClickOnAnInputNodeOpensTheInputChooser) {
    MainFormFixture f;
    TMainForm& form = f.Form();
    const std::string chosen = f.dir.Write("other.run", "x\n");
    f.recorder.ChooserAnswers.push_back(ToQt(chosen));
    form.TreeDoubleClick(TMainForm::RunNode);
    ASSERT_EQ(f.recorder.Requests.size(), 1u);
    const FileRequest& request = f.recorder.Requests[0];
    EXPECT_EQ(request.Mode, FileRequest::Kind::OpenExisting);
    EXPECT_EQ(request.Filter, "Projectile file (*.prj);;Target file (*.trg);;Run file  (*.run);;"
                              "Model file (*.mdl);;Impact file (*.imp);;Inelastic file (*.inl)");
    EXPECT_EQ(request.SelectedFilter, "Run file  (*.run)");
    EXPECT_EQ(request.InitialName, "*.run");
    EXPECT_EQ(form.Inputs.Run, chosen);
    EXPECT_EQ(form.NodeText(TMainForm::RunNode), ToQt(chosen));

    const char* patterns[] = {"*.prj", "*.trg", "*.run", "*.mdl", "*.imp", "*.inl"};
    for (int node = 0; node < 6; ++node) {
        form.TreeDoubleClick(node);  // cancelled: nothing changes
        EXPECT_EQ(f.recorder.Requests.back().InitialName, patterns[node]);
        EXPECT_TRUE(f.recorder.Requests.back().Filter.split(";;").at(node) == f.recorder.Requests.back().SelectedFilter);
    }
    EXPECT_EQ(form.Inputs.Run, chosen);
}

TEST(TMainForm, TreeDoubleClickOnAnOutputNodeOpensTheSaveChooser) {
    MainFormFixture f;
    TMainForm& form = f.Form();
    const std::string oldEvents = form.Outputs.InelasticEvents;
    const std::string chosen = f.dir.File("events.dat");
    f.recorder.ChooserAnswers.push_back(ToQt(chosen));
    form.TreeDoubleClick(TMainForm::EventsNode);
    ASSERT_EQ(f.recorder.Requests.size(), 1u);
    FileRequest request = f.recorder.Requests[0];
    EXPECT_EQ(request.Mode, FileRequest::Kind::Save);
    EXPECT_EQ(request.Filter, "Vantrel output file (*.vsk);;Inelastic data file (*.dat)");
    EXPECT_EQ(request.SelectedFilter, "Inelastic data file (*.dat)");
    EXPECT_EQ(request.InitialName, ToQt(oldEvents));
    EXPECT_EQ(form.Outputs.InelasticEvents, chosen);
    EXPECT_EQ(form.NodeText(TMainForm::EventsNode), ToQt(chosen));

    form.TreeDoubleClick(TMainForm::InitialNode);
    request = f.recorder.Requests.back();
    EXPECT_EQ(request.SelectedFilter, "Vantrel output file (*.vsk)");
    EXPECT_EQ(request.DefaultSuffix, "vsk");
    EXPECT_EQ(request.InitialName, ToQt(form.Outputs.InitialConditions));
}

TEST(TMainForm, OutputFileCommandShowsTheDialogAndListsTheNames) {
    MainFormFixture f;
    TMainForm& form = f.Form();
    f.OnDialog = [&](QDialog& dialog) {
        EXPECT_EQ(&dialog, f.windows.OutfileDlg.get());
        form.Outputs.DynamicalVariables = "/data/run7/dyn.vsk";
        return static_cast<int>(QDialog::Accepted);
    };
    form.OutputFilesButton->trigger();
    EXPECT_EQ(form.NodeText(TMainForm::DynamicalNode), "/data/run7/dyn.vsk");
    const std::vector<std::string> log = f.ColouredLog();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[1], "darkgreen|  " + form.Outputs.InitialConditions);
    EXPECT_EQ(log[2], "darkgreen|  /data/run7/dyn.vsk");
    EXPECT_EQ(log[3], "darkgreen|  " + form.Outputs.InelasticEvents);
    EXPECT_EQ(log[4], "black|");
}

TEST(TMainForm, OptionsAreSavedOnlyAfterOkWithSaveChecked) {
    const struct {
        const char* Name;
        bool Ok;
        bool Save;
        bool Written;
    } cases[] = {{"OK and save", true, true, true}, {"OK only", true, false, false}, {"Cancel and save", false, true, false}};
    for (const auto& c : cases) {
        MainFormFixture f;
        TMainForm& form = f.Form();
        f.OnDialog = [&](QDialog& dialog) {
            auto* options = qobject_cast<TOptionsDlg*>(&dialog);
            EXPECT_NE(options, nullptr);
            if (!options) return static_cast<int>(QDialog::Rejected);
            dialog.show();
            options->SaveOptionsBox->setChecked(c.Save);
            options->StoreInitialOption->setChecked(true);
            options->StOption->setChecked(true);
            if (c.Ok) {
                options->OkClick();
            } else {
                dialog.reject();
            }
            return dialog.result();
        };
        form.SimulationItem->trigger();
        const std::string config = f.dir.File("vantrel.cfg");
        EXPECT_EQ(std::filesystem::exists(config), c.Written) << c.Name;
        if (c.Written) {
            EXPECT_EQ(std::filesystem::file_size(config), 40u) << c.Name;
        }
        // The icons follow the options whatever the dialog's result.
        const bool inUse = c.Ok;
        EXPECT_EQ(form.Tree->topLevelItem(TMainForm::InitialNode)->data(0, Qt::UserRole).toBool(), inUse) << c.Name;
        EXPECT_EQ(form.Tree->topLevelItem(TMainForm::InelasticNode)->data(0, Qt::UserRole).toBool(), inUse) << c.Name;
        EXPECT_FALSE(form.Tree->topLevelItem(TMainForm::EventsNode)->data(0, Qt::UserRole).toBool()) << c.Name;
    }
}

TEST(TMainForm, SavedErrorOfTheOptionsFileIsShown) {
    MainFormFixture f;
    TMainForm& form = f.Form();
    form.Program.ConfigFilePath = f.dir.File("no/such/folder/vantrel.cfg");
    f.OnDialog = [&](QDialog& dialog) {
        auto* options = qobject_cast<TOptionsDlg*>(&dialog);
        dialog.show();
        options->SaveOptionsBox->setChecked(true);
        options->OkClick();
        return dialog.result();
    };
    form.SimulationItem->trigger();
    ASSERT_EQ(f.recorder.Messages.size(), 1u);
    EXPECT_EQ(f.recorder.Messages[0].first, MessageKind::Error);
    EXPECT_EQ(f.recorder.Messages[0].second, ToQt("Error writing options to " + form.Program.ConfigFilePath + "."));
}

TEST(TMainForm, ConfigurationAtStartUpSetsOptionsAndTreeIcons) {
    SimulationOptions saved;
    saved.LoadOptionsAtStart = true;
    saved.StoreInelastic = true;
    saved.UseOR = true;
    saved.LogBufferLines = 1234;
    MainFormFixture f([&](const TempDir& dir) {
        const OptionsRecord record = EncodeOptions(saved);
        dir.Write("vantrel.cfg", std::string(record.begin(), record.end()));
    });
    TMainForm& form = f.Form();
    EXPECT_EQ(EncodeOptions(form.Program.Options), EncodeOptions(saved));
    EXPECT_EQ(form.Program.ConfigFilePath, f.dir.File("vantrel.cfg"));
    const bool expected[] = {true, true, true, true, true, true, false, true, true};
    for (int node = 0; node < TMainForm::NodeCount; ++node)
        EXPECT_EQ(form.Tree->topLevelItem(node)->data(0, Qt::UserRole).toBool(), expected[node]) << node;

    EXPECT_EQ(form.Tree->topLevelItem(TMainForm::InitialNode)->toolTip(0), "Initial conditions (not in use)");
    EXPECT_EQ(form.Tree->topLevelItem(TMainForm::EventsNode)->toolTip(0), "Inelastic events");

    MainFormFixture fresh;
    const bool defaults[] = {true, true, true, true, true, false, false, true, false};
    for (int node = 0; node < TMainForm::NodeCount; ++node)
        EXPECT_EQ(fresh.Form().Tree->topLevelItem(node)->data(0, Qt::UserRole).toBool(), defaults[node]) << node;
}

TEST(TMainForm, EditMenuEnablesCutCopyAndDeleteOnlyWithASelection) {
    MainFormFixture f;
    TMainForm& form = f.Form();
    form.Log->AppendLine("  some text", ColourBlue, 500);
    emit form.EditMenu->aboutToShow();
    EXPECT_FALSE(form.CutItem->isEnabled());
    EXPECT_FALSE(form.CopyItem->isEnabled());
    EXPECT_FALSE(form.DeleteItem->isEnabled());
    EXPECT_TRUE(form.PasteItem->isEnabled());
    EXPECT_TRUE(form.UndoItem->isEnabled());
    EXPECT_TRUE(form.SelectAllItem->isEnabled());

    QTextCursor cursor = form.Log->textCursor();
    cursor.movePosition(QTextCursor::Start);
    cursor.movePosition(QTextCursor::Down);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    form.Log->setTextCursor(cursor);
    emit form.EditMenu->aboutToShow();
    EXPECT_TRUE(form.CutItem->isEnabled());
    EXPECT_TRUE(form.CopyItem->isEnabled());
    EXPECT_TRUE(form.DeleteItem->isEnabled());

    form.DeleteItem->trigger();
    EXPECT_EQ(f.LogTexts(), (std::vector<std::string>{"   ", ""}));
    form.UndoItem->trigger();
    EXPECT_EQ(f.LogTexts(), (std::vector<std::string>{"   ", "  some text"}));
    form.SelectAllItem->trigger();
    emit form.EditMenu->aboutToShow();
    EXPECT_TRUE(form.CopyItem->isEnabled());
}

TEST(TMainForm, ClearLogRemovesEveryLine) {
    MainFormFixture f;
    TMainForm& form = f.Form();
    form.Log->AppendLine("a", ColourRed, 500);
    form.ClearLogButton->trigger();
    EXPECT_EQ(form.Log->LineCount(), 0);
    EXPECT_TRUE(f.LogTexts().empty());
    LogLine(form, "next", ColourBlue);
    EXPECT_EQ(f.ColouredLog(), std::vector<std::string>{"blue|next"});
}

// Runs the event loop until it has waited for events for a while: the
// window has been idle.
void IdleFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

TEST(TMainForm, MemoryFigureChangesOnlyWhileShownAndIdle) {
    MainFormFixture f;
    TMainForm& form = f.Form();
    form.show();
    f.Bytes = 123456;
    IdleFor(20);
    EXPECT_EQ(form.MemoryLabel->text(), "") << "display off: nothing read";

    form.ShowMemoryItem->trigger();
    EXPECT_TRUE(form.MemoryDisplayOn());
    EXPECT_TRUE(form.ShowMemoryItem->isChecked());
    EXPECT_TRUE(form.MemoryLabel->isVisible());
    IdleFor(20);
    EXPECT_EQ(form.MemoryLabel->text(), "123456");

    // Inside a job only the run driver's one refresh shows a new figure.
    WriteJob(f);
    form.CheckInputFiles(false);
    std::vector<QString> shown;
    f.During = [&] {
        shown.push_back(form.MemoryLabel->text());
        f.Bytes = 999;
    };
    f.Bytes = 777;
    form.BeginButton->trigger();
    ASSERT_GT(shown.size(), 2u);
    for (const QString& text : shown) EXPECT_EQ(text, "777");
    EXPECT_EQ(form.MemoryLabel->text(), "777");
    IdleFor(20);
    EXPECT_EQ(form.MemoryLabel->text(), "999");

    form.ShowMemoryItem->trigger();
    EXPECT_FALSE(form.MemoryLabel->isVisible());
    EXPECT_FALSE(form.ShowMemoryItem->isChecked());
    f.Bytes = 5;
    IdleFor(20);
    EXPECT_EQ(form.MemoryLabel->text(), "999");
    form.hide();
}

// The PATH of the process, changed for one test.
class SearchPath {
public:
    explicit SearchPath(const QString& path) : old_(qgetenv("PATH")) { qputenv("PATH", path.toLocal8Bit()); }
    ~SearchPath() { qputenv("PATH", old_); }

private:
    QByteArray old_;
};

TEST(TMainForm, CompanionToolIsStartedFromTheSearchPathUnderEitherName) {
    MainFormFixture f;
    TMainForm& form = f.Form();
    EXPECT_TRUE(form.KestrinPath().endsWith("/kestrin22.exe"));
    EXPECT_TRUE(form.BracklePath().endsWith("/brackle22.exe"));
    const std::string tool = f.dir.Write("kestrin22", "#!/bin/sh\n");
    std::filesystem::permissions(tool, std::filesystem::perms::owner_all);
    const SearchPath path(ToQt(f.dir.Path().string()));
    form.KestrinItem->trigger();
    EXPECT_EQ(f.Started, QStringList{ToQt(tool)});
    EXPECT_TRUE(f.recorder.Messages.empty());
    EXPECT_TRUE(f.recorder.Requests.empty());
}

TEST(TMainForm, MissingCompanionToolIsReportedAndAnotherProgramOffered) {
    MainFormFixture f;
    TMainForm& form = f.Form();
    const SearchPath path(ToQt(f.dir.File("empty")));
    f.StartSucceeds = false;
    const std::string other = f.dir.Write("tool.sh", "#!/bin/sh\n");
    f.recorder.ChooserAnswers.push_back(ToQt(other));
    form.BrackleItem->trigger();
    ASSERT_EQ(f.recorder.Messages.size(), 2u);
    EXPECT_EQ(f.recorder.Messages[0], std::make_pair(MessageKind::Error, QString("brackle22.exe was not found.")));
    EXPECT_EQ(f.recorder.Messages[1], std::make_pair(MessageKind::Error, QString("tool.shwas not found on your path.")));
    ASSERT_EQ(f.recorder.Requests.size(), 1u);
    EXPECT_EQ(f.recorder.Requests[0].Title, "Execute Program");
    EXPECT_EQ(f.recorder.Requests[0].InitialName, "*.EXE");
    EXPECT_TRUE(f.recorder.Requests[0].Filter.startsWith("Executable files (*.EXE"));
    EXPECT_EQ(f.Started, QStringList{ToQt(other)});

    // A program chosen there that starts: no second message.
    f.StartSucceeds = true;
    f.recorder.Messages.clear();
    f.recorder.ChooserAnswers.push_back(ToQt(other));
    form.KestrinItem->trigger();
    EXPECT_EQ(f.recorder.Messages.size(), 1u);
    // Cancelled chooser: only the not-found message.
    f.recorder.Messages.clear();
    const int starts = f.Started.size();
    form.KestrinItem->trigger();
    EXPECT_EQ(f.recorder.Messages.size(), 1u);
    EXPECT_EQ(f.Started.size(), starts);
}

TEST(TMainForm, HelpCommandsOpenTheirTopics) {
    MainFormFixture f;
    TMainForm& form = f.Form();
    form.IntroductionItem->trigger();
    form.ShowHelpTopic(317);
    EXPECT_EQ(f.recorder.HelpTopics, (std::vector<int>{1, 317}));
    // The dialogs' Help buttons reach the same viewer.
    f.windows.FileDialog->HelpButton->click();
    f.windows.OptionsDlg->HelpButton->click();
    EXPECT_EQ(f.recorder.HelpTopics, (std::vector<int>{1, 317, 110, 310}));
}

TEST(TMainForm, F1InAnOpenMenuOpensTheTopicOfTheCommandUnderTheCursor) {
    MainFormFixture f;
    TMainForm& form = f.Form();
    form.show();
    const struct {
        QMenu* Menu;
        QAction* Active;
        int Topic;
    } cases[] = {{form.FileMenu, form.BatchRunItem, 140},
                 {form.FileMenu, form.BrackleItem, 195},
                 {form.OptionsMenu, form.ShowMemoryItem, 317},
                 {form.EditMenu, form.CopyItem, 200},
                 {form.OptionsMenu, nullptr, 300}};
    std::vector<int> expected;
    for (const auto& c : cases) {
        c.Menu->popup(form.mapToGlobal(QPoint(10, 10)));
        if (c.Active) c.Menu->setActiveAction(c.Active);
        QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
        QApplication::sendEvent(c.Menu, &f1);
        expected.push_back(c.Topic);
        EXPECT_FALSE(c.Menu->isVisible());
    }
    QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(form.Tree, &f1);
    expected.push_back(1);
    EXPECT_EQ(f.recorder.HelpTopics, expected);
    form.hide();
}

TEST(TMainForm, AboutBoxIsShownModally) {
    MainFormFixture f;
    f.Form().AboutItem->trigger();
    ASSERT_EQ(f.ModalDialogs.size(), 1u);
    EXPECT_EQ(f.ModalDialogs[0], f.windows.AboutForm.get());
}

TEST(TMainForm, FontAndPageColourCommandsRestyleTheLog) {
    MainFormFixture f;
    TMainForm& form = f.Form();
    MainFormServices services = form.Services();
    QFont offered;
    QFont chosen = form.Log->font();
    chosen.setPointSize(17);
    chosen.setItalic(true);
    services.ChooseFont = [&](QWidget*, const QFont& current) -> std::optional<QFont> {
        offered = current;
        return chosen;
    };
    services.ChooseColour = [](QWidget*, const QColor&) -> std::optional<QColor> { return QColor(250, 240, 200); };
    form.SetServices(services);
    const QFont before = form.Log->font();
    form.FontItem->trigger();
    EXPECT_EQ(offered, before);
    EXPECT_EQ(form.Log->font().pointSize(), 17);
    EXPECT_TRUE(form.Log->font().italic());
    form.PageColourItem->trigger();
    EXPECT_EQ(form.Log->palette().color(QPalette::Base), QColor(250, 240, 200));

    services.ChooseFont = [](QWidget*, const QFont&) -> std::optional<QFont> { return std::nullopt; };
    form.SetServices(services);
    form.FontItem->trigger();
    EXPECT_EQ(form.Log->font().pointSize(), 17) << "a cancelled dialog changes nothing";
}

TEST(TMainForm, PrintLogPrintsTheContentsWithAnEmptyJobTitle) {
    MainFormFixture f;
    TMainForm& form = f.Form();
    LogLine(form, "  printed line", ColourRed);
    const std::string pdf = f.dir.File("log.pdf");
    QString title = "unset";
    MainFormServices services = form.Services();
    services.SetUpPrinter = [&](QWidget*, QPrinter& printer) {
        title = printer.docName();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(ToQt(pdf));
        return true;
    };
    form.SetServices(services);
    form.PrintLogItem->trigger();
    EXPECT_EQ(title, "");
    EXPECT_EQ(testing::ReadFileBytes(pdf).substr(0, 5), "%PDF-");
}

TEST(TMainForm, GraphWindowIsShownByButtonAndMenu) {
    MainFormFixture f;
    TMainForm& form = f.Form();
    EXPECT_FALSE(f.windows.Graph->isVisible());
    form.ShowGraphClick();
    EXPECT_TRUE(f.windows.Graph->isVisible());
    f.windows.Graph->hide();
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
    QTimer* timer = windows.MainForm->SplashTimer;
    EXPECT_TRUE(timer->isSingleShot());
    EXPECT_EQ(timer->interval(), 1600);
    EXPECT_TRUE(timer->isActive());
    QTest::qWait(1200);
    EXPECT_TRUE(splash.isVisible());
    QTest::qWait(700);
    EXPECT_FALSE(splash.isVisible());
    EXPECT_FALSE(timer->isActive());
}

}  // namespace
}  // namespace vantrel
