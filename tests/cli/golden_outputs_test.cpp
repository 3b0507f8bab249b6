// The two shipped example jobs (their input files as kept beside the
// outputs), run by the built vantrel-cli with their fixed seed, must write the very bytes kept under tests/data/golden: the
// plain log, the particle records and the events table.  Any change to a
// summation order, a message or a record layout shows up here first.
//
// On more threads (--threads) the jobs must write the same bytes: the log
// differs only by the summary line that names the thread count.
//
// To regenerate after an intended change (say why in the commit):
//   VANTREL_REGENERATE_GOLDEN=1 build/test/tests/cli/cli_tests --gtest_filter='GoldenOutputs*'
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/cli/runner_process.h"
#include "tests/support/temp_dir.h"

namespace vantrel {
namespace {

using testing::ReadFileBytes;
using testing::RunnerResult;
using testing::RunRunner;
using testing::TempDir;

struct GoldenJob {
    const char* Name;                 // folder under tests/data/golden
    std::vector<std::string> Args;    // after "run --answer yes --quiet --log job.log"
    std::vector<std::string> Files;   // written by the job, compared byte for byte
    int Threads = 0;                  // --threads; 0: not given (one thread on these crystals)
};

// The summary line of a job on more than one thread.
std::string ThreadsLine(int threads) {
    return "   - Force, density and list passes on " + std::to_string(threads) + " threads\n";
}

// The example jobs' input files as they were when the outputs were kept: the
// shipped examples may change, these stay.
std::string Input(const std::string& relative) {
    return std::string(VANTREL_SOURCE_DIR) + "/tests/data/golden/" + relative;
}

class GoldenOutputs : public ::testing::TestWithParam<GoldenJob> {};

TEST_P(GoldenOutputs, ExampleJobWritesTheKeptBytes) {
    const GoldenJob& job = GetParam();
    TempDir dir;
    std::vector<std::string> args = {"run", "--answer", "yes", "--quiet", "--log", "job.log",
                                     "--set", "RandomSeed=1"};
    if (job.Threads > 0) {
        args.push_back("--threads");
        args.push_back(std::to_string(job.Threads));
    }
    args.insert(args.end(), job.Args.begin(), job.Args.end());
    const RunnerResult r = RunRunner(dir.Path(), args);
    ASSERT_EQ(r.Status, 0) << r.Err;

    const std::filesystem::path golden =
        std::filesystem::path(VANTREL_SOURCE_DIR) / "tests/data/golden" / job.Name;
    const bool regenerate = std::getenv("VANTREL_REGENERATE_GOLDEN") != nullptr;
    std::vector<std::string> files = job.Files;
    files.push_back("job.log");
    for (const std::string& name : files) {
        std::string produced = ReadFileBytes(dir.File(name));
        ASSERT_FALSE(produced.empty()) << name << " was not written";
        if (job.Threads > 1 && name == "job.log") {
            const std::string line = ThreadsLine(job.Threads);
            const std::size_t at = produced.find(line);
            ASSERT_NE(at, std::string::npos) << "no thread count in the summary";
            produced.erase(at, line.size());
            EXPECT_EQ(produced.find(line), std::string::npos);
        }
        if (regenerate) {
            if (job.Threads > 0) continue;
            std::filesystem::create_directories(golden);
            std::ofstream((golden / name).string(), std::ios::binary) << produced;
            continue;
        }
        const std::string kept = ReadFileBytes((golden / name).string());
        ASSERT_FALSE(kept.empty()) << "no golden copy of " << name;
        EXPECT_EQ(produced.size(), kept.size()) << name;
        EXPECT_TRUE(produced == kept) << name << " differs from " << (golden / name);
    }
}

// The 3 keV cascade on 2000 atoms, and the hot 720-atom crystal with
// electronic losses and events.
GoldenJob Cascade(int threads = 0) {
    return {"ar_cu100", {Input("ar_cu100/input/ar_cu100.prj")}, {"dynvars.vsk"}, threads};
}
GoldenJob HotCrystal(int threads = 0) {
    return {"ar_cu100_inel",
            {"--config", Input("ar_cu100_inel/input/ar_cu100_inel.cfg"),
             Input("ar_cu100_inel/input/ar_cu100_inel.prj")},
            {"dynvars.vsk", "inelast.dat"},
            threads};
}

INSTANTIATE_TEST_SUITE_P(
    Examples, GoldenOutputs,
    ::testing::Values(Cascade(), HotCrystal(), Cascade(2), Cascade(3), HotCrystal(1),
                      HotCrystal(2), HotCrystal(3), HotCrystal(8)),
    [](const ::testing::TestParamInfo<GoldenJob>& info) {
        const std::string name = info.param.Name;
        return info.param.Threads > 0 ? name + "_Threads" + std::to_string(info.param.Threads) : name;
    });

}  // namespace
}  // namespace vantrel
