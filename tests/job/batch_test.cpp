#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "job/batch.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

namespace vantrel {
namespace {

using testing::RecordingUserInterface;
using testing::TempDir;
using testing::UiCall;

// Five input files that exist, named after a stem, in dir.
struct ItemFiles {
    std::string Prj, Trg, Mdl, Run, Imp;
};

ItemFiles WriteInputs(const TempDir& dir, const std::string& stem) {
    return {dir.Write(stem + ".prj", "p\n"), dir.Write(stem + ".trg", "t\n"),
            dir.Write(stem + ".mdl", "m\n"), dir.Write(stem + ".run", "r\n"),
            dir.Write(stem + ".imp", "i\n")};
}

std::string ItemText(const std::string& title, const ItemFiles& f, const std::string& stem,
                     const char* eol = "\n") {
    std::string text;
    for (const std::string& line :
         {title, f.Prj, f.Trg, f.Mdl, f.Run, f.Imp, stem + ".inl", stem + "-ini.vsk",
          stem + "-dyn.vsk", stem + "-ev.dat"})
        text += line + eol;
    return text;
}

// The run driver's stand-in: records what it was given, answers from a
// script and may leave AbortNow set, as an aborted last run does.
struct FakeJobs {
    ProgramContext* Program = nullptr;
    std::vector<BatchItem> Seen;
    std::vector<JobOutcome> Outcomes;   // by call; Completed beyond the end
    std::vector<bool> LeaveAbortNow;    // by call; false beyond the end

    BatchJob Job() {
        return [this](const InputFileSet& in, const OutputFileSet& out) {
            const std::size_t k = Seen.size();
            Seen.push_back({"", in, out});
            Program->AbortNow = k < LeaveAbortNow.size() && LeaveAbortNow[k];
            return k < Outcomes.size() ? Outcomes[k] : JobOutcome::Completed;
        };
    }
};

struct BatchFixture : ::testing::Test {
    RecordingUserInterface Ui;
    ProgramContext Program{Ui};
    TempDir Dir;
    FakeJobs Jobs;
    std::vector<std::string> Hooks;  // what the window was told, in order
    BatchHooks WindowHooks;

    BatchFixture() {
        Jobs.Program = &Program;
        WindowHooks.BatchStarting = [this] { Hooks.push_back("starting"); };
        WindowHooks.ItemChosen = [this](const BatchItem& item) {
            Hooks.push_back("chosen " + item.Title);
        };
        WindowHooks.ItemStarting = [this](std::int32_t counter, const BatchItem& item) {
            Hooks.push_back(BatchItemCaption(counter, item.Title));
        };
        WindowHooks.ItemFinished = [this](const BatchItem& item, JobOutcome) {
            Hooks.push_back("finished " + item.Title);
        };
        WindowHooks.BatchFinished = [this] { Hooks.push_back("finished"); };
    }

