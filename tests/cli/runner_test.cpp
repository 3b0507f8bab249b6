// The built vantrel-cli as a process: exit statuses, where the log and the
// messages go, the files a job finds and writes, batches and Ctrl-C.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/arguments.h"
#include "job/program.h"
#include "job/run_driver.h"
#include "output/particle_sample.h"
#include "tests/cli/runner_process.h"
#include "tests/support/file_texts.h"
#include "tests/support/job_files.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

namespace vantrel {
namespace {

using testing::Lines;
using testing::ReadFileBytes;
using testing::RunnerResult;
using testing::RunRunner;
using testing::RunRunnerInterrupted;
using testing::JobFiles;
using testing::TempDir;

int CountLines(const std::string& text, const std::string& line) {
    const std::vector<std::string> lines = Lines(text);
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

bool HasLine(const std::string& text, const std::string& line) {
    return CountLines(text, line) > 0;
}

std::vector<std::string> RunCountLines(const std::string& log) {
    std::vector<std::string> found;
    for (const std::string& line : Lines(log))
        if (line.rfind("  Run count: ", 0) == 0) found.push_back(line);
    return found;
}

// Atoms of JobFiles's default crystal, plus the projectile.
constexpr std::size_t SmallJobParticles = 3 * 3 * 2 * 4 + 1;

JobFiles QuickJob(int impacts) {
    JobFiles job;
    job.Impacts.clear();
    for (int k = 0; k < impacts; ++k)
        job.Impacts.push_back(std::to_string(0.1 * k) + " 0.2 3.0");
    job.MaxTimeFs = 6;
    job.SampleMode = 1;  // every particle once, when the run ends
    return job;
}

std::string UsageTail() { return cli::UsageText(); }

// ---------------------------------------------------------------- usage

struct UsageCase {
    const char* Name;
    std::vector<std::string> Args;
    const char* Message;
};

class RunnerUsage : public ::testing::TestWithParam<UsageCase> {};

TEST_P(RunnerUsage, ExitsTwoWithOneLineAndTheUsage) {
    TempDir dir;
    const RunnerResult r = RunRunner(dir.Path(), GetParam().Args);
    EXPECT_EQ(r.Status, 2);
    EXPECT_EQ(r.Out, "");
    EXPECT_EQ(r.Err, std::string("vantrel-cli: ") + GetParam().Message + "\n" + UsageTail());
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));  // no output file was made
}

INSTANTIATE_TEST_SUITE_P(
    Errors, RunnerUsage,
    ::testing::Values(
        UsageCase{"UnknownFlag", {"run", "--verbose", "job.prj"}, "unknown flag: '--verbose'"},
        UsageCase{"UnknownOptionName", {"run", "--set", "UseLss=1", "job.prj"},
                  "unknown option name: 'UseLss' (did you mean UseLSS?)"},
        UsageCase{"BadBoolean", {"batch", "--set", "Verbose=yes", "jobs.bdf"},
                  "bad value for Verbose: 'yes' (0, 1, true or false)"},
        UsageCase{"BadInteger", {"options", "--set", "RandomSeed=1e3"},
                  "bad value for RandomSeed: '1e3' (an integer from -10000000 to 10000000)"},
        UsageCase{"BadMaxRuns", {"run", "--max-runs", "-1", "job.prj"},
                  "bad value for --max-runs: '-1' (a whole number from 1)"},
        UsageCase{"MissingProjectile", {"run", "--answer", "yes"},
                  "missing projectile file (PROJECTILE.prj)"},
        UsageCase{"JobsWithoutStreams", {"batch", "--jobs", "2", "jobs.bdf"},
                  "--jobs 2 needs per-run random streams (--set PerRunStreams=1): without them "
                  "the runs' results depend on how they are shared"},
        UsageCase{"MissingBatchFile", {"batch"}, "missing batch definition file (FILE.bdf)"},
        UsageCase{"NoCommand", {}, "no command given (run, batch, options, analyze, export or join)"}),
    [](const ::testing::TestParamInfo<UsageCase>& info) { return std::string(info.param.Name); });

TEST(Runner, HelpGoesToStandardOutputWithStatusZero) {
    TempDir dir;
    const RunnerResult r = RunRunner(dir.Path(), {"--help"});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Out, UsageTail());
    EXPECT_EQ(r.Err, "");
}

