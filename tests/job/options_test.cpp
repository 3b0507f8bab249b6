#include "core/options.h"

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "job/program.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"
#include "io/config_file.h"
#include "job/options_file.h"

namespace vantrel {
namespace {

using testing::RecordingUserInterface;
using testing::TempDir;
using testing::UiCall;

// Runs fn with the current directory switched to dir.
template <typename Fn>
void InDirectory(const std::filesystem::path& dir, Fn fn) {
    const auto old = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    fn();
    std::filesystem::current_path(old);
}

// The defaults, block and companions: OptionNames in tests/cli/options_test.cpp
// lists them all; their bytes follow.
TEST(Options, EncodedDefaultsHaveTheDocumentedBytes) {
    const OptionsRecord r = EncodeOptions(SimulationOptions{});
    const OptionsRecord expected = {3, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0,  1, 1, 1, 0,
                                    1, 0, 0, 0,  0xF4, 1, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0,
                                    0, 0, 0, 0,  0, 0, 0, 0};
    EXPECT_EQ(r, expected);
}

TEST(Options, EveryFieldSurvivesEncodeAndDecode) {
    SimulationOptions o;
    o.Algorithm = -7;
    o.GraphPlotType = 1;
    o.LatticeSiteIndex = 30000;
    o.LogBufferLines = 9000000;
    o.NeighbourSearch = o.ReportLatticeEnergy = o.ElementalTarget = o.StoreInitial = true;
    o.StoreInelastic = o.HotTarget = o.LoadOptionsAtStart = o.FixedTimestep = true;
    o.NoYVibration = o.UseLSS = o.UseOR = o.UseST = o.UseCooling = true;
    o.IgnoreTargetForces = o.SelfBombard = o.UseImagePotential = true;
    o.Verbose = o.ReportEnergy = o.ReportInelastic = false;
    const OptionsRecord r = EncodeOptions(o);
    EXPECT_EQ(EncodeOptions(DecodeOptions(r)), r);
    EXPECT_EQ(r[0], 0xF9);  // -7 little-endian
    EXPECT_EQ(r[3], 0xFF);
    EXPECT_EQ(r[37], 1);
    EXPECT_EQ(r[5], 0);  // reserved
    EXPECT_EQ(r[38], 0);
    EXPECT_TRUE(InelasticModelsInUse(o));
    EXPECT_FALSE(InelasticModelsInUse(SimulationOptions{}));
}

TEST(Options, AnyNonZeroBooleanByteReadsTrueAndReservedBytesAreIgnored) {
    OptionsRecord r = EncodeOptions(SimulationOptions{});
    r[31] = 0x80;  // UseLSS
    r[5] = 0xAA;   // reserved
    r[39] = 0x55;  // reserved
    const SimulationOptions o = DecodeOptions(r);
    EXPECT_TRUE(o.UseLSS);
    EXPECT_EQ(EncodeOptions(o)[31], 1);
    EXPECT_EQ(EncodeOptions(o)[5], 0);
    EXPECT_EQ(EncodeOptions(o)[39], 0);
}

TEST(Options, SaveWritesFortyBytesAndLoadReproducesThem) {
    TempDir dir;
    RecordingUserInterface ui;
    ProgramContext program(ui);
    program.ConfigFilePath = dir.File("vantrel.cfg");
    program.Options.UseST = true;
    program.Options.LatticeSiteIndex = 42;
    program.RunOffset = 9;
    program.RandomSeed = 77;
    ASSERT_TRUE(SaveOptionsFile(program));
    const std::string bytes = testing::ReadFileBytes(program.ConfigFilePath);
    ASSERT_EQ(bytes.size(), 40u);

    ProgramContext other(ui);
    ASSERT_TRUE(LoadOptionsFile(other, program.ConfigFilePath));
    EXPECT_EQ(EncodeOptions(other.Options), EncodeOptions(program.Options));
    // The companions are not in the file.
    EXPECT_EQ(other.RunOffset, 0);
    EXPECT_EQ(other.RandomSeed, 1);
    EXPECT_TRUE(ui.Texts(UiCall::ErrorBox).empty());
}

// The options beside the block go to the companion file only when one of
// them is set (or the companion is already there), and come back with the
// block; a bad companion line refuses the whole load.
TEST(Options, CompanionFileHoldsTheOptionsBesideTheBlock) {
    TempDir dir;
    RecordingUserInterface ui;
    ProgramContext program(ui);
    program.ConfigFilePath = dir.File("job.cfg");
    const std::string companion = dir.File("job.options");
    EXPECT_EQ(ExtendedOptionsPath(program.ConfigFilePath), companion);
    EXPECT_EQ(ExtendedOptionsPath("a.b/vantrel"), "a.b/vantrel.options");

    ASSERT_TRUE(SaveOptionsFile(program));
    EXPECT_FALSE(std::filesystem::exists(companion));  // defaults: the folder as before

    program.Extended.PerRunStreams = true;
    program.Extended.StoreResults = true;
    program.Extended.SmoothDensityJoin = true;
    program.Extended.SurfaceBinding = 3.49;
    ASSERT_TRUE(SaveOptionsFile(program));
    EXPECT_EQ(testing::ReadFileBytes(companion),
              "PerRunStreams = true\nStoreResults = true\nSmoothDensityJoin = true\nThreads = 0\nSurfaceBinding = 3.49\n");
    ProgramContext other(ui);
    ASSERT_TRUE(LoadOptionsFile(other, program.ConfigFilePath));
    EXPECT_EQ(other.Extended, program.Extended);
    program.Extended = ExtendedOptions{};

    // An existing companion is kept up to date.
    ASSERT_TRUE(SaveOptionsFile(program));
    EXPECT_EQ(testing::ReadFileBytes(companion),
              "PerRunStreams = false\nStoreResults = false\nSmoothDensityJoin = false\nThreads = 0\nSurfaceBinding = 0\n");

    dir.Write("job.options", "# comment\n\nPerRunStreams = maybe\n");
    other.Options.UseOR = true;
    EXPECT_FALSE(LoadOptionsFile(other, program.ConfigFilePath));
    EXPECT_TRUE(other.Options.UseOR && other.Extended.PerRunStreams);  // unchanged
    EXPECT_EQ(ui.Texts(UiCall::ErrorBox),
              std::vector<std::string>{"Error reading options from " + companion +
                                       ", line 3: bad value for PerRunStreams: 'maybe' (0, 1, "
                                       "true or false)."});
}

TEST(Options, StartUpLoadsOnlyWhenTheFileAsksForIt) {
    TempDir dir;
    RecordingUserInterface ui;
    SimulationOptions saved;
    saved.UseOR = true;
    OptionsRecord record = EncodeOptions(saved);
    dir.Write("vantrel.cfg", std::string(record.begin(), record.end()));
    InDirectory(dir.Path(), [&] {
        ProgramContext program(ui);
        LoadOptionsAtStartUp(program);
        EXPECT_FALSE(program.Options.UseOR);  // LoadOptionsAtStart byte is 0
        EXPECT_EQ(program.ConfigFilePath, (dir.Path() / "vantrel.cfg").string());
        // ... but the dialog's load takes it.
        ASSERT_TRUE(LoadOptionsFile(program, "vantrel.cfg"));
        EXPECT_TRUE(program.Options.UseOR);
    });
    saved.LoadOptionsAtStart = true;
    record = EncodeOptions(saved);
    dir.Write("vantrel.cfg", std::string(record.begin(), record.end()));
    InDirectory(dir.Path(), [&] {
        ProgramContext program(ui);
        LoadOptionsAtStartUp(program);
        EXPECT_TRUE(program.Options.UseOR);
        EXPECT_TRUE(program.Options.LoadOptionsAtStart);
    });
    EXPECT_TRUE(ui.Events.empty());  // start-up reports nothing
}

TEST(Options, ShortOrMissingFilesLeaveTheDefaultsSilently) {
    TempDir dir;
    RecordingUserInterface ui;
    SimulationOptions saved;
    saved.LoadOptionsAtStart = true;
    saved.UseLSS = true;
    const OptionsRecord record = EncodeOptions(saved);
    InDirectory(dir.Path(), [&] {
        ProgramContext program(ui);
        LoadOptionsAtStartUp(program);  // no file
        EXPECT_FALSE(program.Options.UseLSS);
    });
    dir.Write("vantrel.cfg", std::string(record.begin(), record.begin() + 39));
    InDirectory(dir.Path(), [&] {
        ProgramContext program(ui);
        LoadOptionsAtStartUp(program);
        EXPECT_FALSE(program.Options.UseLSS);
        EXPECT_FALSE(program.Options.LoadOptionsAtStart);
    });
    EXPECT_TRUE(ui.Events.empty());
}

TEST(Options, LongerFilesAreReadFromTheirFirstFortyBytes) {
    TempDir dir;
    RecordingUserInterface ui;
    ProgramContext program(ui);
    SimulationOptions saved;
    saved.HotTarget = true;
    const OptionsRecord record = EncodeOptions(saved);
    const std::string path =
        dir.Write("long.cfg", std::string(record.begin(), record.end()) + "trailing bytes");
    ASSERT_TRUE(LoadOptionsFile(program, path));
    EXPECT_TRUE(program.Options.HotTarget);
}

TEST(Options, LoadAndSaveFailuresShowTheirBoxesAndKeepTheBlock) {
    TempDir dir;
    RecordingUserInterface ui;
    ProgramContext program(ui);
    program.Options.UseCooling = true;
    const std::string missing = dir.File("missing.cfg");
    EXPECT_FALSE(LoadOptionsFile(program, missing));
    EXPECT_TRUE(program.Options.UseCooling);
    program.ConfigFilePath = dir.File("no/such/folder/vantrel.cfg");
    EXPECT_FALSE(SaveOptionsFile(program));
    const auto boxes = ui.Texts(UiCall::ErrorBox);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0], "Error reading options from " + missing + ".");
    EXPECT_EQ(boxes[1], "Error writing options to " + program.ConfigFilePath + ".");
}

}  // namespace
}  // namespace vantrel
