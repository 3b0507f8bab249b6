#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/arguments.h"
#include "cli/commands.h"
#include "job/option_names.h"
#include "core/options.h"
#include "tests/cli/cli_test_support.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"
#include "io/config_file.h"

namespace vantrel::cli {
namespace {

using vantrel::testing::CapturedStream;
using vantrel::testing::CurrentDirectory;
using vantrel::testing::RecordingUserInterface;
using vantrel::testing::TempDir;

const std::vector<std::string> DefaultListing = {
    "Algorithm = 3",
    "NeighbourSearch = false",
    "GraphPlotType = 0",
    "Verbose = true",
    "ReportEnergy = true",
    "ReportInelastic = true",
    "ReportLatticeEnergy = false",
    "LatticeSiteIndex = 1",
    "LogBufferLines = 500",
    "ElementalTarget = false",
    "StoreInitial = false",
    "StoreInelastic = false",
    "HotTarget = false",
    "LoadOptionsAtStart = false",
    "FixedTimestep = false",
    "NoYVibration = false",
    "UseLSS = false",
    "UseOR = false",
    "UseST = false",
    "UseCooling = false",
    "IgnoreTargetForces = false",
    "SelfBombard = false",
    "UseImagePotential = false",
    "GraphScale = 1e+11",
    "RunOffset = 0",
    "RandomSeed = 1",
    "PerRunStreams = false",
    "StoreResults = false",
    "SmoothDensityJoin = false",
    "Threads = 0",
    "SurfaceBinding = 0",
};

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

// The listing with some lines replaced ("Name = value" by name).
std::string ListingWith(const std::vector<std::string>& changes) {
    std::vector<std::string> lines = DefaultListing;
    for (const std::string& change : changes) {
        const std::string name = change.substr(0, change.find(' '));
        for (std::string& line : lines)
            if (line.substr(0, line.find(' ')) == name) line = change;
    }
    return Joined(lines);
}

TEST(OptionNames, DefaultsListTheBlockInStoredOrderThenTheCompanions) {
    RecordingUserInterface ui;
    ProgramContext program(ui);
    EXPECT_EQ(OptionLines(program), DefaultListing);
}

struct SetCase {
    const char* Assignment;
    const char* Line;  // the listing line that must change
};

class SetOneOption : public ::testing::TestWithParam<SetCase> {};

TEST_P(SetOneOption, ChangesExactlyItsOwnLine) {
    RecordingUserInterface ui;
    ProgramContext program(ui);
    std::string error;
    ASSERT_TRUE(SetOptionAssignment(program, GetParam().Assignment, error)) << error;
    EXPECT_EQ(Joined(OptionLines(program)), ListingWith({GetParam().Line}));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, SetOneOption,
    ::testing::Values(SetCase{"LatticeSiteIndex=30000", "LatticeSiteIndex = 30000"},
                      SetCase{"LogBufferLines=0", "LogBufferLines = 0"},
                      SetCase{"Algorithm=0", "Algorithm = 0"},
                      SetCase{"UseLSS=1", "UseLSS = true"},
                      SetCase{"StoreInelastic=true", "StoreInelastic = true"},
                      SetCase{"Verbose=0", "Verbose = false"},
                      SetCase{"ReportEnergy=FALSE", "ReportEnergy = false"},
                      SetCase{"NeighbourSearch=True", "NeighbourSearch = true"},
                      SetCase{"RunOffset=-10000000", "RunOffset = -10000000"},
                      SetCase{"RandomSeed=+4711", "RandomSeed = 4711"},
                      SetCase{"UseImagePotential=1", "UseImagePotential = true"},
                      SetCase{"PerRunStreams=true", "PerRunStreams = true"},
                      SetCase{"StoreResults=1", "StoreResults = true"},
                      SetCase{"SmoothDensityJoin=1", "SmoothDensityJoin = true"},
                      SetCase{"SurfaceBinding=3.49", "SurfaceBinding = 3.49"},
                      SetCase{"Threads=64", "Threads = 64"}),
    [](const ::testing::TestParamInfo<SetCase>& info) {
        std::string name = info.param.Assignment;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return name;
    });

TEST(OptionNames, VelocityPlotTypeBringsItsScale) {
    RecordingUserInterface ui;
    ProgramContext program(ui);
    std::string error;
    ASSERT_TRUE(SetOptionByName(program, "GraphPlotType", "1", error)) << error;
    EXPECT_EQ(Joined(OptionLines(program)),
              ListingWith({"GraphPlotType = 1", "GraphScale = 0.01"}));
    ASSERT_TRUE(SetOptionByName(program, "GraphPlotType", "0", error)) << error;
    EXPECT_EQ(program.GraphScale, SpatialGraphScale);
}

struct BadSetCase {
    const char* Assignment;
    const char* Error;
};

class RejectedAssignment : public ::testing::TestWithParam<BadSetCase> {};

TEST_P(RejectedAssignment, LeavesEveryValueAsItWas) {
    RecordingUserInterface ui;
    ProgramContext program(ui);
    std::string error;
    EXPECT_FALSE(SetOptionAssignment(program, GetParam().Assignment, error));
    EXPECT_EQ(error, GetParam().Error);
    EXPECT_EQ(OptionLines(program), DefaultListing);
}

INSTANTIATE_TEST_SUITE_P(
    Values, RejectedAssignment,
    ::testing::Values(
        BadSetCase{"uselss=1", "unknown option name: 'uselss' (did you mean UseLSS?)"},
        BadSetCase{"Speed=3", "unknown option name: 'Speed'"},
        BadSetCase{"perrunstreams=1", "unknown option name: 'perrunstreams' (did you mean PerRunStreams?)"},
        BadSetCase{"PerRunStreams=2", "bad value for PerRunStreams: '2' (0, 1, true or false)"},
        BadSetCase{"SurfaceBinding=-1", "bad value for SurfaceBinding: '-1' (a number from 0 to 1000)"},
        BadSetCase{"SurfaceBinding=3eV", "bad value for SurfaceBinding: '3eV' (a number from 0 to 1000)"},
        BadSetCase{"surfacebinding=3", "unknown option name: 'surfacebinding' (did you mean SurfaceBinding?)"},
        BadSetCase{"Threads=65", "bad value for Threads: '65' (an integer from 0 to 64)"},
        BadSetCase{"threads=2", "unknown option name: 'threads' (did you mean Threads?)"},
        BadSetCase{"Reserved1=0", "unknown option name: 'Reserved1'"},
        BadSetCase{"UseLSS", "--set wants NAME=VALUE, not 'UseLSS'"},
        BadSetCase{"=1", "--set wants NAME=VALUE, not '=1'"},
        BadSetCase{"UseLSS=yes", "bad value for UseLSS: 'yes' (0, 1, true or false)"},
        BadSetCase{"UseOR=2", "bad value for UseOR: '2' (0, 1, true or false)"},
        BadSetCase{"UseST=", "bad value for UseST: '' (0, 1, true or false)"},
        BadSetCase{"LatticeSiteIndex=0",
                   "bad value for LatticeSiteIndex: '0' (an integer from 1 to 30000)"},
        BadSetCase{"LogBufferLines=9000001",
                   "bad value for LogBufferLines: '9000001' (an integer from 0 to 9000000)"},
        BadSetCase{"Algorithm=4", "bad value for Algorithm: '4' (an integer from 0 to 3)"},
        BadSetCase{"GraphPlotType=1.0",
                   "bad value for GraphPlotType: '1.0' (an integer from 0 to 1)"},
        BadSetCase{"RunOffset=10000001",
                   "bad value for RunOffset: '10000001' (an integer from -10000000 to 10000000)"},
        BadSetCase{"RandomSeed= 5",
                   "bad value for RandomSeed: ' 5' (an integer from -10000000 to 10000000)"},
        BadSetCase{"RandomSeed=99999999999",
                   "bad value for RandomSeed: '99999999999' (an integer from -10000000 to "
                   "10000000)"},
        BadSetCase{"GraphScale=2", "GraphScale follows GraphPlotType and cannot be set by itself"}),
    [](const ::testing::TestParamInfo<BadSetCase>& info) {
        return "Case" + std::to_string(info.index);
    });

// The `options` command from its parsed command line, in dir.
struct OptionsRun {
    int Status = -1;
    std::string Out, Err;
};

OptionsRun RunOptions(const TempDir& dir, const std::vector<std::string>& args) {
    CurrentDirectory here(dir.Path());
    CliArguments parsed;
    std::string error;
    EXPECT_TRUE(ParseArguments(args, parsed, error)) << error;
    CapturedStream out, err;
    OptionsRun run;
    run.Status = RunOptionsCommand(parsed, out.get(), err.get());
    run.Out = out.Text();
    run.Err = err.Text();
    return run;
}

std::string ConfigBytes(SimulationOptions options) {
    const OptionsRecord record = EncodeOptions(options);
    return std::string(record.begin(), record.end());
}

TEST(OptionsCommand, StartUpFileCountsOnlyWhenItSaysSo) {
    TempDir dir;
    SimulationOptions stored;
    stored.UseOR = true;
    stored.LoadOptionsAtStart = false;
    dir.Write("vantrel.cfg", ConfigBytes(stored));
    OptionsRun ignored = RunOptions(dir, {"options"});
    EXPECT_EQ(ignored.Status, ExitCompleted);
    EXPECT_EQ(ignored.Out, Joined(DefaultListing));
    EXPECT_EQ(ignored.Err, "");

    stored.LoadOptionsAtStart = true;
    dir.Write("vantrel.cfg", ConfigBytes(stored));
    OptionsRun loaded = RunOptions(dir, {"options"});
    EXPECT_EQ(loaded.Status, ExitCompleted);
    EXPECT_EQ(loaded.Out, ListingWith({"UseOR = true", "LoadOptionsAtStart = true"}));
}

TEST(OptionsCommand, ConfigFlagLoadsWhateverTheStartUpByteSaysThenSetsApplyInOrder) {
    TempDir dir;
    SimulationOptions stored;
    stored.GraphPlotType = 1;
    stored.HotTarget = true;
    stored.LatticeSiteIndex = 12;
    dir.Write("slice.cfg", ConfigBytes(stored));
    OptionsRun run = RunOptions(dir, {"options", "--config", "slice.cfg", "--set",
                                      "LatticeSiteIndex=13", "--set", "RandomSeed=7", "--set",
                                      "LatticeSiteIndex=14"});
    EXPECT_EQ(run.Status, ExitCompleted);
    EXPECT_EQ(run.Err, "");
    EXPECT_EQ(run.Out, ListingWith({"GraphPlotType = 1", "HotTarget = true",
                                    "LatticeSiteIndex = 14", "GraphScale = 0.01",
                                    "RandomSeed = 7"}));
}

TEST(OptionsCommand, ShortConfigFileIsAUsageErrorWithTheReadMessage) {
    TempDir dir;
    const std::string path = dir.Write("short.cfg", std::string(39, '\1'));
    OptionsRun run = RunOptions(dir, {"options", "--config", path});
    EXPECT_EQ(run.Status, ExitUsage);
    EXPECT_EQ(run.Out, "");
    EXPECT_EQ(run.Err, "error: Error reading options from " + path + ".\n" + UsageText());
}
// An unknown name or a bad value: RunnerUsage in runner_test.cpp.

}  // namespace
}  // namespace vantrel::cli
