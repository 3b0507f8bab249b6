#include "job/projectile_file.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/coloured_log.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

namespace vantrel {
namespace {

using testing::ColouredLog;
using testing::TempDir;

struct Job {
    testing::RecordingUserInterface ui;
    ProgramContext program{ui};
    SimulationState state{program};
};

std::vector<std::string> FailureLines(const std::string& name) {
    return {"red|  ++++ Error ++++",
            "red|  File (" + name + ") could not be read or has wrong format."};
}

TEST(ProjectileFile, OneLineFileFillsEveryFieldAndLogsNothing) {
    TempDir dir;
    Job job;
    ASSERT_TRUE(ReadProjectileFile(job.state, dir.Write("ar.prj", "5.0 18 39.948 33 Ar\r\n")));
    const ProjectileData& p = job.state.Projectile;
    EXPECT_EQ(p.Energy, 5.0);
    EXPECT_EQ(p.AtomicNumber, 18);
    EXPECT_EQ(p.ProjectileMass, 39.948);
    EXPECT_EQ(p.FlagWord, 33);
    EXPECT_EQ(p.ProjectileName, "Ar");
    EXPECT_TRUE(job.ui.Events.empty());
}

TEST(ProjectileFile, ValuesOnFourLinesReadLikeTheOneLineForm) {
    TempDir dir;
    Job job;
    ASSERT_TRUE(ReadProjectileFile(job.state, dir.Write("ar.prj", "5.0\n18\n39.948\n33 Ar\n")));
    EXPECT_EQ(job.state.Projectile.Energy, 5.0);
    EXPECT_EQ(job.state.Projectile.AtomicNumber, 18);
    EXPECT_EQ(job.state.Projectile.ProjectileMass, 39.948);
    EXPECT_EQ(job.state.Projectile.FlagWord, 33);
    EXPECT_EQ(job.state.Projectile.ProjectileName, "Ar");
}

TEST(ProjectileFile, NameIsCutToTenCharactersAndKeepsFurtherBlanks) {
    TempDir dir;
    Job job;
    ASSERT_TRUE(ReadProjectileFile(job.state, dir.Write("a.prj", "1 6 12.0 0 ABCDEFGHIJKL\n")));
    EXPECT_EQ(job.state.Projectile.ProjectileName, "ABCDEFGHIJ");

    Job spaced;
    ASSERT_TRUE(ReadProjectileFile(spaced.state, dir.Write("b.prj", "1 6 12.0 0   C  \n")));
    EXPECT_EQ(spaced.state.Projectile.ProjectileName, "  C  ");

    // Ten characters, not ten bytes: a UTF-8 name is never split.
    Job utf8;
    ASSERT_TRUE(ReadProjectileFile(
        utf8.state, dir.Write("c.prj", "1 6 12.0 0 \xC3\x98\xC3\x98\xC3\x98\xC3\x98\xC3\x98"
                                       "abcdefgh\n")));
    EXPECT_EQ(utf8.state.Projectile.ProjectileName, "\xC3\x98\xC3\x98\xC3\x98\xC3\x98\xC3\x98"
                                                    "abcde");
}

TEST(ProjectileFile, EmptyNameAfterTheBlankIsAccepted) {
    TempDir dir;
    Job job;
    EXPECT_TRUE(ReadProjectileFile(job.state, dir.Write("a.prj", "1 6 12.0 0 \n")));
    EXPECT_EQ(job.state.Projectile.ProjectileName, "");
}

TEST(ProjectileFile, AnythingButOneBlankAfterTheFourthNumberFails) {
    struct Case {
        const char* Label;
        const char* Contents;
        const char* StoredName;
    };
    const Case cases[] = {
        // The line end is the character read, so the name comes from the next line.
        {"line end", "5.0 18 39.948 0\nAr\n", "Ar"},
        {"carriage return", "5.0 18 39.948 0\rAr\r", "Ar"},
        {"CR LF", "5.0 18 39.948 0\r\nAr\r\n", ""},
        {"end of file", "5.0 18 39.948 0", ""},
        {"tab", "5.0 18 39.948 0\tArgon\n", "Argon"},
        {"Ctrl-Z", "5.0 18 39.948 0\x1a Ar\n", ""},
    };
    TempDir dir;
    for (const Case& c : cases) {
        Job job;
        const std::string name = dir.Write("p.prj", c.Contents);
        EXPECT_FALSE(ReadProjectileFile(job.state, name)) << c.Label;
        EXPECT_EQ(ColouredLog(job.ui), FailureLines(name)) << c.Label;
        // The name read is stored even though the file was rejected.
        EXPECT_EQ(job.state.Projectile.ProjectileName, c.StoredName) << c.Label;
    }
}

TEST(ProjectileFile, MissingFileDirectoryAndMalformedNumberGiveTheSameTwoLines) {
    TempDir dir;
    const std::string cases[] = {
        dir.File("missing.prj"),
        dir.Path().string(),
        dir.Write("glued.prj", "5.0keV 18 39.948 0 Ar\n"),
        dir.Write("int.prj", "5.0 18.5 39.948 0 Ar\n"),
        dir.Write("empty.prj", ""),
        dir.Write("garbage.prj", std::string("\x01\xff\x80\x00\x7f", 5)),
        dir.Write("huge.prj", "1e999 18 39.948 0 Ar\n"),
        dir.Write("hugeint.prj", "5 99999999999 39.948 0 Ar\n"),
    };
    for (const std::string& name : cases) {
        Job job;
        EXPECT_FALSE(ReadProjectileFile(job.state, name)) << name;
        EXPECT_EQ(ColouredLog(job.ui), FailureLines(name)) << name;
        EXPECT_TRUE(job.ui.Texts(testing::UiCall::ErrorBox).empty());
    }
}

TEST(ProjectileFile, ValuesNoRunCanStartFromAreRejectedLikeAFormatError) {
    struct Case {
        const char* Contents;
        bool Accepted;
    };
    const Case cases[] = {
        {"5.0 18 39.948 0 Ar\n", true},   {"0.0 18 39.948 0 Ar\n", false},
        {"-1.0 18 39.948 0 Ar\n", false}, {"5.0 18 0.0 0 Ar\n", false},
        {"5.0 18 -4.0 0 Ar\n", false},    {"5.0 0 39.948 0 Ar\n", false},
        {"5.0 1 1.008 0 H\n", true},      {"5.0 1000 300.0 0 X\n", true},
        {"5.0 1001 300.0 0 X\n", false},  {"5.0 -18 39.948 0 Ar\n", false},
    };
    TempDir dir;
    for (const Case& c : cases) {
        Job job;
        const std::string name = dir.Write("p.prj", c.Contents);
        EXPECT_EQ(ReadProjectileFile(job.state, name), c.Accepted) << c.Contents;
        if (c.Accepted)
            EXPECT_TRUE(job.ui.Events.empty()) << c.Contents;
        else
            EXPECT_EQ(ColouredLog(job.ui), FailureLines(name)) << c.Contents;
    }
}

TEST(ProjectileFile, LongFileNameIsCutInTheLogLine) {
    TempDir dir;
    Job job;
    const std::string name = dir.File(std::string(120, 'n') + ".prj");
    EXPECT_FALSE(ReadProjectileFile(job.state, name));
    const std::vector<std::string> lines = job.ui.LogTexts();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], ("  File (" + name).substr(0, 100));
}

}  // namespace
}  // namespace vantrel
