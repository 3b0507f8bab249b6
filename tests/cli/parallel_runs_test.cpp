// Runs shared among worker processes (run --jobs N) and slices put together
// (join), through the built vantrel-cli: with per-run random streams any
// split writes the files of one process to the byte; Ctrl-C and a killed
// worker lose nothing that was finished.
#include <algorithm>
#include <array>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "output/particle_sample.h"
#include "tests/cli/runner_process.h"
#include "tests/support/file_texts.h"
#include "tests/support/job_files.h"
#include "tests/support/temp_dir.h"

namespace vantrel {
namespace {

using testing::Occurrences;
using testing::ReadFileBytes;
using testing::RunnerResult;
using testing::RunRunner;
using testing::JobFiles;
using testing::TempDir;

std::vector<std::int32_t> RecordRuns(const std::string& path) {
    std::vector<std::int32_t> runs;
    for (const ParticleSample& r : testing::ReadRecords(path)) runs.push_back(r.RunNumber);
    return runs;
}

// Six runs of the small crystal with a thermal lattice, both inelastic
// models storing events, the verbose reports with every figure that runs
// over the job, and the initial conditions (not in run 1: sample period 0).
JobFiles SixRuns() {
    JobFiles job;
    job.Impacts = {"0 0 3", "0.3 0.1 3", "0.6 0.2 3", "0.9 0.3 3", "1.2 0.4 3", "1.5 0.5 3"};
    job.MaxTimeFs = 20;
    job.SampleMode = 1;
    job.SamplePeriod = 0;
    job.Projectile = "0.3 18 39.948 0 Ar";
    job.InelasticText = ReadFileBytes(std::string(VANTREL_SOURCE_DIR) +
                                      "/tests/data/golden/ar_cu100_inel/input/ar_cu100_inel.inl");
    return job;
}

const std::vector<std::string> StreamsOn = {
    "--answer", "yes", "--quiet", "--log", "job.log", "--set", "PerRunStreams=1",
    "--set", "RandomSeed=4711", "--set", "HotTarget=1", "--set", "UseLSS=1",
    "--set", "UseOR=1", "--set", "StoreInelastic=1", "--set", "StoreInitial=1"};

std::vector<std::string> RunArgs(std::vector<std::string> more) {
    std::vector<std::string> args = {"run"};
    args.insert(args.end(), StreamsOn.begin(), StreamsOn.end());
    args.insert(args.end(), more.begin(), more.end());
    args.push_back("job.prj");
    return args;
}

TEST(ParallelRuns, AnySplitWritesTheFilesOfOneProcess) {
    const JobFiles job = SixRuns();
    std::array<TempDir, 3> jobs;
    for (int n = 1; n <= 3; ++n) {
        const TempDir& dir = jobs[n - 1];
        job.Write(dir);
        const RunnerResult r = RunRunner(dir.Path(), RunArgs({"--jobs", std::to_string(n)}));
        ASSERT_EQ(r.Status, 0) << r.Err;
    }
    // Three slices of two runs each, joined.
    TempDir sliced;
    job.Write(sliced);
    std::vector<std::string> join = {"join", "--log", "job.log", "--dynamic", "dynvars.vsk",
                                     "--events", "inelast.dat"};
    for (int k = 2; k >= 0; --k) {
        const std::string name = "slice" + std::to_string(k);
        const RunnerResult r = RunRunner(
            sliced.Path(), RunArgs({"--set", "RunOffset=" + std::to_string(2 * k), "--max-runs", "2",
                                "--dynamic", name + ".vsk", "--events", name + ".dat", "--log",
                                name + ".log"}));
        ASSERT_EQ(r.Status, 0) << r.Err;
        join.push_back(k == 1 ? name + ".log" : name);
    }
    const RunnerResult joined = RunRunner(sliced.Path(), join);
    ASSERT_EQ(joined.Status, 0) << joined.Err;
    EXPECT_EQ(joined.Out, "join: runs 1 to 6 from 3 slices\n");

    const std::string log = ReadFileBytes(jobs[0].File("job.log"));
    EXPECT_EQ(Occurrences(log, "  Run count: "), 6);
    EXPECT_EQ(Occurrences(log, "(Cumulative: "), 6);
    EXPECT_EQ(Occurrences(log, "  Target :"), 1);
    EXPECT_EQ(Occurrences(log, "  Cumulative error in system energy: "), 1);
    const std::vector<std::int32_t> runs = RecordRuns(jobs[0].File("dynvars.vsk"));
    ASSERT_FALSE(runs.empty());
    EXPECT_TRUE(std::is_sorted(runs.begin(), runs.end()));
    EXPECT_EQ(runs.back(), 6);
    EXPECT_EQ(RecordRuns(jobs[0].File("inivars.vsk")).front(), 6);
    ASSERT_GT(Occurrences(ReadFileBytes(jobs[0].File("inelast.dat")), "\n"), 36);

    for (const char* file : {"job.log", "dynvars.vsk", "inelast.dat", "inivars.vsk"}) {
        const std::string one = ReadFileBytes(jobs[0].File(file));
        EXPECT_TRUE(ReadFileBytes(jobs[1].File(file)) == one) << file << " with --jobs 2";
        EXPECT_TRUE(ReadFileBytes(jobs[2].File(file)) == one) << file << " with --jobs 3";
        if (std::strcmp(file, "inivars.vsk") != 0) {
            EXPECT_TRUE(ReadFileBytes(sliced.File(file)) == one) << file << " of joined slices";
        }
    }
    EXPECT_EQ(ReadFileBytes(jobs[1].File("job.log.runs")),
              ReadFileBytes(jobs[0].File("job.log.runs")));
}

// Runs that only an abort ends.
JobFiles EndlessRuns() {
    JobFiles job;
    job.Impacts = {"0 0 3", "0.3 0.1 3", "0.6 0.2 3"};
    job.MaxTimeFs = job.MinTimeFs = 1.0e6;
    job.SampleMode = 1;
    return job;
}

TEST(ParallelRuns, CtrlCEndsTheRunOfEveryWorkerAndWritesThemAll) {
    TempDir dir;
    EndlessRuns().Write(dir);
    const RunnerResult r = testing::RunRunnerInterrupted(
        dir.Path(),
        {"run", "--answer", "yes", "--set", "PerRunStreams=1", "--jobs", "2", "job.prj"},
        [](const std::string& out, const std::string&) {
            return out.find("  Run count: 1") != std::string::npos;
        },
        1);
    EXPECT_EQ(r.Status, 130);
    EXPECT_EQ(r.Err,
              "question: Proceed with simulation now? -> yes\n"
              "interrupt: the job ends after this run (Ctrl-C again stops at once)\n"
              "question: Do you really wish to abort the simulation? -> yes (Ctrl-C)\n");
    // Both runs under way, each ended at a rebuild with its whole report.
    EXPECT_EQ(Occurrences(r.Out, "  Run count: "), 2);
    EXPECT_EQ(Occurrences(r.Out, "  Aborting simulation after next cycle...\n"), 2);
    EXPECT_EQ(Occurrences(r.Out, "                 * TERMINATED *\n"), 2);
    EXPECT_EQ(Occurrences(r.Out, "  Cumulative error in system energy: "), 1);
    const std::vector<std::int32_t> runs = RecordRuns(dir.File("dynvars.vsk"));
    EXPECT_EQ(ReadFileBytes(dir.File("dynvars.vsk")).size(), runs.size() * SampleRecordSize);
    EXPECT_EQ(std::count(runs.begin(), runs.end(), 1) * 2, static_cast<long>(runs.size()));
    EXPECT_EQ(runs.back(), 2);
}

TEST(ParallelRuns, AKilledWorkersRunIsLostAndTheOthersAreWritten) {
    TempDir dir;
    JobFiles job = EndlessRuns();
    job.MaxTimeFs = job.MinTimeFs = 1000;  // 10,000 steps: long enough to be killed in
    job.Write(dir);
    std::vector<int> workers;
    const RunnerResult r = testing::RunRunnerActing(
        dir.Path(),
        {"run", "--answer", "yes", "--set", "PerRunStreams=1", "--set", "FixedTimestep=1", "--jobs",
         "2", "job.prj"},
        [&workers](int pid, const std::string& out, const std::string&) {
            if (out.find("  Run count: 1") == std::string::npos) return false;
            workers = testing::ChildProcesses(pid);
            if (workers.size() < 2) return false;
            ::kill(workers.back(), SIGKILL);
            return true;
        });
    EXPECT_EQ(r.Status, 1);
    // Whichever run it was making is lost, in its place in the log; the
    // other worker's run is finished and written; no further run is made.
    const std::size_t at = r.Err.find("error: The worker process making run ");
    ASSERT_NE(at, std::string::npos) << r.Err;
    const std::string lost = r.Err.substr(at + 37, 1);
    EXPECT_NE(r.Err.find(" was killed by signal 9"), std::string::npos) << r.Err;
    EXPECT_EQ(Occurrences(r.Out, "  Run " + lost + " lost: its worker process was killed by signal 9"), 1)
        << r.Out;
    const std::string other = lost == "1" ? "2" : "1";
    EXPECT_EQ(Occurrences(r.Out, "  Run count: " + other + "\n"), 1);
    EXPECT_EQ(Occurrences(r.Out, "  Run count: 3\n"), 0);
    EXPECT_EQ(Occurrences(r.Out, "                 * TERMINATED *\n"), 1);
    const std::vector<std::int32_t> runs = RecordRuns(dir.File("dynvars.vsk"));
    ASSERT_FALSE(runs.empty());
    EXPECT_EQ(ReadFileBytes(dir.File("dynvars.vsk")).size(), runs.size() * SampleRecordSize);
    EXPECT_TRUE(std::all_of(runs.begin(), runs.end(),
                            [&](std::int32_t run) { return std::to_string(run) == other; }));
}

TEST(ParallelRuns, SecondCtrlCStopsTheParentAndItsWorkersAtOnce) {
    TempDir dir;
    JobFiles job = EndlessRuns();
    job.UpdateInterval = 100000;  // the first press alone would take ages to act
    job.Write(dir);
    std::vector<int> workers;
    const RunnerResult r = testing::RunRunnerActing(
        dir.Path(),
        {"run", "--answer", "yes", "--log", "job.log", "--set", "PerRunStreams=1", "--jobs", "2",
         "job.prj"},
        [&workers](int pid, const std::string& out, const std::string& err) {
            if (out.find("  Run count: 1") == std::string::npos) return false;
            if (workers.empty()) {
                workers = testing::ChildProcesses(pid);
                if (workers.size() < 2) workers.clear();
                if (!workers.empty()) ::kill(pid, SIGINT);
                return false;
            }
            if (err.find("interrupt: the job ends") == std::string::npos) return false;
            ::kill(pid, SIGINT);
            return true;
        });
    EXPECT_EQ(r.Status, 130);
    EXPECT_NE(r.Err.find("interrupt: stopped at once; output files flushed and closed"),
              std::string::npos)
        << r.Err;
    EXPECT_EQ(ReadFileBytes(dir.File("dynvars.vsk")).size() % SampleRecordSize, 0u);
    const std::string log = ReadFileBytes(dir.File("job.log"));
    EXPECT_TRUE(log.empty() || log.back() == '\n');
    // The workers went with their parent.
    ASSERT_EQ(workers.size(), 2u);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (const int worker : workers) {
        while (std::filesystem::exists("/proc/" + std::to_string(worker)) &&
               ReadFileBytes("/proc/" + std::to_string(worker) + "/stat").find(") Z") ==
                   std::string::npos &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const std::string stat = ReadFileBytes("/proc/" + std::to_string(worker) + "/stat");
        EXPECT_TRUE(stat.empty() || stat.find(") Z") != std::string::npos) << stat;
    }
}

}  // namespace
}  // namespace vantrel