TEST(Runner, OptionsListsEveryKindOfFieldAsSet) {
    TempDir dir;
    const RunnerResult r =
        RunRunner(dir.Path(), {"options", "--set", "LatticeSiteIndex=7", "--set", "UseST=true",
                               "--set", "Verbose=0", "--set", "GraphPlotType=1", "--set",
                               "RunOffset=300", "--set", "RandomSeed=-42"});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Err, "");
    EXPECT_EQ(r.Out,
              "Algorithm = 3\nNeighbourSearch = false\nGraphPlotType = 1\nVerbose = false\n"
              "ReportEnergy = true\nReportInelastic = true\nReportLatticeEnergy = false\n"
              "LatticeSiteIndex = 7\nLogBufferLines = 500\nElementalTarget = false\n"
              "StoreInitial = false\nStoreInelastic = false\nHotTarget = false\n"
              "LoadOptionsAtStart = false\nFixedTimestep = false\nNoYVibration = false\n"
              "UseLSS = false\nUseOR = false\nUseST = true\nUseCooling = false\n"
              "IgnoreTargetForces = false\nSelfBombard = false\nUseImagePotential = false\n"
              "GraphScale = 0.01\nRunOffset = 300\nRandomSeed = -42\nPerRunStreams = false\n"
              "StoreResults = false\nSmoothDensityJoin = false\nThreads = 0\nSurfaceBinding = 0\n");
}

// ----------------------------------------------------------------- jobs

