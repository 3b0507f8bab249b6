// Jobs and batches run from the main window: the running state, the abort
// controls, the log the engine writes, the captions of a batch, and closing
// the window while a job runs.
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include "job/log.h"
#include "job/partner_lists.h"
#include "job/run_driver.h"
#include "tests/support/coloured_log.h"
#include "tests/support/job_files.h"
#include "tests/support/recording_ui.h"
#include "tests/ui/main_form_fixture.h"
#include "ui/graph_window.h"

namespace vantrel {
namespace {

using testing::MainFormFixture;
using testing::RecordingUserInterface;
using testing::JobFiles;
using testing::TempDir;

InputFileSet WriteJob(MainFormFixture& f, const JobFiles& job = {}) {
    InputFileSet files = job.Write(f.dir);
    files.Inelastic = "*.inl";
    f.Form().Inputs = files;
    f.Form().Outputs = JobFiles::Outputs(f.dir);
    f.Form().CheckInputFiles(false);
    return files;
}

JobFiles TwoRunJob() {
    JobFiles job;
    job.Impacts = {"0.3 0.4 3.0", "0.5 0.2 3.0"};
    return job;
}

int Count(const std::vector<std::string>& lines, const std::string& prefix) {
    int n = 0;
    for (const std::string& line : lines) n += line.rfind(prefix, 0) == 0;
    return n;
}

struct RunningStates {
    bool Begin, Cancel, Step, InputFiles, OutputFiles, Stepping, FileMenu, RunItem, GraphItem, About, Simulation;
    bool ClearLog, GraphButton, Edit, Options, ShowMemory, Font, PageColour, Accepting;
};

RunningStates Snapshot(TMainForm& f) {
    return {f.BeginButton->isEnabled(),  f.CancelButton->isEnabled(),      f.StepButton->isEnabled(),
            f.InputFilesButton->isEnabled(), f.OutputFilesButton->isEnabled(), f.EnableStepping->isEnabled(),
            f.FileMenu->menuAction()->isEnabled(), f.RunItem->isEnabled(),  f.GraphItem->isEnabled(),
            f.AboutItem->isEnabled(),    f.SimulationItem->isEnabled(),    f.ClearLogButton->isEnabled(),
            f.GraphButton->isEnabled(),  f.EditMenu->menuAction()->isEnabled(),
            f.OptionsMenu->menuAction()->isEnabled(), f.ShowMemoryItem->isEnabled(), f.FontItem->isEnabled(),
            f.PageColourItem->isEnabled(), f.Tree->AcceptingFiles()};
}

TEST(TMainFormJob, AWholeJobFillsTheLogWithTheEnginesColouredLinesAndReturnsToIdle) {
    MainFormFixture f;
    TMainForm& form = f.Form();
    const InputFileSet files = WriteJob(f, TwoRunJob());
    const std::size_t before = f.LogTexts().size();
    form.Pages->setCurrentWidget(form.ProjectPage);
    std::vector<QString> statusDuring;
    f.During = [&] { statusDuring.push_back(form.StatusField->text()); };

    form.RunItem->trigger();

    // The same job through the recording interface gives the same lines.
    RecordingUserInterface recording;
    ProgramContext program(recording);
    RunJob(program, files, JobFiles::Outputs(f.dir), false);
    std::vector<std::string> expected;
    for (const testing::UiEvent& e : recording.LogEvents())
        expected.push_back(e.Text.empty() ? "black|" : testing::ColourName(e.Colour) + "|" + e.Text);
    const std::vector<std::string> log = f.ColouredLog();
    ASSERT_GE(log.size(), before);
    EXPECT_EQ(std::vector<std::string>(log.begin() + static_cast<long>(before), log.end()), expected);
    EXPECT_EQ(Count(log, "magenta|  Run count: "), 2);
    EXPECT_GE(Count(log, "blue|"), 2);

    ASSERT_FALSE(f.Questions.empty());
    EXPECT_EQ(f.Questions[0].Text, "Proceed with simulation now?");
    EXPECT_EQ(f.Questions[0].Box, QuestionBox::ConfirmationTopLeft);
    EXPECT_EQ(form.Pages->currentWidget(), form.LogPage);
    ASSERT_FALSE(statusDuring.empty());
    EXPECT_TRUE(statusDuring.back().startsWith("Timesteps: ")) << statusDuring.back().toStdString();
    EXPECT_EQ(form.StatusField->text(), "Ready to run");
    EXPECT_FALSE(form.Running());
    EXPECT_TRUE(form.BeginButton->isEnabled());
    EXPECT_FALSE(form.CancelButton->isEnabled());
    EXPECT_TRUE(form.Tree->AcceptingFiles());
}

TEST(TMainFormJob, RunningStateDisablesWhatCouldStartAJobOrChangeFiles) {
    for (const bool stepping : {false, true}) {
        MainFormFixture f;
        TMainForm& form = f.Form();
        WriteJob(f);
        form.EnableStepping->setChecked(stepping);
        std::optional<RunningStates> during;
        std::size_t requestsDuring = 0;
        f.During = [&] {
            if (during) return;
            during = Snapshot(form);
            // Double clicks and drops are refused meanwhile.
            form.TreeDoubleClick(TMainForm::ProjectileNode);
            requestsDuring = f.recorder.Requests.size();
            form.DropFiles({ToQt(f.dir.Write("late.prj", "x\n"))});
        };
        const std::string projectile = form.Inputs.Projectile;
        form.BeginButton->trigger();
        ASSERT_TRUE(during.has_value());
        const RunningStates& s = *during;
        EXPECT_FALSE(s.Begin);
        EXPECT_TRUE(s.Cancel);
        EXPECT_EQ(s.Step, stepping);
        EXPECT_FALSE(s.InputFiles);
        EXPECT_FALSE(s.OutputFiles);
        EXPECT_FALSE(s.Stepping);
        EXPECT_FALSE(s.FileMenu);
        EXPECT_FALSE(s.RunItem);
        EXPECT_FALSE(s.GraphItem);
        EXPECT_FALSE(s.About);
        EXPECT_FALSE(s.Simulation);
        EXPECT_TRUE(s.ClearLog);
        EXPECT_TRUE(s.GraphButton);
        EXPECT_TRUE(s.Edit);
        EXPECT_TRUE(s.Options);
        EXPECT_TRUE(s.ShowMemory);
        EXPECT_TRUE(s.Font);
        EXPECT_TRUE(s.PageColour);
        EXPECT_FALSE(s.Accepting);
        EXPECT_EQ(requestsDuring, 0u);
        EXPECT_EQ(form.Inputs.Projectile, projectile);

        const RunningStates idle = Snapshot(form);
        EXPECT_TRUE(idle.Begin);
        EXPECT_FALSE(idle.Cancel);
        EXPECT_FALSE(idle.Step);
        EXPECT_TRUE(idle.InputFiles && idle.OutputFiles && idle.Stepping && idle.FileMenu && idle.RunItem);
        EXPECT_TRUE(idle.About && idle.Simulation && idle.Accepting);
    }
}

TEST(TMainFormJob, DecliningTheSummaryEndsTheJobAndStillReturnsToIdle) {
    MainFormFixture f;
    TMainForm& form = f.Form();
    WriteJob(f);
    f.DefaultAnswer = false;
    form.BeginButton->trigger();
    EXPECT_EQ(f.ColouredLog().back(), "red|  ...Simulation aborted");
    EXPECT_EQ(f.EventRounds, 0);
    EXPECT_EQ(form.StatusField->text(), "Ready to run");
    EXPECT_TRUE(form.BeginButton->isEnabled());
}

TEST(TMainFormJob, CancelAsksToAbortAndAConfirmedAbortEndsTheJob) {
    MainFormFixture f;
    TMainForm& form = f.Form();
    WriteJob(f, TwoRunJob());
    bool pressed = false;
    f.During = [&] {
        if (pressed) return;
        pressed = true;
        form.CancelButton->trigger();
        EXPECT_TRUE(form.Program.AbortRequested);
    };
    form.BeginButton->trigger();
    const std::vector<QString> questions = f.QuestionTexts();
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_EQ(questions[1], AbortQuestionText);
    EXPECT_EQ(f.Questions[1].Box, QuestionBox::Confirmation);
    EXPECT_EQ(Count(f.LogTexts(), "  Run count: "), 1) << "the second run is not started";
}

TEST(TMainFormJob, StepEndsTheRunAndTheJobGoesOn) {
    MainFormFixture f;
    TMainForm& form = f.Form();
    WriteJob(f, TwoRunJob());
    form.EnableStepping->setChecked(true);
    int rounds = 0;
    f.During = [&] {
        if (++rounds == 2) {
            form.StepButton->trigger();
            EXPECT_TRUE(form.Program.AbortNow);
        }
    };
    form.BeginButton->trigger();
    EXPECT_EQ(f.QuestionTexts(), std::vector<QString>{"Proceed with simulation now?"});
    EXPECT_EQ(Count(f.LogTexts(), "  Run count: "), 2);
}

TEST(TMainFormJob, CtrlBreakSetsTheAbortRequestBeforeTheControlsSeeIt) {
    MainFormFixture f;
    TMainForm& form = f.Form();
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
        form.Program.AbortRequested = false;
        QKeyEvent press(QEvent::KeyPress, k.Key, k.Modifiers);
        QApplication::sendEvent(form.Log, &press);
        EXPECT_EQ(form.Program.AbortRequested, k.Aborts) << k.Name;
    }
    // The key reaches the log's text only when it is not the break key.
    EXPECT_EQ(form.Log->LineCount(), 1);
}

TEST(TMainFormJob, BoxesOfTheEngineReachTheUserWithLineBreaks) {
    MainFormFixture f;
    TMainForm& form = f.Form();
    ShowError(form, "first\rsecond");
    form.WarningBox("careful\r\nnow");
    form.Beep();
    form.ExpressionError("Error type: syntax error\rx > \r ^");
    EXPECT_EQ(form.AskYesNo("Mass differs.\rGo on?", QuestionKind::Warning), true);
    ASSERT_EQ(f.recorder.Messages.size(), 2u);
    EXPECT_EQ(f.recorder.Messages[0], std::make_pair(MessageKind::Error, QString("first\nsecond")));
    EXPECT_EQ(f.recorder.Messages[1], std::make_pair(MessageKind::Warning, QString("careful\nnow")));
    EXPECT_EQ(f.recorder.Beeps, 1);
    EXPECT_EQ(f.ExpressionErrors, QStringList{"Error type: syntax error\nx > \n ^"});
    ASSERT_EQ(f.Questions.size(), 1u);
    EXPECT_EQ(f.Questions[0].Box, QuestionBox::Warning);
    EXPECT_EQ(f.Questions[0].Text, "Mass differs.\nGo on?");
    ShowStatusText(form, std::string(70, 's'));
    EXPECT_EQ(form.StatusField->text(), QString(50, 's'));
}

TEST(TMainFormJob, SnapshotsReachTheGraphWindowOnlyWhileItIsShown) {
    MainFormFixture f;
    TMainForm& form = f.Form();
    TGraph& graph = *f.windows.Graph;
    std::vector<double> x{0.0, 2e-10}, y{0.0, 0.0}, z{-5e-10, 0.0};
    std::vector<std::uint32_t> flags{0, 0};
    PlotSnapshot snapshot{x.data(), y.data(), z.data(), flags.data(), 1, 1e-14f};
    const QImage blank = graph.Picture();
    form.PlotUpdate(snapshot);
    EXPECT_EQ(graph.Picture(), blank);
    form.ShowGraphClick();
    form.PlotReset();
    const QImage reset = graph.Picture();
    form.PlotUpdate(snapshot);
    EXPECT_NE(graph.Picture(), reset);
    graph.hide();
}

std::string BatchItemLines(const std::string& title, const InputFileSet& in, const OutputFileSet& out) {
    return title + "\n" + in.Projectile + "\n" + in.Target + "\n" + in.Model + "\n" + in.Run + "\n" + in.Impact +
           "\n" + in.Inelastic + "\n" + out.InitialConditions + "\n" + out.DynamicalVariables + "\n" +
           out.InelasticEvents + "\n";
}

TEST(TMainFormJob, ABatchOfTwoItemsShowsBothCaptionsInTurn) {
    MainFormFixture f;
    TMainForm& form = f.Form();
    const InputFileSet files = JobFiles{}.Write(f.dir);
    OutputFileSet first = JobFiles::Outputs(f.dir);
    OutputFileSet second = first;
    second.DynamicalVariables = f.dir.File("second.vsk");
    const std::string bdf = f.dir.Write(
        "two.bdf", BatchItemLines("Ar on Cu", files, first) + BatchItemLines("again, other output", files, second));
    f.recorder.ChooserAnswers.push_back(ToQt(bdf));

    QSignalSpy captions(&form, &QWidget::windowTitleChanged);
    std::vector<QString> hintsDuring;
    std::vector<bool> cancelDuring;
    f.During = [&] {
        hintsDuring.push_back(form.CancelButton->toolTip());
        cancelDuring.push_back(form.CancelButton->isEnabled());
    };
    form.BatchRunItem->trigger();

    ASSERT_EQ(f.recorder.Requests.size(), 1u);
    EXPECT_EQ(f.recorder.Requests[0].Title, "Batch definition file");
    EXPECT_EQ(f.recorder.Requests[0].Filter, "Batch definition file (*.bdf);;Any file (*)");
    EXPECT_EQ(f.recorder.Requests[0].InitialName, "*.bdf");
    EXPECT_EQ(f.QuestionTexts(), std::vector<QString>{"Proceed with batch jobs?"});

    std::vector<QString> seen;
    for (const QList<QVariant>& change : captions) seen.push_back(change.at(0).toString());
    EXPECT_EQ(seen, (std::vector<QString>{"Vantrel 1.0 (batch item #1 Ar on Cu)",
                                          "Vantrel 1.0 (batch item #2 again, other output)", "Vantrel 1.0"}));
    ASSERT_FALSE(hintsDuring.empty());
    for (const QString& hint : hintsDuring) EXPECT_EQ(hint, "Abort current batch job.");
    for (bool enabled : cancelDuring) EXPECT_TRUE(enabled);
    EXPECT_EQ(Count(f.LogTexts(), "  Run count: "), 2);
    EXPECT_EQ(form.CancelButton->toolTip(), "Halt simulation.");
    EXPECT_EQ(form.StatusField->text(), "Ready to run");
    EXPECT_EQ(form.NodeText(TMainForm::DynamicalNode), ToQt(second.DynamicalVariables));
    EXPECT_EQ(form.Outputs.DynamicalVariables, second.DynamicalVariables);
    EXPECT_TRUE(form.BeginButton->isEnabled());
    EXPECT_TRUE(form.GraphButton->isEnabled());
    EXPECT_FALSE(form.CancelButton->isEnabled());
    EXPECT_TRUE(form.Tree->AcceptingFiles());
    EXPECT_FALSE(form.Running());
}

TEST(TMainFormJob, BatchStopsBeforeItStartsWhenTheFileIsMissingOrDeclined) {
    MainFormFixture f;
    TMainForm& form = f.Form();
    const std::string missing = f.dir.File("none.bdf");
    f.recorder.ChooserAnswers.push_back(ToQt(missing));
    form.BatchRunItem->trigger();
    ASSERT_EQ(f.recorder.Messages.size(), 1u);
    EXPECT_EQ(f.recorder.Messages[0].second, ToQt("File not found: " + missing + "."));
    EXPECT_TRUE(f.Questions.empty());

    const std::string bdf = f.dir.Write("one.bdf", "t\n");
    f.recorder.ChooserAnswers.push_back(ToQt(bdf));
    f.DefaultAnswer = false;
    form.BatchRunItem->trigger();
    EXPECT_EQ(f.QuestionTexts(), std::vector<QString>{"Proceed with batch jobs?"});
    EXPECT_EQ(f.recorder.Messages.size(), 1u) << "declined: the file is not even read";
    EXPECT_EQ(form.windowTitle(), "Vantrel 1.0");

    form.BatchRunItem->trigger();  // chooser cancelled
    EXPECT_EQ(f.Questions.size(), 1u);
}

TEST(TMainFormJob, StepInABatchAsksWhetherToAbortTheRemainingItems) {
    MainFormFixture f;
    TMainForm& form = f.Form();
    const InputFileSet files = JobFiles{}.Write(f.dir);
    const OutputFileSet outputs = JobFiles::Outputs(f.dir);
    const std::string bdf = f.dir.Write("three.bdf", BatchItemLines("one", files, outputs) +
                                                         BatchItemLines("two", files, outputs) +
                                                         BatchItemLines("three", files, outputs));
    f.recorder.ChooserAnswers.push_back(ToQt(bdf));
    form.EnableStepping->setChecked(true);
    int rounds = 0;
    f.During = [&] {
        if (++rounds == 1) form.StepButton->trigger();
    };
    f.Answers = {true /* proceed */, true /* abort remaining */};
    form.BatchRunItem->trigger();
    EXPECT_EQ(f.QuestionTexts(), (std::vector<QString>{"Proceed with batch jobs?", "Abort remaining batch jobs?"}));
    EXPECT_EQ(Count(f.LogTexts(), "  Run count: "), 1);
    EXPECT_EQ(form.windowTitle(), "Vantrel 1.0");
}

TEST(TMainFormJob, ClosingDuringAJobLetsItFinishThenCloses) {
    MainFormFixture f;
    TMainForm& form = f.Form();
    WriteJob(f, TwoRunJob());
    form.show();
    QSignalSpy closed(&form, &TMainForm::Closed);
    bool asked = false;
    f.During = [&] {
        if (asked) return;
        asked = true;
        form.close();
        EXPECT_TRUE(form.isVisible()) << "the window stays while the job runs";
        EXPECT_TRUE(form.ClosePending());
    };
    form.BeginButton->trigger();
    ASSERT_EQ(f.Questions.size(), 2u);
    EXPECT_EQ(f.Questions[1].Box, QuestionBox::OkCancel);
    EXPECT_EQ(f.Questions[1].Text,
              "Vantrel will shut down at the end of the simulation currently running.\n"
              "(Hint: use Ctrl-Break to abort the simulation now.)");
    EXPECT_EQ(Count(f.LogTexts(), "  Run count: "), 2) << "both runs of the job ran";
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(closed.count(), 1);
}

TEST(TMainFormJob, ClosingDuringAJobCanBeCancelled) {
    MainFormFixture f;
    TMainForm& form = f.Form();
    WriteJob(f);
    form.show();
    QSignalSpy closed(&form, &TMainForm::Closed);
    f.Answers = {true /* proceed */, false /* cancel the close */};
    bool asked = false;
    f.During = [&] {
        if (!asked) form.close();
        asked = true;
    };
    form.BeginButton->trigger();
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.ClosePending());
    EXPECT_EQ(closed.count(), 0);
    form.hide();
}

TEST(TMainFormJob, ClosingWhenIdleAsksOnce) {
    MainFormFixture f;
    TMainForm& form = f.Form();
    form.show();
    QSignalSpy closed(&form, &TMainForm::Closed);
    f.DefaultAnswer = false;
    form.close();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(closed.count(), 0);
    f.DefaultAnswer = true;
    form.close();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(closed.count(), 1);
    ASSERT_EQ(f.Questions.size(), 2u);
    for (const testing::AskedQuestion& q : f.Questions) {
        EXPECT_EQ(q.Text, "This will shut down Vantrel now.");
        EXPECT_EQ(q.Box, QuestionBox::OkCancel);
    }
}

}  // namespace
}  // namespace vantrel
