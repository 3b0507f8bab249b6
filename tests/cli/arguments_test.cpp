#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/arguments.h"

namespace vantrel::cli {
namespace {

struct UsageCase {
    const char* Name;
    std::vector<std::string> Args;
    std::string Error;
};

// A missing command, projectile or batch file: RunnerUsage (runner_test.cpp)
// checks those messages through the program itself.
class UsageErrors : public ::testing::TestWithParam<UsageCase> {};

TEST_P(UsageErrors, NameTheFaultInOneLine) {
    CliArguments parsed;
    std::string error;
    EXPECT_FALSE(ParseArguments(GetParam().Args, parsed, error));
    EXPECT_EQ(error, GetParam().Error);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, UsageErrors,
    ::testing::Values(
        UsageCase{"UnknownCommand", {"go", "a.prj"},
                  "unknown command: 'go' (run, batch, options, analyze, export or join)"},
        UsageCase{"UnknownFlag", {"run", "--fast", "a.prj"}, "unknown flag: '--fast'"},
        UsageCase{"UnknownShortFlag", {"run", "-x", "a.prj"}, "unknown flag: '-x'"},
        UsageCase{"TwoProjectiles", {"run", "a.prj", "b.prj"}, "unexpected argument: 'b.prj'"},
        UsageCase{"FlagWithoutValue", {"run", "a.prj", "--target"}, "--target needs a value"},
        UsageCase{"EmptyFileName", {"run", "--model=", "a.prj"}, "--model needs a file name"},
        UsageCase{"MaxRunsZero", {"run", "--max-runs", "0", "a.prj"},
                  "bad value for --max-runs: '0' (a whole number from 1)"},
        UsageCase{"MaxRunsText", {"run", "--max-runs=ten", "a.prj"},
                  "bad value for --max-runs: 'ten' (a whole number from 1)"},
        UsageCase{"MaxRunsTooLarge", {"run", "--max-runs", "3000000000", "a.prj"},
                  "bad value for --max-runs: '3000000000' (a whole number from 1)"},
        UsageCase{"JobsNegative", {"run", "--jobs", "-1", "a.prj"},
                  "bad value for --jobs: '-1' (a whole number from 0)"},
        UsageCase{"JobsForOptions", {"options", "--jobs", "2"},
                  "--jobs is not an option of 'options'"},
        UsageCase{"JoinNothing", {"join", "s1"}, "nothing to join: give --log, --dynamic or --events"},
        UsageCase{"JoinWithoutSlices", {"join", "--log", "j.log"}, "missing slice (SLICE...)"},
        UsageCase{"JoinRunFlag", {"join", "--max-runs", "2", "s1"},
                  "--max-runs is not an option of 'join'"},
        UsageCase{"ThreadsTooMany", {"run", "--threads", "65", "a.prj"},
                  "bad value for --threads: '65' (a whole number from 0 to 64)"},
        UsageCase{"ThreadsNegative", {"batch", "--threads=-1", "b.bdf"},
                  "bad value for --threads: '-1' (a whole number from 0 to 64)"},
        UsageCase{"ThreadsForOptions", {"options", "--threads", "2"},
                  "--threads is not an option of 'options'"},
        UsageCase{"AnswerMaybe", {"run", "--answer", "maybe", "a.prj"},
                  "bad value for --answer: 'maybe' (yes or no)"},
        UsageCase{"QuietWithValue", {"run", "--quiet=1", "a.prj"}, "--quiet takes no value"},
        UsageCase{"JobFlagForOptions", {"options", "--max-runs", "3"},
                  "--max-runs is not an option of 'options'"},
        UsageCase{"QuietForOptions", {"options", "--quiet"}, "--quiet is not an option of 'options'"},
        UsageCase{"FileForOptions", {"options", "x.cfg"}, "unexpected argument: 'x.cfg'"},
        UsageCase{"FileFlagForBatch", {"batch", "--target", "t.trg", "b.bdf"},
                  "--target is not an option of 'batch' (the batch file names every file)"},
        UsageCase{"ResultsFileForBatch", {"batch", "--results", "r.csv", "b.bdf"},
                  "--results is not an option of 'batch' (the batch file names every file)"},
        UsageCase{"YieldErrorZero", {"run", "--until-yield-error", "0", "a.prj"},
                  "bad value for --until-yield-error: '0' (a number above 0)"},
        UsageCase{"MinRunsText", {"run", "--min-runs=few", "a.prj"},
                  "bad value for --min-runs: 'few' (a whole number from 1)"},
        UsageCase{"BindingForOptions", {"options", "--surface-binding", "3"},
                  "--surface-binding is not an option of 'options'"},
        UsageCase{"AnalyzeWithoutTable", {"analyze", "--json"}, "missing result table (RESULTS.csv)"},
        UsageCase{"AnalyzeBins", {"analyze", "--bins", "0", "r.csv"},
                  "bad value for --bins: '0' (a whole number from 1 to 1000)"},
        UsageCase{"AnalyzeJobFlag", {"analyze", "--answer", "yes", "r.csv"},
                  "unknown flag: '--answer' (analyze takes --json, --plots, --bins, --sputtered)"},
        UsageCase{"VersionWithArgument", {"--version", "run"}, "unexpected argument: 'run'"},
        UsageCase{"ExportWithoutFormat", {"export", "-o", "x.xyz", "d.vsk"},
                  "missing --format (extxyz, dump or csv)"},
        UsageCase{"ExportBadFormat", {"export", "--format", "pdb", "-o", "x", "d.vsk"},
                  "bad value for --format: 'pdb' (extxyz, dump or csv)"},
        UsageCase{"ExportWithoutOutput", {"export", "--format", "csv", "d.vsk"},
                  "missing output file (-o OUT)"},
        UsageCase{"ExportWithoutRecords", {"export", "--format", "csv", "-o", "x.csv"},
                  "missing record file (RECORDS.vsk)"},
        UsageCase{"ExportTwoSplits", {"export", "--per-run", "--per-frame"},
                  "--per-run and --per-frame exclude each other"},
        UsageCase{"ExportSiForXyz", {"export", "--format=extxyz", "--si", "-o", "x", "d.vsk"},
                  "--si is an option of --format csv only"},
        UsageCase{"ExportRunFlag", {"export", "--model", "m.mdl"},
                  "--model is not an option of 'export'"}),
    [](const ::testing::TestParamInfo<UsageCase>& info) { return std::string(info.param.Name); });

TEST(Arguments, RunTakesEveryFlagInBothSpellings) {
    CliArguments a;
    std::string error;
    ASSERT_TRUE(ParseArguments({"run", "--target", "t.trg", "--model=m.mdl", "--run", "r.run",
                                "--impact=i.imp", "--inelastic", "x.inl", "--initial", "ini.vsk",
                                "--dynamic=dyn.vsk", "--events", "ev.dat", "--results", "r.csv",
                                "--sputtered=s.csv", "--surface-binding", "3.49",
                                "--until-yield-error", "0.05", "--min-runs=20", "--config", "c.cfg",
                                "--set", "UseLSS=1", "--threads", "3", "--set=RunOffset=4",
                                "--max-runs", "7",
                                "--answer", "no", "--log", "job.log", "--quiet", "--progress",
                                "--jobs=0", "cu.prj"},
                               a, error))
        << error;
    EXPECT_EQ(a.Kind, Command::Run);
    EXPECT_EQ(a.File, "cu.prj");
    EXPECT_EQ(a.Target, "t.trg");
    EXPECT_EQ(a.Model, "m.mdl");
    EXPECT_EQ(a.Run, "r.run");
    EXPECT_EQ(a.Impact, "i.imp");
    EXPECT_EQ(a.Inelastic, "x.inl");
    EXPECT_EQ(a.Initial, "ini.vsk");
    EXPECT_EQ(a.Dynamic, "dyn.vsk");
    EXPECT_EQ(a.Events, "ev.dat");
    EXPECT_EQ(a.Results, "r.csv");
    EXPECT_EQ(a.Sputtered, "s.csv");
    EXPECT_EQ(a.SurfaceBinding, "3.49");
    EXPECT_DOUBLE_EQ(a.UntilYieldError, 0.05);
    EXPECT_EQ(a.MinRuns, 20);
    ASSERT_TRUE(a.Config.has_value());
    EXPECT_EQ(*a.Config, "c.cfg");
    EXPECT_EQ(a.Sets, (std::vector<std::string>{"UseLSS=1", "Threads=3", "RunOffset=4"}));
    EXPECT_EQ(a.MaxRuns, 7);
    EXPECT_EQ(a.Answer, AnswerChoice::No);
    EXPECT_EQ(a.LogFile, "job.log");
    EXPECT_TRUE(a.Quiet);
    EXPECT_TRUE(a.Progress);
    EXPECT_EQ(a.Jobs, 0);

    ASSERT_TRUE(ParseArguments({"join", "--events=ev.dat", "--log", "j.log", "s1", "s2.log"}, a,
                               error))
        << error;
    EXPECT_EQ(a.Kind, Command::Join);
    EXPECT_EQ(a.Join.Log, "j.log");
    EXPECT_EQ(a.Join.Files, (std::vector<std::string>{"", "ev.dat"}));  // --dynamic, --events
    EXPECT_EQ(a.Join.Slices, (std::vector<std::string>{"s1", "s2.log"}));
}

TEST(Arguments, DoubleDashLetsAFileNameStartWithADash) {
    CliArguments a;
    std::string error;
    ASSERT_TRUE(ParseArguments({"batch", "--answer=yes", "--", "-odd.bdf"}, a, error)) << error;
    EXPECT_EQ(a.Kind, Command::Batch);
    EXPECT_EQ(a.File, "-odd.bdf");
    EXPECT_EQ(a.Answer, AnswerChoice::Yes);
    EXPECT_EQ(a.MaxRuns, 0);
    EXPECT_FALSE(a.Config.has_value());
}

TEST(Arguments, LaterValueWinsButSetsAccumulate) {
    CliArguments a;
    std::string error;
    ASSERT_TRUE(ParseArguments({"options", "--config", "a.cfg", "--set", "Verbose=0", "--config",
                                "b.cfg", "--set", "Verbose=1"},
                               a, error))
        << error;
    EXPECT_EQ(a.Kind, Command::Options);
    EXPECT_EQ(*a.Config, "b.cfg");
    EXPECT_EQ(a.Sets, (std::vector<std::string>{"Verbose=0", "Verbose=1"}));
}

// Names after --sputtered are sputtered tables; the others result tables.
TEST(Arguments, AnalyzeTakesTablesAndItsFlags) {
    CliArguments a;
    std::string error;
    ASSERT_TRUE(ParseArguments({"analyze", "--json", "a.csv", "--bins=12", "b.csv", "--sputtered",
                                "sa.csv", "sb.csv", "--plots", "out"},
                               a, error))
        << error;
    EXPECT_EQ(a.Kind, Command::Analyze);
    EXPECT_EQ(a.ResultTables, (std::vector<std::string>{"a.csv", "b.csv"}));
    EXPECT_EQ(a.SputteredTables, (std::vector<std::string>{"sa.csv", "sb.csv"}));
    EXPECT_TRUE(a.Json);
    EXPECT_EQ(a.Bins, 12);
    EXPECT_EQ(a.PlotsDir, "out");
}

TEST(Arguments, ExportTakesItsFlagsAndAnyNumberOfRecordFiles) {
    CliArguments a;
    std::string error;
    ASSERT_TRUE(ParseArguments({"export", "--format", "csv", "--si", "--target=t.trg",
                                "--projectile", "p.prj", "--per-frame", "--output", "o.csv",
                                "a.vsk", "--", "-b.vsk"},
                               a, error))
        << error;
    EXPECT_EQ(a.Kind, Command::Export);
    EXPECT_EQ(a.Export.Format, ExportFormat::Csv);
    EXPECT_EQ(a.Export.Units, CsvUnits::Si);
    EXPECT_EQ(a.Export.Target, "t.trg");
    EXPECT_EQ(a.Export.Projectile, "p.prj");
    EXPECT_EQ(a.Export.Split, ExportSplit::PerFrame);
    EXPECT_EQ(a.Export.Output, "o.csv");
    EXPECT_EQ(a.Export.Records, (std::vector<std::string>{"a.vsk", "-b.vsk"}));
}

TEST(Arguments, HelpAnywhereAsksForTheUsage) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--help"}, {"-h"}, {"run", "--help"}, {"batch", "x", "-h"},
          {"export", "-h"}}) {
        CliArguments a;
        std::string error;
        EXPECT_TRUE(ParseArguments(args, a, error));
        EXPECT_EQ(a.Kind, Command::Help) << args.back();
    }
}

}  // namespace
}  // namespace vantrel::cli