TEST(Runner, GoodJobExitsZeroWithTheLogOnStandardOutput) {
    TempDir dir;
    QuickJob(2).Write(dir);
    const RunnerResult r = RunRunner(dir.Path(), {"run", "--answer", "yes", "job.prj"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(RunCountLines(r.Out),
              (std::vector<std::string>{"  Run count: 1", "  Run count: 2"}));
    EXPECT_TRUE(HasLine(r.Out, "  ==> Ready to run calculations in earnest."));
    EXPECT_EQ(r.Err, "question: Proceed with simulation now? -> yes\n");
    // Default output names in the current folder.
    EXPECT_EQ(testing::ReadRecords(dir.File("dynvars.vsk")).size(), 2 * SmallJobParticles);
    EXPECT_FALSE(std::filesystem::exists(dir.File("inivars.vsk")));
}

TEST(Runner, PlainLogFileEqualsTheLogTheWindowWouldShow) {
    // The same job in-process through a recording interface that answers Yes.
    const JobFiles job = QuickJob(2);
    TempDir inProcess;
    testing::RecordingUserInterface ui;
    ProgramContext program(ui);
    ASSERT_EQ(RunJob(program, job.Write(inProcess), JobFiles::Outputs(inProcess), false),
              JobOutcome::Completed);

    TempDir dir;
    job.Write(dir);
    const RunnerResult r =
        RunRunner(dir.Path(), {"run", "--answer=yes", "--log", "job.log", "job.prj"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(ReadFileBytes(dir.File("job.log")), ui.LogText());
    EXPECT_EQ(r.Out, ui.LogText());
}

TEST(Runner, QuietLeavesStandardOutputEmptyButKeepsTheLogFile) {
    TempDir dir;
    QuickJob(1).Write(dir);
    const RunnerResult r =
        RunRunner(dir.Path(), {"run", "--answer", "yes", "--quiet", "--log", "q.log", "job.prj"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, "");
    EXPECT_EQ(RunCountLines(ReadFileBytes(dir.File("q.log"))),
              std::vector<std::string>{"  Run count: 1"});
}

TEST(Runner, ProgressLinesOnStandardErrorOnlyWhenAsked) {
    TempDir dir;
    QuickJob(2).Write(dir);
    // Without --progress standard error holds the question alone (the good job above).
    const RunnerResult progress =
        RunRunner(dir.Path(), {"run", "--answer", "yes", "--progress", "job.prj"});
    EXPECT_EQ(progress.Status, 0);
    // The status text, then the run of the job and, once a run has ended, the time left.
    EXPECT_TRUE(HasLine(progress.Err, "Timesteps: 0 (0.00 fs)  Run 1 of 2")) << progress.Err;
    EXPECT_NE(progress.Err.find("Timesteps: 0 (0.00 fs)  Run 2 of 2, about "), std::string::npos)
        << progress.Err;
}

TEST(Runner, FailingJobExitsOneWithTheReadersMessage) {
    TempDir dir;
    QuickJob(1).Write(dir);
    dir.Write("job.run", "1 sample mode\n10 period\nzero skip\n");
    const RunnerResult r = RunRunner(dir.Path(), {"run", "--answer", "yes", "job.prj"});
    EXPECT_EQ(r.Status, 1);
    EXPECT_TRUE(HasLine(r.Out, "  Format error in .RUN file")) << r.Out;
    EXPECT_TRUE(RunCountLines(r.Out).empty());
}

TEST(Runner, DeclinedSummaryExitsOneAndTheLogSaysWhy) {
    const struct {
        std::vector<std::string> Args;
        std::string Err;
        std::vector<std::string> Tail;
    } cases[] = {
        {{"run", "job.prj"},
         "question: Proceed with simulation now? -> no (no terminal to ask)\n",
         {"  Answered No for want of a terminal: Proceed with simulation now?", "  ...Simulation aborted"}},
        {{"run", "--answer", "no", "job.prj"}, "question: Proceed with simulation now? -> no\n",
         {"  ...Simulation aborted"}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        QuickJob(1).Write(dir);
        const RunnerResult r = RunRunner(dir.Path(), c.Args);
        EXPECT_EQ(r.Status, 1);
        EXPECT_EQ(r.Err, c.Err);
        const std::vector<std::string> lines = Lines(r.Out);
        ASSERT_GE(lines.size(), c.Tail.size());
        EXPECT_EQ(std::vector<std::string>(lines.end() - static_cast<std::ptrdiff_t>(c.Tail.size()), lines.end()),
                  c.Tail);
    }
}

TEST(Runner, CompanionFilesAreTheProjectilesNameWithOtherExtensions) {
    TempDir dir;
    QuickJob(1).Write(dir);
    std::filesystem::create_directory(dir.Path() / "sub");
    for (const char* ext : {".prj", ".trg", ".run", ".imp"})
        std::filesystem::rename(dir.File(std::string("job") + ext),
                                dir.Path() / "sub" / (std::string("cu") + ext));
    // No sub/cu.mdl: the model is the one file named by hand.
    const RunnerResult missing = RunRunner(dir.Path(), {"run", "--answer", "yes", "sub/cu.prj"});
    EXPECT_EQ(missing.Status, 1);
    EXPECT_EQ(missing.Err, "error: File not found: sub/cu.mdl.\n");
    EXPECT_EQ(missing.Out, "");

    const RunnerResult r = RunRunner(
        dir.Path(), {"run", "--answer", "yes", "--model", "job.mdl", "--dynamic", "d.vsk",
                     "sub/cu.prj"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(testing::ReadRecords(dir.File("d.vsk")).size(), SmallJobParticles);
}

TEST(Runner, InelasticFileIsRequiredOnlyWhenAModelIsOn) {
    TempDir dir;
    QuickJob(1).Write(dir);
    const RunnerResult r =
        RunRunner(dir.Path(), {"run", "--answer", "yes", "--set", "UseLSS=1", "job.prj"});
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err, "error: File not found: job.inl.\n");
}

TEST(Runner, SetAndMaxRunsReachTheJob) {
    TempDir dir;
    QuickJob(5).Write(dir);
    const RunnerResult r = RunRunner(dir.Path(), {"run", "--answer", "yes", "--set", "RunOffset=2", "--set",
                                                  "Verbose=false", "--set", "StoreInitial=1", "--max-runs", "2",
                                                  "job.prj"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(RunCountLines(r.Out), (std::vector<std::string>{"  Run count: 3", "  Run count: 4"}));
    EXPECT_FALSE(HasLine(r.Out, "                 * TERMINATED *"));  // Verbose off
    const std::vector<ParticleSample> initial = testing::ReadRecords(dir.File("inivars.vsk"));
    ASSERT_EQ(initial.size(), SmallJobParticles);
    EXPECT_EQ(initial.front().RunNumber, 4);
    const std::vector<ParticleSample> records = testing::ReadRecords(dir.File("dynvars.vsk"));
    ASSERT_EQ(records.size(), 2 * SmallJobParticles);
    EXPECT_EQ(records.front().RunNumber, 3);
    EXPECT_EQ(records.back().RunNumber, 4);
}

// ---------------------------------------------------------------- batch

std::string BatchItem(const std::string& title, const std::string& stem) {
    return title + "\njob.prj\njob.trg\njob.mdl\njob.run\njob.imp\njob.inl\n" + stem +
           "-ini.vsk\n" + stem + "-dyn.vsk\n" + stem + "-ev.dat\n";
}

TEST(Runner, BatchOfTwoRunsBothItemsWithoutAskingToProceed) {
    TempDir dir;
    QuickJob(1).Write(dir);
    dir.Write("jobs.bdf", BatchItem("first item", "a") + BatchItem("second item", "b"));
    const RunnerResult r = RunRunner(dir.Path(), {"batch", "jobs.bdf"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Err,
              "batch: Vantrel 1.0 (batch item #1 first item)\n"
              "batch: Vantrel 1.0 (batch item #2 second item)\n");
    EXPECT_EQ(CountLines(r.Out, "  ==> Ready to run calculations in earnest."), 2);
    EXPECT_EQ(testing::ReadRecords(dir.File("a-dyn.vsk")).size(), SmallJobParticles);
    EXPECT_EQ(testing::ReadRecords(dir.File("b-dyn.vsk")).size(), SmallJobParticles);
}

TEST(Runner, BatchStopsAtAThirdItemNamingAMissingFile) {
    TempDir dir;
    QuickJob(1).Write(dir);
    std::string third = BatchItem("third", "c");
    third.replace(third.find("job.mdl"), 7, "gone.mdl");
    dir.Write("jobs.bdf", BatchItem("one", "a") + BatchItem("two", "b") + third);
    const RunnerResult r = RunRunner(dir.Path(), {"batch", "--answer", "yes", "jobs.bdf"});
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err,
              "batch: Vantrel 1.0 (batch item #1 one)\n"
              "batch: Vantrel 1.0 (batch item #2 two)\n"
              "error: One or more input files specified for the batch job was not found.\n");
    EXPECT_EQ(testing::ReadRecords(dir.File("a-dyn.vsk")).size(), SmallJobParticles);
    EXPECT_EQ(testing::ReadRecords(dir.File("b-dyn.vsk")).size(), SmallJobParticles);
    EXPECT_FALSE(std::filesystem::exists(dir.File("c-dyn.vsk")));
}

TEST(Runner, MissingOrUnreadableBatchFile) {
    TempDir dir;
    const RunnerResult missing = RunRunner(dir.Path(), {"batch", "none.bdf"});
    EXPECT_EQ(missing.Status, 1);
    EXPECT_EQ(missing.Err, "error: File not found: none.bdf.\n");

    std::filesystem::create_directory(dir.Path() / "folder.bdf");
    const RunnerResult unreadable = RunRunner(dir.Path(), {"batch", "folder.bdf"});
    EXPECT_EQ(unreadable.Status, 1);
    EXPECT_EQ(unreadable.Err, "error: Error reading batch definition file.\n");
}

// --------------------------------------------------------------- Ctrl-C

// Runs that only a press ends: far longer than any test waits.
JobFiles EndlessJob() {
    JobFiles job = QuickJob(3);
    job.MaxTimeFs = 1.0e6;
    job.MinTimeFs = 1.0e6;
    return job;
}

TEST(Runner, CtrlCEndsTheJobAfterTheCurrentRunsReport) {
    TempDir dir;
    EndlessJob().Write(dir);
    const RunnerResult r = RunRunnerInterrupted(
        dir.Path(), {"run", "--answer", "yes", "job.prj"},
        [](const std::string& out, const std::string&) {
            return out.find("  Run count: 1") != std::string::npos;
        },
        1);
    EXPECT_EQ(r.Status, 130);
    EXPECT_EQ(RunCountLines(r.Out), std::vector<std::string>{"  Run count: 1"});
    // The abort is confirmed at a rebuild, then the run's whole report follows.
    const std::vector<std::string> lines = Lines(r.Out);
    const auto aborting =
        std::find(lines.begin(), lines.end(), "  Aborting simulation after next cycle...");
    ASSERT_NE(aborting, lines.end()) << r.Out;
    EXPECT_NE(std::find(aborting, lines.end(), "                 * TERMINATED *"), lines.end());
    EXPECT_EQ(CountLines(r.Out, "                 * TERMINATED *"), 1);
    EXPECT_EQ(r.Err,
              "question: Proceed with simulation now? -> yes\n"
              "interrupt: the job ends after this run (Ctrl-C again stops at once)\n"
              "question: Do you really wish to abort the simulation? -> yes (Ctrl-C)\n");
    // The run's final sample, whole records, the file closed and complete.
    const std::vector<ParticleSample> records = testing::ReadRecords(dir.File("dynvars.vsk"));
    EXPECT_EQ(ReadFileBytes(dir.File("dynvars.vsk")).size(), SmallJobParticles * 40);
    ASSERT_EQ(records.size(), SmallJobParticles);
    EXPECT_EQ(records.front().Index, 0);
    EXPECT_EQ(records.back().Index, static_cast<std::int32_t>(SmallJobParticles - 1));
    EXPECT_EQ(records.back().RunNumber, 1);
}

TEST(Runner, CtrlCInABatchStartsNoFurtherItem) {
    TempDir dir;
    EndlessJob().Write(dir);
    dir.Write("jobs.bdf", BatchItem("one", "a") + BatchItem("two", "b"));
    const RunnerResult r = RunRunnerInterrupted(
        dir.Path(), {"batch", "jobs.bdf"},
        [](const std::string& out, const std::string&) {
            return out.find("  Run count: 1") != std::string::npos;
        },
        1);
    EXPECT_EQ(r.Status, 130);
    EXPECT_EQ(r.Err,
              "batch: Vantrel 1.0 (batch item #1 one)\n"
              "interrupt: the job ends after this run (Ctrl-C again stops at once)\n"
              "question: Do you really wish to abort the simulation? -> yes (Ctrl-C)\n"
              "question: Abort remaining batch jobs? -> yes (Ctrl-C)\n");
    EXPECT_FALSE(std::filesystem::exists(dir.File("b-dyn.vsk")));
    EXPECT_EQ(testing::ReadRecords(dir.File("a-dyn.vsk")).size(), SmallJobParticles);
}

TEST(Runner, SecondCtrlCStopsAtOnceWithWholeRecords) {
    TempDir dir;
    JobFiles job = EndlessJob();
    job.SampleMode = 2;  // records all through the run
    job.SamplePeriod = 1;
    job.UpdateInterval = 100000;  // the first press alone would take ages to act
    job.Write(dir);
    const RunnerResult r = RunRunnerInterrupted(
        dir.Path(), {"run", "--answer", "yes", "--log", "job.log", "job.prj"},
        [](const std::string& out, const std::string&) {
            return out.find("  Run count: 1") != std::string::npos;
        },
        2);
    EXPECT_EQ(r.Status, 130);
    EXPECT_TRUE(HasLine(r.Err, "interrupt: stopped at once; output files flushed and closed"))
        << r.Err;
    EXPECT_EQ(ReadFileBytes(dir.File("dynvars.vsk")).size() % 40, 0u);
    // Every line of the log file is whole.
    const std::string log = ReadFileBytes(dir.File("job.log"));
    EXPECT_TRUE(log.empty() || log.back() == '\n');
}

// ----------------------------------------------------------------- results

// What a user does: run a job with its result tables, then analyse them.
TEST(Runner, ResultTablesOfAJobAnalyse) {
    TempDir dir;
    QuickJob(2).Write(dir);
    const RunnerResult run = RunRunner(
        dir.Path(), {"run", "--answer", "yes", "--quiet", "--set", "StoreResults=1", "job.prj"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    const RunnerResult text = RunRunner(dir.Path(), {"analyze", "results.csv", "--sputtered", "sputtered.csv"});
    EXPECT_EQ(text.Status, 0) << text.Err;
    EXPECT_EQ(text.Err, "");
    EXPECT_EQ(Lines(text.Out).front(), "Runs: 2 (Z 18, 1000.0 eV, incidence 0.0 deg from the normal, azimuth 0.0 deg)");
    EXPECT_EQ(Lines(text.Out)[1].rfind("Sputtering yield: ", 0), 0u);
    const RunnerResult json = RunRunner(dir.Path(), {"analyze", "--json", "results.csv"});
    EXPECT_EQ(json.Status, 0) << json.Err;
    ASSERT_EQ(Lines(json.Out).size(), 1u);
    EXPECT_EQ(json.Out.rfind("{\"runs\": 2, \"yield\": ", 0), 0u) << json.Out;
}

// Two jobs of a batch over energies, written by hand: the histograms and
// the curves against energy as CSV, SVG and PNG, without a display.
TEST(Runner, AnalyzeWritesHistogramsAndCurves) {
    TempDir dir;
    const std::string header = "run,ion_energy_eV,ion_Z,incidence_polar_deg,sputtered,projectile,projectile_depth_A\n";
    dir.Write("low.csv", header + "1,500,18,0,1,stopped,8\n2,500,18,0,2,stopped,9\n");
    dir.Write("high.csv", header + "1,2000,18,0,5,stopped,20\n2,2000,18,0,6,stopped,23\n");
    const std::string atoms = "run,index,Z,layer,energy_eV,polar_deg,azimuth_deg\n";
    dir.Write("low_s.csv", atoms + "1,5,29,1,3.5,20,45\n2,6,29,1,7,35,135\n2,9,29,2,1.5,50,225\n");
    dir.Write("high_s.csv", atoms + "1,5,29,1,12,10,315\n");
    const RunnerResult r = RunRunner(dir.Path(), {"analyze", "--plots", "plots", "--bins", "8", "low.csv",
                                                  "high.csv", "--sputtered", "low_s.csv", "high_s.csv"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Err, "");
    EXPECT_TRUE(HasLine(r.Out, "Beams:")) << r.Out;
    for (const char* name : {"energy", "polar", "azimuth", "layer", "depth"}) {
        for (const char* ext : {".csv", ".svg", ".png"})
            EXPECT_TRUE(std::filesystem::is_regular_file(dir.Path() / "plots" / (std::string(name) + ext)))
                << name << ext;
    }
    for (const char* name : {"yield_vs_energy", "reflection_vs_energy", "depth_vs_energy"}) {
        EXPECT_GT(std::filesystem::file_size(dir.Path() / "plots" / (std::string(name) + ".png")), 1000u);
        EXPECT_NE(ReadFileBytes(dir.File(std::string("plots/") + name + ".svg")).find("<svg"), std::string::npos);
    }
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "plots" / "yield_vs_angle.png"));
    const std::string beams = ReadFileBytes(dir.File("plots/beams.csv"));
    EXPECT_EQ(Lines(beams).size(), 3u);
    EXPECT_EQ(Lines(ReadFileBytes(dir.File("plots/layer.csv"))),
              (std::vector<std::string>{"layer_low,layer_high,count", "0.5,1.5,3", "1.5,2.5,1"}));
}

TEST(Runner, AnalyzeNamesTheTableItCannotRead) {
    TempDir dir;
    dir.Write("bad.csv", "run,sputtered\n1,2\n");
    const RunnerResult r = RunRunner(dir.Path(), {"analyze", "missing.csv", "bad.csv"});
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err, "analyze: missing.csv: cannot be read\nanalyze: bad.csv: no column projectile\n"
                     "analyze: no run in the result tables\n");
    EXPECT_EQ(r.Out, "Runs: 0\n");
}

}  // namespace
}  // namespace vantrel