    BatchResult Run(const std::string& text) {
        return RunBatchItems(Program, Dir.Write("jobs.bdf", text), WindowHooks, Jobs.Job());
    }
};

TEST_F(BatchFixture, TwentyLinesRunTwoJobsWithTheirFilesAndCaptions) {
    const ItemFiles a = WriteInputs(Dir, "a");
    const ItemFiles b = WriteInputs(Dir, "b");
    const BatchResult result = Run(ItemText("Ar on Cu", a, "a") + ItemText("Xe on Ag", b, "b"));

    EXPECT_EQ(result.End, BatchEnd::EndOfFile);
    EXPECT_EQ(result.ItemsRun, 2);
    EXPECT_EQ(result.ItemsCompleted, 2);
    EXPECT_EQ(Hooks, (std::vector<std::string>{
                         "starting", "chosen Ar on Cu", "Vantrel 1.0 (batch item #1 Ar on Cu)",
                         "finished Ar on Cu", "chosen Xe on Ag",
                         "Vantrel 1.0 (batch item #2 Xe on Ag)", "finished Xe on Ag",
                         "finished"}));
    ASSERT_EQ(Jobs.Seen.size(), 2u);
    const InputFileSet& in = Jobs.Seen[1].Inputs;
    EXPECT_EQ(in.Projectile, b.Prj);
    EXPECT_EQ(in.Target, b.Trg);
    EXPECT_EQ(in.Model, b.Mdl);
    EXPECT_EQ(in.Run, b.Run);
    EXPECT_EQ(in.Impact, b.Imp);
    EXPECT_EQ(in.Inelastic, "b.inl");
    const OutputFileSet& out = Jobs.Seen[1].Outputs;
    EXPECT_EQ(out.InitialConditions, "b-ini.vsk");
    EXPECT_EQ(out.DynamicalVariables, "b-dyn.vsk");
    EXPECT_EQ(out.InelasticEvents, "b-ev.dat");
    EXPECT_EQ(Ui.Texts(UiCall::Status),
              (std::vector<std::string>{"Running in batch mode", "Ready to run",
                                        "Running in batch mode", "Ready to run"}));
    EXPECT_TRUE(Ui.Texts(UiCall::ErrorBox).empty());
    EXPECT_TRUE(Ui.Texts(UiCall::Question).empty());
}

TEST_F(BatchFixture, MissingFileInTheThirdItemStopsAfterTheFirstTwo) {
    const ItemFiles a = WriteInputs(Dir, "a");
    ItemFiles c = WriteInputs(Dir, "c");
    c.Mdl = Dir.File("absent.mdl");
    const BatchResult result =
        Run(ItemText("one", a, "a") + ItemText("two", a, "a") + ItemText("three", c, "c") +
            ItemText("four", a, "a"));
    EXPECT_EQ(result.End, BatchEnd::MissingInput);
    EXPECT_EQ(result.ItemsRun, 2);
    EXPECT_EQ(Jobs.Seen.size(), 2u);
    EXPECT_EQ(Ui.Texts(UiCall::ErrorBox),
              std::vector<std::string>{
                  "One or more input files specified for the batch job was not found."});
    EXPECT_EQ(Hooks.back(), "finished");
    EXPECT_EQ(Hooks[Hooks.size() - 2], "finished two");
}

// Each of the five inputs is checked, a wildcard name counts as missing even
// when such a file exists, and a blank line after the last item reads as an
// item without files; the inelastic file is not checked.
TEST_F(BatchFixture, AnItemWithAMissingInputIsNotRun) {
    const ItemFiles good = WriteInputs(Dir, "g");
    const std::string wildcard = Dir.Write("*.run", "r\n");
    std::string ItemFiles::*roles[] = {&ItemFiles::Prj, &ItemFiles::Trg, &ItemFiles::Mdl,
                                       &ItemFiles::Run, &ItemFiles::Imp, &ItemFiles::Run};
    for (std::string ItemFiles::*role : roles) {
        ItemFiles bad = good;
        bad.*role = Dir.File("nothing-here");
        if (role == roles[5]) bad.*role = wildcard;
        Ui.Clear();
        Jobs.Seen.clear();
        EXPECT_EQ(Run(ItemText("bad", bad, "g")).End, BatchEnd::MissingInput) << bad.*role;
        EXPECT_TRUE(Jobs.Seen.empty());
        EXPECT_EQ(Ui.Texts(UiCall::ErrorBox).size(), 1u);
    }
    Ui.Clear();
    Jobs.Seen.clear();
    const BatchResult blank = Run(ItemText("one", good, "g") + ItemText("two", good, "g") + "\n");
    EXPECT_EQ(blank.End, BatchEnd::MissingInput);
    EXPECT_EQ(blank.ItemsRun, 2);
    EXPECT_EQ(Ui.Texts(UiCall::ErrorBox).size(), 1u);
    // The inelastic name "g.inl" does not exist; the item still runs.
    Jobs.Seen.clear();
    EXPECT_EQ(Run(ItemText("good", good, "g")).End, BatchEnd::EndOfFile);
    EXPECT_EQ(Jobs.Seen.size(), 1u);
}

TEST_F(BatchFixture, NamesAreUsedAsWritten) {
    // Relative names stay relative: the job opens them against the current
    // directory, which is where they are here.
    const ItemFiles a = WriteInputs(Dir, "a");
    ItemFiles relative = a;
    relative.Prj = std::filesystem::relative(a.Prj).string();
    ASSERT_NE(relative.Prj, a.Prj);
    Run(ItemText("rel", relative, "a"));
    ASSERT_EQ(Jobs.Seen.size(), 1u);
    EXPECT_EQ(Jobs.Seen[0].Inputs.Projectile, relative.Prj);
}

TEST_F(BatchFixture, AbortNowLeftByAJobAsksWhetherToAbortTheRest) {
    const ItemFiles a = WriteInputs(Dir, "a");
    const std::string text = ItemText("1", a, "a") + ItemText("2", a, "a") + ItemText("3", a, "a");

    Jobs.LeaveAbortNow = {false, true, false};
    Ui.Answers = {true};
    BatchResult result = Run(text);
    EXPECT_EQ(result.End, BatchEnd::UserAborted);
    EXPECT_EQ(result.ItemsRun, 2);
    ASSERT_EQ(Ui.Texts(UiCall::Question), std::vector<std::string>{"Abort remaining batch jobs?"});
    EXPECT_EQ(Ui.Events.back().Call, UiCall::Question);  // nothing after the Yes but the end

    Ui.Clear();
    Jobs.Seen.clear();
    Ui.Answers = {false};
    result = Run(text);
    EXPECT_EQ(result.End, BatchEnd::EndOfFile);
    EXPECT_EQ(result.ItemsRun, 3);
    EXPECT_EQ(Ui.Texts(UiCall::Question).size(), 1u);
}

TEST_F(BatchFixture, FailedJobDoesNotStopTheBatch) {
    const ItemFiles a = WriteInputs(Dir, "a");
    Jobs.Outcomes = {JobOutcome::Failed, JobOutcome::Declined, JobOutcome::Completed};
    const BatchResult result =
        Run(ItemText("1", a, "a") + ItemText("2", a, "a") + ItemText("3", a, "a"));
    EXPECT_EQ(result.End, BatchEnd::EndOfFile);
    EXPECT_EQ(result.ItemsRun, 3);
    EXPECT_EQ(result.ItemsCompleted, 1);
    EXPECT_TRUE(Ui.Texts(UiCall::Question).empty());
}

TEST_F(BatchFixture, UnreadableFileRunsNothingAndSaysSoAfterTheLoop) {
    const BatchResult result = RunBatchItems(Program, Dir.Path().string(), WindowHooks, Jobs.Job());
    EXPECT_EQ(result.End, BatchEnd::ReadError);
    EXPECT_TRUE(Jobs.Seen.empty());
    EXPECT_EQ(Hooks, (std::vector<std::string>{"starting", "finished"}));
    EXPECT_EQ(Ui.Texts(UiCall::ErrorBox),
              std::vector<std::string>{"Error reading batch definition file."});
}

TEST_F(BatchFixture, StopRequestEndsTheBatchBeforeTheNextItem) {
    const ItemFiles a = WriteInputs(Dir, "a");
    WindowHooks.StopRequested = [this] { return Jobs.Seen.size() == 1; };
    const BatchResult result = Run(ItemText("1", a, "a") + ItemText("2", a, "a"));
    EXPECT_EQ(result.End, BatchEnd::Stopped);
    EXPECT_EQ(result.ItemsRun, 1);
    EXPECT_TRUE(Ui.Texts(UiCall::ErrorBox).empty());
}

TEST(BatchFile, MissingChosenFileIsReportedWithItsName) {
    RecordingUserInterface ui;
    TempDir dir;
    EXPECT_FALSE(CheckBatchFileExists(ui, dir.File("gone.bdf")));
    EXPECT_EQ(ui.Texts(UiCall::ErrorBox),
              std::vector<std::string>{"File not found: " + dir.File("gone.bdf") + "."});
    EXPECT_TRUE(CheckBatchFileExists(ui, dir.Write("here.bdf", "")));
    EXPECT_EQ(ui.Texts(UiCall::ErrorBox).size(), 1u);
}

}  // namespace
}  // namespace vantrel
