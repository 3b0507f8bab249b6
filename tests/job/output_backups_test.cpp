// A job's output files and the files of the job before it: nothing is lost
// when a job cannot start, and a finished job keeps the older files as
// backups and says so.
#include "job/output_backups.h"

#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

#include "job/run_driver.h"
#include "tests/support/job_files.h"
#include "tests/support/recording_ui.h"
#include "tests/support/test_job.h"
#include "tests/support/temp_dir.h"

namespace vantrel {
namespace {

using testing::JobFiles;
using testing::ReadFileBytes;
using testing::RecordingUserInterface;
using testing::ReplaceLine;
using testing::TempDir;

const std::string Previous = "the previous job's results\n";

// Every output on: a sample per run, initial conditions and LSS events.
JobFiles EveryOutput() {
    JobFiles job;
    job.SampleMode = 1;
    job.MaxTimeFs = 4;
    job.Impacts = {"0 0 3", "0.2 0.1 3"};
    job.InelasticText = "LSS\n1\n18 1.0 1.0\n0.0\nOR\n0\n2.0\n1.0\nST\n0\n";
    return job;
}

TEST(OutputBackups, JobThatCannotStartLeavesThePreviousFilesAndNoStagedFile) {
    const std::string model = ReadFileBytes(std::string(VANTREL_SOURCE_DIR) + "/examples/ar_cu100.mdl");
    std::size_t twelveLines = 0;
    for (int k = 0; k < 12; ++k) twelveLines = model.find('\n', twelveLines) + 1;
    struct Case {
        const char* What;
        std::function<void(JobFiles&)> Change;
        bool Ask;  // outside batch mode: the summary question, answered No
        JobOutcome Outcome;
    };
    const Case cases[] = {
        {"word in the eps line of the model file",
         [&](JobFiles& j) { j.ModelText = ReplaceLine(model, 6, "0.012 eps 0.012"); }, false, JobOutcome::Failed},
        {"model file of 12 lines", [&](JobFiles& j) { j.ModelText = model.substr(0, twelveLines); }, false,
         JobOutcome::Failed},
        {"declined summary", [](JobFiles&) {}, true, JobOutcome::Declined},
        {"unreadable impact line", [](JobFiles& j) { j.Impacts = {"0 x 3"}; }, false, JobOutcome::Failed},
    };
    for (const Case& c : cases) {
        TempDir dir;
        RecordingUserInterface ui;
        ui.DefaultAnswer = !c.Ask;
        ProgramContext program(ui);
        program.Options.StoreInitial = program.Options.StoreInelastic = program.Options.UseLSS = true;
        JobFiles job = EveryOutput();
        c.Change(job);
        const OutputFileSet outputs = JobFiles::Outputs(dir);
        for (const std::string* name : {&outputs.InitialConditions, &outputs.DynamicalVariables, &outputs.InelasticEvents})
            dir.Write(std::filesystem::path(*name).filename().string(), Previous);
        EXPECT_EQ(RunJob(program, job.Write(dir), outputs, !c.Ask), c.Outcome) << c.What;
        for (const std::string* name : {&outputs.InitialConditions, &outputs.DynamicalVariables, &outputs.InelasticEvents}) {
            EXPECT_EQ(ReadFileBytes(*name), Previous) << c.What << ": " << *name;
            EXPECT_FALSE(std::filesystem::exists(StagingName(*name))) << c.What;
            EXPECT_FALSE(std::filesystem::exists(BackupName(*name))) << c.What;
        }
        EXPECT_TRUE(ui.Texts(testing::UiCall::JobStarted).empty()) << c.What;
    }
}

TEST(OutputBackups, FinishedJobKeepsThePreviousFilesAsBackupsAndSaysSo) {
    TempDir dir;
    RecordingUserInterface ui;
    ProgramContext program(ui);
    program.Options.StoreInitial = program.Options.StoreInelastic = program.Options.UseLSS = true;
    const OutputFileSet outputs = JobFiles::Outputs(dir);
    // The first job in an empty folder keeps nothing and says nothing.
    ASSERT_EQ(RunJob(program, EveryOutput().Write(dir), outputs, true), JobOutcome::Completed);
    EXPECT_EQ(ui.LogText().find("kept as"), std::string::npos);
    const std::string first = ReadFileBytes(outputs.DynamicalVariables);
    ASSERT_FALSE(first.empty());
    dir.Write("inivars.vsk", Previous);
    dir.Write("inelast.dat", Previous);
    ui.Clear();

    ASSERT_EQ(RunJob(program, EveryOutput().Write(dir), outputs, true), JobOutcome::Completed);
    EXPECT_EQ(ReadFileBytes(BackupName(outputs.DynamicalVariables)), first);
    EXPECT_EQ(ReadFileBytes(outputs.DynamicalVariables), first);  // the same job again
    EXPECT_EQ(ReadFileBytes(BackupName(outputs.InitialConditions)), Previous);
    EXPECT_EQ(ReadFileBytes(BackupName(outputs.InelasticEvents)), Previous);
    EXPECT_NE(ReadFileBytes(outputs.InelasticEvents), Previous);
    const std::vector<std::string> log = ui.LogTexts();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(log.end() - 3, log.end()),
              (std::vector<std::string>{"  Previous inivars.vsk kept as inivars.vsk~",
                                        "  Previous dynvars.vsk kept as dynvars.vsk~",
                                        "  Previous inelast.dat kept as inelast.dat~"}));
    EXPECT_EQ(ui.Texts(testing::UiCall::JobStarted).size(), 1u);
}

TEST(OutputBackups, OnlyRegularFilesAndNewNamesAreStaged) {
    TempDir dir;
    const struct {
        std::string Name;
        bool Staged;
    } cases[] = {{dir.File("new.vsk"), true}, {dir.Write("old.vsk", Previous), true}, {dir.Path(), false},
                 {"/dev/null", false}};
    for (const auto& c : cases) EXPECT_EQ(CanStage(c.Name), c.Staged) << c.Name;
}

}  // namespace
}  // namespace vantrel
