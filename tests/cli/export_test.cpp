// `vantrel-cli export` in-process on the example job's kept records: the
// files it writes, what it says, and the record files it refuses.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/commands.h"
#include "tests/cli/cli_test_support.h"
#include "tests/support/temp_dir.h"

namespace vantrel::cli {
namespace {

using vantrel::testing::CapturedStream;
using vantrel::testing::CurrentDirectory;
using vantrel::testing::ReadFileBytes;
using vantrel::testing::TempDir;

const std::string Source = VANTREL_SOURCE_DIR;
const std::string Records = Source + "/tests/data/golden/ar_cu100/dynvars.vsk";
const std::string Target = Source + "/examples/ar_cu100.trg";
const std::string Projectile = Source + "/examples/ar_cu100.prj";

struct Outcome {
    int Status;
    std::string Out, Err;
};

Outcome Export(const TempDir& dir, std::vector<std::string> args) {
    CurrentDirectory here(dir.Path());
    CapturedStream out, err;
    args.insert(args.begin(), "export");
    const int status = RunCli(args, out.get(), err.get(), [] { return 0; });
    return {status, out.Text(), err.Text()};
}

std::vector<std::string> FilesIn(const TempDir& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(ExportCommand, ExampleJobGivesOneFilePerRunWithSpeciesFromItsFiles) {
    TempDir dir;
    const Outcome r = Export(dir, {"--format", "extxyz", "--target", Target, "--projectile",
                                   Projectile, "--per-run", "-o", "cascade.xyz", Records});
    ASSERT_EQ(r.Status, ExitCompleted) << r.Err;
    EXPECT_EQ(r.Err, "");
    EXPECT_EQ(r.Out,
              "5 frames (349 particle records) written to 5 files, cascade_run1.xyz ... "
              "cascade_run5.xyz\n");
    EXPECT_EQ(FilesIn(dir), (std::vector<std::string>{"cascade_run1.xyz", "cascade_run2.xyz",
                                                      "cascade_run3.xyz", "cascade_run4.xyz",
                                                      "cascade_run5.xyz"}));
    // Run 1: the projectile and the emitted copper atoms, in one frame.
    const std::string run1 = ReadFileBytes(dir.File("cascade_run1.xyz"));
    EXPECT_EQ(run1.substr(0, run1.find('\n')), "127");
    EXPECT_NE(run1.find("Time=300.1362 Run=1 "), std::string::npos);
    EXPECT_NE(run1.find("\nAr -57.35628 54.0094 75.33577 "), std::string::npos);
    EXPECT_NE(run1.find("\nCu -9.265338 -17.2558 0.7700081 "), std::string::npos);
}

TEST(ExportCommand, WithoutTheJobsFilesSpeciesAreGuessedAndSaidSo) {
    TempDir dir;
    const Outcome r = Export(dir, {"--format=dump", "-o", "all.dump", Records});
    ASSERT_EQ(r.Status, ExitCompleted) << r.Err;
    EXPECT_EQ(r.Err,
              "vantrel-cli: export: species by mass (--target and --projectile take them from "
              "the job's files): 39.948 amu Ar, 63.546 amu Cu\n");
    EXPECT_EQ(r.Out, "5 frames (349 particle records) written to all.dump\n");
    const std::string dump = ReadFileBytes(dir.File("all.dump"));
    EXPECT_EQ(dump.substr(0, dump.find("ITEM: BOX")),
              "ITEM: TIME\n0.3001362\nITEM: TIMESTEP\n0\nITEM: NUMBER OF ATOMS\n127\n");
}

struct RefusalCase {
    const char* Name;
    std::vector<std::string> Args;  // after "export --format csv -o out.csv"
    std::string Err;
};

class ExportRefusals : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(ExportRefusals, NameTheFileAndWriteNothing) {
    TempDir dir;
    dir.Write("three.trg", "0 0 0 29 63.546 0 three atoms\n1 0 0 29 63.546 0\n2 0 0 29 63.546 0\n");
    std::string nickel;
    for (int i = 0; i < 2000; ++i) nickel += "0 0 0 28 58.69 0\n";
    dir.Write("nickel.trg", nickel);
    dir.Write("kr.prj", "3.0 36 83.798 0 Kr\n");
    dir.Write("bad.prj", "3.0 36 83.798 0\n");
    dir.Write("empty.vsk", "");
    std::vector<std::string> args = {"--format", "csv", "-o", "out.csv"};
    for (const std::string& a : GetParam().Args) args.push_back(a == "RECORDS" ? Records : a);
    const Outcome r = Export(dir, args);
    EXPECT_EQ(r.Status, ExitJobError);
    EXPECT_EQ(r.Out, "");
    EXPECT_EQ(r.Err, "vantrel-cli: export: " + GetParam().Err + "\n");
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.csv")));
}

INSTANTIATE_TEST_SUITE_P(
    Export, ExportRefusals,
    ::testing::Values(
        RefusalCase{"MissingRecordFile", {"none.vsk"}, "cannot open the record file 'none.vsk'"},
        RefusalCase{"EmptyRecordFile", {"empty.vsk"},
                    "the record files hold no records; nothing written"},
        RefusalCase{"MissingTarget", {"--target", "none.trg", "RECORDS"},
                    "cannot open the target file 'none.trg'"},
        RefusalCase{"TargetTooSmall", {"--target", "three.trg", "RECORDS"},
                    "'" + Records + "' record 2: particle 4 is not an atom of the target file "
                    "'three.trg' (1 to 3)"},
        RefusalCase{"AnotherJobsTarget", {"--target", "nickel.trg", "RECORDS"},
                    "'" + Records + "' record 2: particle 4 has the mass 63.546 amu, the target "
                    "file 'nickel.trg' gives 58.69 amu: the records are not of this job"},
        RefusalCase{"AnotherJobsProjectile", {"--projectile", "kr.prj", "RECORDS"},
                    "'" + Records + "' record 1: particle 0 has the mass 39.948 amu, the "
                    "projectile file 'kr.prj' gives 83.798 amu: the records are not of this job"},
        RefusalCase{"BadProjectile", {"--projectile", "bad.prj", "RECORDS"},
                    "the projectile file 'bad.prj' could not be read or has wrong format"}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace vantrel::cli
