// The job controller alone, without a window: the enabling rules, the
// input-file check, file names from choosers and drops, jobs, batches, the
// memory display, the companion tools and the close policy.
#include "ui/job_controller.h"

#include <QDir>

#include <gtest/gtest.h>

#include "core/options.h"
#include "io/config_file.h"
#include "job/log.h"
#include "job/partner_lists.h"
#include "job/run_driver.h"
#include "tests/support/recording_ui.h"
#include "tests/ui/controller_fixture.h"

namespace vantrel {
namespace {

using testing::ControllerFixture;
using testing::JobFiles;
using testing::TempDir;

JobFiles TwoRunJob() {
    JobFiles job;
    job.Impacts = {"0.3 0.4 3.0", "0.5 0.2 3.0"};
    return job;
}

TEST(CommandEnabled, EachRuleFollowsTheStateThePermitsAndTheBoxes) {
    using A = Availability;
    const CommandPermits all = CommandPermit::Begin | CommandPermit::Run | CommandPermit::GraphButton |
                               CommandPermit::GraphItem;
    const CommandPermits none;
    const struct {
        A Rule;
        JobState State;
        CommandPermits Permits;
        bool Stepping, Selection, Enabled;
    } cases[] = {
        {A::Always, JobState::Running, none, false, false, true},
        {A::WhenIdle, JobState::Idle, none, false, false, true},
        {A::WhenIdle, JobState::BatchBetween, none, false, false, true},
        {A::WhenIdle, JobState::Running, all, false, false, false},
        {A::WhenIdle, JobState::BatchItem, all, false, false, false},
        {A::WhenRunning, JobState::Idle, all, false, false, false},
        {A::WhenRunning, JobState::BatchItem, none, false, false, true},
        {A::Step, JobState::Running, none, false, false, false},
        {A::Step, JobState::Running, none, true, false, true},
        {A::Step, JobState::Idle, none, true, false, false},
        {A::Begin, JobState::Idle, CommandPermit::Begin, false, false, true},
        {A::Begin, JobState::Idle, CommandPermit::Run, false, false, false},
        {A::Begin, JobState::Running, all, false, false, false},
        {A::Run, JobState::Idle, CommandPermit::Run, false, false, true},
        {A::Run, JobState::Idle, CommandPermit::Begin, false, false, false},
        {A::GraphButton, JobState::Running, CommandPermit::GraphButton, false, false, true},
        {A::GraphButton, JobState::Idle, CommandPermit::GraphItem, false, false, false},
        {A::GraphItem, JobState::Idle, CommandPermit::GraphItem, false, false, true},
        {A::GraphItem, JobState::Running, all, false, false, true},  // Ctrl+G during a run
        {A::GraphItem, JobState::Running, CommandPermit::GraphButton, false, false, false},
        {A::Never, JobState::Idle, all, true, true, false},
        {A::Selection, JobState::Idle, all, false, false, false},
        {A::Selection, JobState::Running, none, false, true, true},
    };
    for (const auto& c : cases) {
        const CommandFacts facts{c.State, c.Permits, c.Stepping, c.Selection};
        EXPECT_EQ(CommandEnabled(c.Rule, facts), c.Enabled)
            << "rule " << static_cast<int>(c.Rule) << " state " << static_cast<int>(c.State);
    }
}

TEST(JobController, StartsIdleWithoutPermitsAndWithTheOutputNamesAsFullPaths) {
    ControllerFixture f;
    const JobController& c = f.controller;
    EXPECT_EQ(c.State(), JobState::Idle);
    EXPECT_EQ(c.Permits(), CommandPermits());
    EXPECT_EQ(c.Caption(), "Vantrel 1.0");
    const std::string cwd = QDir::currentPath().toStdString();
    const std::string expected[] = {"*.prj", "*.trg", "*.run", "*.mdl", "*.imp", "*.inl",
                                    cwd + "/inivars.vsk", cwd + "/dynvars.vsk", cwd + "/inelast.dat"};
    for (int role = 0; role < FileRoleCount; ++role)
        EXPECT_EQ(c.FileName(static_cast<FileRole>(role)), expected[role]) << role;
    EXPECT_TRUE(c.KestrinPath().endsWith("/kestrin22.exe"));
    EXPECT_TRUE(c.BracklePath().endsWith("/brackle22.exe"));
}

TEST(JobController, ConfigurationAtStartUpSetsTheOptionsAndWhichFilesAreInUse) {
    SimulationOptions saved;
    saved.LoadOptionsAtStart = true;
    saved.StoreInelastic = true;
    saved.UseOR = true;
    saved.LogBufferLines = 1234;
    ControllerFixture f([&](const TempDir& dir) {
        const OptionsRecord record = EncodeOptions(saved);
        dir.Write("vantrel.cfg", std::string(record.begin(), record.end()));
    });
    EXPECT_EQ(EncodeOptions(f.controller.Program().Options), EncodeOptions(saved));
    EXPECT_EQ(f.controller.Program().ConfigFilePath, f.dir.File("vantrel.cfg"));
    const bool inUse[] = {true, true, true, true, true, true, false, true, true};
    const bool byDefault[] = {true, true, true, true, true, false, false, true, false};
    ControllerFixture fresh;
    for (int role = 0; role < FileRoleCount; ++role) {
        EXPECT_EQ(f.controller.FileInUse(static_cast<FileRole>(role)), inUse[role]) << role;
        EXPECT_EQ(fresh.controller.FileInUse(static_cast<FileRole>(role)), byDefault[role]) << role;
    }
}

TEST(JobController, CompleteInputsPermitEverythingListTheFilesAndNameTheTarget) {
    ControllerFixture f;
    const InputFileSet files = f.WriteJob();
    EXPECT_EQ(f.controller.Permits(), CommandPermit::Begin | CommandPermit::Run | CommandPermit::GraphButton |
                                          CommandPermit::GraphItem);
    EXPECT_EQ(f.Caption(), "Vantrel 1.0 (job.trg...)");
    EXPECT_EQ(f.Status(), "Ready to run");
    // Dark green, the inelastic file left out while no model needs it, then an empty line.
    EXPECT_EQ(f.Log, (std::vector<std::string>{"darkgreen|  " + files.Projectile, "darkgreen|  " + files.Target,
                                               "darkgreen|  " + files.Run, "darkgreen|  " + files.Model,
                                               "darkgreen|  " + files.Impact, "darkgreen|"}));
}

TEST(JobController, AnInelasticModelMakesTheInelasticFileRequired) {
    for (bool SimulationOptions::*model :
         {&SimulationOptions::UseLSS, &SimulationOptions::UseCooling, &SimulationOptions::UseImagePotential}) {
        ControllerFixture f;
        f.controller.Program().Options.*model = true;
        InputFileSet files = f.WriteJob();
        EXPECT_EQ(f.controller.Permits(), CommandPermits());
        EXPECT_EQ(f.Caption(), "Vantrel 1.0");
        EXPECT_EQ(f.Status(), "Specify input files");
        EXPECT_TRUE(f.Log.empty()) << "no file list without a complete set";

        files.Inelastic = f.dir.Write("job.inl", "any\n");
        f.controller.SetInputs(files);
        f.controller.CheckInputFiles();
        ASSERT_EQ(f.Log.size(), 7u);
        EXPECT_EQ(f.Log[5], "darkgreen|  " + files.Inelastic);
    }
}

TEST(JobController, AFileGoneMissingTakesBeginAndRunButKeepsTheGraphCommands) {
    ControllerFixture f;
    const InputFileSet files = f.WriteJob();
    std::filesystem::remove(files.Impact);
    f.controller.CheckInputFiles();
    EXPECT_EQ(f.controller.Permits(), CommandPermit::GraphButton | CommandPermit::GraphItem);
    EXPECT_EQ(f.Caption(), "Vantrel 1.0");
    EXPECT_EQ(f.Status(), "Specify input files");
}

TEST(JobController, DroppedFileTakesItsRoleFromTheExtensionInAnyCase) {
    const struct {
        const char* Name;
        FileRole Role;
    } drops[] = {{"beam.Prj", FileRole::Projectile}, {"slab.TRG", FileRole::Target}, {"fast.run", FileRole::Run},
                 {"cu.mDl", FileRole::Model},        {"grid.IMP", FileRole::Impact}, {"losses.Inl", FileRole::Inelastic}};
    for (const auto& drop : drops) {
        ControllerFixture f;
        const std::string file = f.dir.Write(drop.Name, "x\n");
        f.controller.DropFiles({ToQt(file), ToQt(f.dir.Write("second.trg", "x\n"))});
        EXPECT_EQ(f.controller.FileName(drop.Role), file) << drop.Name;
        // Only the first dropped file counts.
        if (drop.Role != FileRole::Target) {
            EXPECT_EQ(f.controller.Inputs().Target, "*.trg") << drop.Name;
        }
        EXPECT_EQ(f.Status(), "Specify input files") << drop.Name << ": checked again";
    }
}

TEST(JobController, DroppedFileOfAnotherKindChangesNothingButChecksAgain) {
    ControllerFixture f;
    const InputFileSet files = f.WriteJob();
    const InputFileSet before = f.controller.Inputs();
    f.controller.DropFiles({ToQt(f.dir.Write("notes.txt", "x\n"))});
    EXPECT_EQ(f.controller.Inputs().Projectile, before.Projectile);
    EXPECT_EQ(f.controller.Inputs().Inelastic, before.Inelastic);
    EXPECT_EQ(f.LinesStartingWith("darkgreen|  " + files.Projectile), 2) << "a second file list";

    std::filesystem::remove(files.Model);
    f.controller.DropFiles({ToQt(f.dir.Write("more.txt", "x\n"))});
    EXPECT_FALSE(f.controller.Permits().testFlag(CommandPermit::Run));
}

TEST(JobController, ATreeNodeAsksForItsFileWithItsFilter) {
    ControllerFixture f;
    const std::string run = f.dir.Write("other.run", "x\n");
    const std::string events = f.dir.File("events.dat");
    const std::string oldInitial = f.controller.Outputs().InitialConditions;
    const QString inputFilter = "Projectile file (*.prj);;Target file (*.trg);;Run file  (*.run);;"
                                "Model file (*.mdl);;Impact file (*.imp);;Inelastic file (*.inl)";
    const QString outputFilter = "Vantrel output file (*.vsk);;Inelastic data file (*.dat)";
    const struct {
        FileRole Role;
        QString Answer;
        FileRequest::Kind Mode;
        const char* Title;
        QString Filter, Selected, Initial, Suffix;
        std::string After;
    } nodes[] = {
        {FileRole::Projectile, "", FileRequest::Kind::OpenExisting, "Select Projectile file", inputFilter,
         "Projectile file (*.prj)", "*.prj", "", "*.prj"},
        {FileRole::Run, ToQt(run), FileRequest::Kind::OpenExisting, "Select Run file", inputFilter,
         "Run file  (*.run)", "*.run", "", run},
        {FileRole::Inelastic, "", FileRequest::Kind::OpenExisting, "Select Inelastic file", inputFilter,
         "Inelastic file (*.inl)", "*.inl", "", "*.inl"},
        {FileRole::InelasticEvents, ToQt(events), FileRequest::Kind::Save, "Specify name of output file",
         outputFilter, "Inelastic data file (*.dat)", ToQt(f.controller.Outputs().InelasticEvents), "dat", events},
        {FileRole::InitialConditions, "", FileRequest::Kind::Save, "Specify name of output file", outputFilter,
         "Vantrel output file (*.vsk)", ToQt(oldInitial), "vsk", oldInitial},
    };
    for (const auto& n : nodes) {
        f.prompts.ChooserAnswers = {n.Answer};
        f.controller.ChooseFileOf(n.Role);
        const FileRequest& q = f.prompts.Requests.back();
        EXPECT_EQ(q.Mode, n.Mode) << n.Title;
        EXPECT_EQ(q.Title, n.Title);
        EXPECT_EQ(q.Filter, n.Filter);
        EXPECT_EQ(q.SelectedFilter, n.Selected);
        EXPECT_EQ(q.InitialName, n.Initial);
        EXPECT_EQ(q.DefaultSuffix, n.Suffix);
        EXPECT_EQ(f.controller.FileName(n.Role), n.After) << n.Title;
        EXPECT_EQ(f.Status(), "Specify input files") << "checked again after " << n.Title;
    }
}

// The output list after its dialog: TMainForm.OutputFileDialogListsTheNamesWhateverItsResult.
TEST(JobController, OptionsAfterTheirDialog) {
    ControllerFixture f;
    const std::string config = f.dir.File("vantrel.cfg");
    f.controller.OptionsClosed(false);
    EXPECT_FALSE(std::filesystem::exists(config));
    EXPECT_EQ(f.Status(), "Specify input files") << "the inputs are checked again";
    f.controller.OptionsClosed(true);
    EXPECT_EQ(std::filesystem::file_size(config), 40u);
    f.controller.Program().ConfigFilePath = f.dir.File("no/such/folder/vantrel.cfg");
    f.controller.OptionsClosed(true);
    ASSERT_EQ(f.prompts.Messages.size(), 1u);
    EXPECT_EQ(f.prompts.Messages[0],
              std::make_pair(MessageKind::Error, ToQt("Error writing options to " + f.dir.File("no/such/folder/vantrel.cfg") + ".")));
}

TEST(JobController, AWholeJobLogsWhatTheEngineLogsAndReturnsToIdleWithBeginPermitted) {
    ControllerFixture f;
    const InputFileSet files = f.WriteJob(TwoRunJob());
    f.Log.clear();
    f.Statuses.clear();
    std::vector<JobState> statesDuring;
    f.During = [&] { statesDuring.push_back(f.controller.State()); };
    f.controller.BeginSimulation();

    testing::RecordingUserInterface recording;
    ProgramContext program(recording);
    RunJob(program, files, JobFiles::Outputs(f.dir), false);
    EXPECT_EQ(f.Log, testing::ColouredLog(recording));
    EXPECT_EQ(f.LinesStartingWith("magenta|  Run count: "), 2);

    ASSERT_FALSE(f.prompts.Questions.empty());
    EXPECT_EQ(f.prompts.Questions[0],
              (testing::AskedQuestion{QuestionBox::ConfirmationTopLeft, "Proceed with simulation now?"}));
    ASSERT_GE(f.Statuses.size(), 3u);
    EXPECT_EQ(f.Statuses.front(), "Loading data, swapping memory...");
    EXPECT_TRUE(f.Statuses[f.Statuses.size() - 2].startsWith("Timesteps: "));
    EXPECT_EQ(f.Statuses.back(), "Ready to run");
    ASSERT_FALSE(statesDuring.empty());
    for (JobState s : statesDuring) EXPECT_EQ(s, JobState::Running);
    EXPECT_EQ(f.States, (std::vector<JobState>{JobState::Running, JobState::Idle}));
    EXPECT_TRUE(f.controller.Permits().testFlag(CommandPermit::Begin));
}

TEST(JobController, BeginIsPermittedAfterAJobWhateverTheFiles) {
    ControllerFixture f;
    const InputFileSet files = f.WriteJob();
    f.prompts.DefaultAnswer = false;  // the summary declined: the job ends at once
    std::filesystem::remove(files.Model);
    f.controller.CheckInputFiles();
    EXPECT_EQ(f.controller.Permits(), CommandPermit::GraphButton | CommandPermit::GraphItem);
    f.controller.BeginSimulation();  // started anyway, as a batch can leave it permitted
    EXPECT_TRUE(f.controller.Permits().testFlag(CommandPermit::Begin));
    EXPECT_FALSE(f.controller.Permits().testFlag(CommandPermit::Run));
}

TEST(JobController, DecliningTheSummaryEndsTheJobAndStillReturnsToIdle) {
    ControllerFixture f;
    f.WriteJob();
    f.prompts.DefaultAnswer = false;
    f.controller.BeginSimulation();
    EXPECT_EQ(f.Log.back(), "red|  ...Simulation aborted");
    EXPECT_EQ(f.EventRounds, 0);
    EXPECT_EQ(f.Status(), "Ready to run");
    EXPECT_EQ(f.controller.State(), JobState::Idle);
}

TEST(JobController, CancelAsksToAbortAndStepEndsOnlyTheRun) {
    const struct {
        const char* Name;
        void (JobController::*Press)();
        std::vector<QString> Questions;
        int Runs;
    } presses[] = {
        {"Cancel", &JobController::RequestAbort, {"Proceed with simulation now?", AbortQuestionText}, 1},
        {"Step", &JobController::StepRun, {"Proceed with simulation now?"}, 2},
    };
    for (const auto& p : presses) {
        ControllerFixture f;
        f.WriteJob(TwoRunJob());
        int rounds = 0;
        f.During = [&] {
            if (++rounds == 2) (f.controller.*p.Press)();
        };
        f.controller.BeginSimulation();
        EXPECT_EQ(f.prompts.QuestionTexts(), p.Questions) << p.Name;
        EXPECT_EQ(f.LinesStartingWith("magenta|  Run count: "), p.Runs) << p.Name;
    }
}

TEST(JobController, CommandsThatStartJobsOrChangeFilesAreRefusedWhileAJobRuns) {
    ControllerFixture f;
    const InputFileSet files = f.WriteJob();
    bool tried = false;
    f.During = [&] {
        if (tried) return;
        tried = true;
        f.controller.ChooseFileOf(FileRole::Projectile);
        f.controller.DropFiles({ToQt(f.dir.Write("late.prj", "x\n"))});
        f.controller.BatchRun();
        f.controller.BeginSimulation();
    };
    f.controller.BeginSimulation();
    EXPECT_TRUE(tried);
    EXPECT_TRUE(f.prompts.Requests.empty());
    EXPECT_EQ(f.controller.Inputs().Projectile, files.Projectile);
    EXPECT_EQ(f.LinesStartingWith("magenta|  Run count: "), 1);
}

TEST(JobController, BoxesOfTheEngineReachThePromptsWithLineBreaks) {
    ControllerFixture f;
    JobController& c = f.controller;
    ShowError(c, "first\rsecond");
    c.WarningBox("careful\r\nnow");
    c.Beep();
    c.ExpressionError("Error type: syntax error\rx > \r ^");
    EXPECT_TRUE(c.AskYesNo("Mass differs.\rGo on?", QuestionKind::Warning));
    c.AskYesNo("Sure?", QuestionKind::Confirmation);
    EXPECT_EQ(f.prompts.Messages, (std::vector<std::pair<MessageKind, QString>>{
                                      {MessageKind::Error, "first\nsecond"}, {MessageKind::Warning, "careful\nnow"}}));
    EXPECT_EQ(f.prompts.Beeps, 1);
    EXPECT_EQ(f.prompts.ExpressionErrors, QStringList{"Error type: syntax error\nx > \n ^"});
    EXPECT_EQ(f.prompts.Questions, (std::vector<testing::AskedQuestion>{{QuestionBox::Warning, "Mass differs.\nGo on?"},
                                                                         {QuestionBox::Confirmation, "Sure?"}}));
    ShowStatusText(c, std::string(70, 's'));
    EXPECT_EQ(f.Status(), QString(50, 's'));
    LogLine(c, "a\rb\nc", ColourRed);
    LogLine(c, std::string(130, 'm'), ColourMagenta);
    EXPECT_EQ(f.Log, (std::vector<std::string>{"red|a b c", "magenta|" + std::string(100, 'm')}));
}

TEST(JobController, MemoryFigureHasItsUnitAndTheWholeNumberInItsToolTip) {
    const struct {
        std::size_t Bytes;
        const char* Figure;
    } cases[] = {{999, "999 bytes"}, {123456, "123 kB"}, {6869808, "6.9 MB"}, {245000000, "245 MB"},
                 {12345678901, "12.3 GB"}};
    for (const auto& c : cases) EXPECT_EQ(MemoryFigureText(c.Bytes), c.Figure);
    EXPECT_EQ(MemoryDetailText(6869808), "Memory allocated by Vantrel: 6,869,808 bytes");
}

TEST(JobController, MemoryFigureIsShownOnlyWhileTheDisplayIsOnAndChanged) {
    ControllerFixture f;
    f.Bytes = 123456;
    f.controller.IdleRefresh();
    EXPECT_TRUE(f.Figures.isEmpty()) << "display off: nothing read";
    f.controller.ToggleMemoryDisplay();
    EXPECT_TRUE(f.controller.MemoryDisplayOn());
    f.controller.IdleRefresh();
    f.controller.IdleRefresh();
    EXPECT_EQ(f.Figures, QStringList{"123 kB"}) << "an unchanged figure is not shown again";

    // Inside a job the run driver refreshes it once before the first run.
    f.WriteJob();
    f.Bytes = 777;
    f.During = [&] { f.Bytes = 999; };
    f.controller.BeginSimulation();
    EXPECT_EQ(f.Figures, (QStringList{"123 kB", "777 bytes"}));

    f.controller.ToggleMemoryDisplay();
    f.controller.IdleRefresh();
    EXPECT_EQ(f.Figures.size(), 2);
}

// The PATH of the process, changed for one test.
class SearchPath {
public:
    explicit SearchPath(const QString& path) : old_(qgetenv("PATH")) { qputenv("PATH", path.toLocal8Bit()); }
    ~SearchPath() { qputenv("PATH", old_); }

private:
    QByteArray old_;
};

TEST(JobController, CompanionToolIsStartedFromTheSearchPathUnderEitherName) {
    ControllerFixture f;
    const std::string tool = f.dir.Write("kestrin22", "#!/bin/sh\n");
    std::filesystem::permissions(tool, std::filesystem::perms::owner_all);
    const SearchPath path(ToQt(f.dir.Path().string()));
    f.controller.StartKestrin();
    EXPECT_EQ(f.Started, QStringList{ToQt(tool)});
    EXPECT_TRUE(f.prompts.Messages.empty());
    EXPECT_TRUE(f.prompts.Requests.empty());
}

TEST(JobController, MissingCompanionToolIsReportedAndAnotherProgramOffered) {
    ControllerFixture f;
    const SearchPath path(ToQt(f.dir.File("empty")));
    const std::string other = f.dir.Write("tool.sh", "#!/bin/sh\n");
    const struct {
        bool Starts;
        QString Chosen;
        std::vector<QString> Messages;
    } cases[] = {
        {false, ToQt(other), {"brackle22.exe was not found.", "tool.shwas not found on your path."}},
        {true, ToQt(other), {"brackle22.exe was not found."}},
        {true, "", {"brackle22.exe was not found."}},  // chooser cancelled
    };
    for (const auto& c : cases) {
        f.prompts.Messages.clear();
        f.prompts.Requests.clear();
        f.Started.clear();
        f.StartSucceeds = c.Starts;
        f.prompts.ChooserAnswers = {c.Chosen};
        f.controller.StartBrackle();
        std::vector<QString> messages;
        for (const auto& [kind, text] : f.prompts.Messages) {
            EXPECT_EQ(kind, MessageKind::Error);
            messages.push_back(text);
        }
        EXPECT_EQ(messages, c.Messages);
        ASSERT_EQ(f.prompts.Requests.size(), 1u);
        EXPECT_EQ(f.prompts.Requests[0].Title, "Execute Program");
        // Programs here have no extension: no "*.EXE" filter hides them.
        EXPECT_EQ(f.prompts.Requests[0].InitialName, "");
        EXPECT_EQ(f.prompts.Requests[0].Filter, "Any file (*)");
        EXPECT_EQ(f.Started, c.Chosen.isEmpty() ? QStringList{} : QStringList{c.Chosen});
    }
}

std::string BatchItemLines(const std::string& title, const InputFileSet& in, const OutputFileSet& out) {
    return title + "\n" + in.Projectile + "\n" + in.Target + "\n" + in.Model + "\n" + in.Run + "\n" + in.Impact +
           "\n" + in.Inelastic + "\n" + out.InitialConditions + "\n" + out.DynamicalVariables + "\n" +
           out.InelasticEvents + "\n";
}

TEST(JobController, ABatchOfTwoItemsShowsBothCaptionsAndLeavesTheLastItemsFiles) {
    ControllerFixture f;
    const InputFileSet files = JobFiles{}.Write(f.dir);
    const OutputFileSet first = JobFiles::Outputs(f.dir);
    OutputFileSet second = first;
    second.DynamicalVariables = f.dir.File("second.vsk");
    const std::string bdf = f.dir.Write(
        "two.bdf", BatchItemLines("Ar on Cu", files, first) + BatchItemLines("again, other output", files, second));
    f.prompts.ChooserAnswers = {ToQt(bdf)};
    f.controller.BatchRun();

    ASSERT_EQ(f.prompts.Requests.size(), 1u);
    EXPECT_EQ(f.prompts.Requests[0].Title, "Batch definition file");
    EXPECT_EQ(f.prompts.Requests[0].Filter, "Batch definition file (*.bdf);;Any file (*)");
    EXPECT_EQ(f.prompts.Requests[0].InitialName, "*.bdf");
    EXPECT_EQ(f.prompts.QuestionTexts(), std::vector<QString>{"Proceed with batch jobs?"});
    EXPECT_EQ(f.Captions, (std::vector<QString>{"Vantrel 1.0 (batch item #1 Ar on Cu)",
                                                "Vantrel 1.0 (batch item #2 again, other output)", "Vantrel 1.0"}));
    using S = JobState;
    EXPECT_EQ(f.States, (std::vector<S>{S::BatchBetween, S::BatchItem, S::BatchBetween, S::BatchItem,
                                        S::BatchBetween, S::Idle}));
    EXPECT_EQ(f.LinesStartingWith("magenta|  Run count: "), 2);
    EXPECT_EQ(f.Status(), "Ready to run");
    EXPECT_EQ(f.controller.Outputs().DynamicalVariables, second.DynamicalVariables);
    EXPECT_EQ(f.controller.Permits(), CommandPermit::Begin | CommandPermit::GraphButton)
        << "the batch checks no input files: Run and the graph menu command stay as they were";
}

TEST(JobController, BatchStopsBeforeItStartsWhenTheFileIsMissingOrDeclined) {
    ControllerFixture f;
    const std::string missing = f.dir.File("none.bdf");
    const std::string bdf = f.dir.Write("one.bdf", "t\n");
    f.prompts.ChooserAnswers = {ToQt(missing), ToQt(bdf), ""};
    f.prompts.DefaultAnswer = false;
    for (int i = 0; i < 3; ++i) f.controller.BatchRun();
    EXPECT_EQ(f.prompts.Messages, (std::vector<std::pair<MessageKind, QString>>{
                                      {MessageKind::Error, ToQt("File not found: " + missing + ".")}}));
    EXPECT_EQ(f.prompts.QuestionTexts(), std::vector<QString>{"Proceed with batch jobs?"});
    EXPECT_TRUE(f.States.empty());
    EXPECT_TRUE(f.Captions.empty());
}

TEST(JobController, StepInABatchAsksWhetherToAbortTheRemainingItems) {
    ControllerFixture f;
    const InputFileSet files = JobFiles{}.Write(f.dir);
    const OutputFileSet outputs = JobFiles::Outputs(f.dir);
    const std::string bdf = f.dir.Write("three.bdf", BatchItemLines("one", files, outputs) +
                                                         BatchItemLines("two", files, outputs) +
                                                         BatchItemLines("three", files, outputs));
    f.prompts.ChooserAnswers = {ToQt(bdf)};
    int rounds = 0;
    f.During = [&] {
        if (++rounds == 1) f.controller.StepRun();
    };
    f.controller.BatchRun();
    EXPECT_EQ(f.prompts.QuestionTexts(),
              (std::vector<QString>{"Proceed with batch jobs?", "Abort remaining batch jobs?"}));
    EXPECT_EQ(f.LinesStartingWith("magenta|  Run count: "), 1);
    EXPECT_EQ(f.Caption(), "Vantrel 1.0");
}

TEST(JobController, ClosingAsksOnceAndWhileAJobRunsWaitsForItsEnd) {
    const struct {
        const char* Name;
        bool DuringJob;
        bool Answer;
        bool ClosesAtOnce;
        int CloseNows;
    } cases[] = {
        {"idle, OK", false, true, true, 0},
        {"idle, Cancel", false, false, false, 0},
        {"running, OK", true, true, false, 1},
        {"running, Cancel", true, false, false, 0},
    };
    for (const auto& c : cases) {
        ControllerFixture f;
        f.WriteJob(TwoRunJob());
        std::optional<bool> closes;
        if (c.DuringJob) {
            f.During = [&] {
                if (closes) return;
                f.prompts.DefaultAnswer = c.Answer;
                closes = f.controller.CloseRequested();
                EXPECT_EQ(f.controller.ClosePending(), c.Answer) << c.Name;
            };
            f.controller.BeginSimulation();
            EXPECT_EQ(f.LinesStartingWith("magenta|  Run count: "), 2) << c.Name << ": both runs ran";
        } else {
            f.prompts.DefaultAnswer = c.Answer;
            closes = f.controller.CloseRequested();
        }
        ASSERT_TRUE(closes.has_value()) << c.Name;
        EXPECT_EQ(*closes, c.ClosesAtOnce) << c.Name;
        EXPECT_EQ(f.CloseNows, c.CloseNows) << c.Name;
        const testing::AskedQuestion asked = f.prompts.Questions.back();
        EXPECT_EQ(asked.Box, QuestionBox::OkCancel) << c.Name;
        EXPECT_EQ(asked.Text, c.DuringJob ? CloseWhileRunningText : CloseText) << c.Name;
        // A close confirmed once is not asked again.
        const std::size_t asks = f.prompts.Questions.size();
        if (c.Answer) {
            EXPECT_TRUE(f.controller.CloseRequested()) << c.Name;
        }
        if (c.Answer) {
            EXPECT_EQ(f.prompts.Questions.size(), asks) << c.Name;
        }
    }
}

}  // namespace
}  // namespace vantrel
