#include "io/projectile_file.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace vantrel {
namespace {

using testing::TempDir;

ReaderMessages Rejection(const std::string& name) {
    return {ErrorLine("  ++++ Error ++++"),
            ErrorLine("  File (" + name + ") could not be read or has wrong format.")};
}

TEST(ProjectileFile, AcceptedFilesGiveEveryFieldAndNoMessage) {
    struct Case {
        const char* Contents;
        ProjectileData Expected;
    };
    const Case cases[] = {
        {"5.0 18 39.948 33 Ar\r\n", {5.0, 18, 39.948, 33, "Ar"}},
        {"5.0\n18\n39.948\n33 Ar\n", {5.0, 18, 39.948, 33, "Ar"}},  // one value per line
        {"1 6 12.0 0 ABCDEFGHIJKL\n", {1, 6, 12.0, 0, "ABCDEFGHIJ"}},  // cut to 10
        {"1 6 12.0 0   C  \n", {1, 6, 12.0, 0, "  C  "}},            // further blanks kept
        {"1 6 12.0 0 \n", {1, 6, 12.0, 0, ""}},
        // Ten characters, not ten bytes: a UTF-8 name is never split.
        {"1 6 12.0 0 \xC3\x98\xC3\x98\xC3\x98\xC3\x98\xC3\x98" "abcdefgh\n",
         {1, 6, 12.0, 0, "\xC3\x98\xC3\x98\xC3\x98\xC3\x98\xC3\x98" "abcde"}},
        {"5.0 1 1.008 0 H\n", {5.0, 1, 1.008, 0, "H"}},
        {"5.0 1000 300.0 0 X\n", {5.0, 1000, 300.0, 0, "X"}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        const ProjectileFileRead read = ParseProjectileFile(dir.Write("p.prj", c.Contents));
        ASSERT_TRUE(read.Ok) << c.Contents;
        const ProjectileData& p = read.Projectile;
        EXPECT_EQ(p.Energy, c.Expected.Energy) << c.Contents;
        EXPECT_EQ(p.AtomicNumber, c.Expected.AtomicNumber) << c.Contents;
        EXPECT_EQ(p.ProjectileMass, c.Expected.ProjectileMass) << c.Contents;
        EXPECT_EQ(p.FlagWord, c.Expected.FlagWord) << c.Contents;
        EXPECT_EQ(p.ProjectileName, c.Expected.ProjectileName) << c.Contents;
        EXPECT_TRUE(read.Messages.empty()) << c.Contents;
    }
}

TEST(ProjectileFile, EveryRejectionGivesTheSameTwoLinesAndKeepsTheNameRead) {
    struct Case {
        const char* Label;
        const char* Contents;  // nullptr: no such file
        const char* StoredName;
    };
    const Case cases[] = {
        // Anything but one blank after the fourth number; after a line end
        // the name comes from the next line.
        {"line end", "5.0 18 39.948 0\nAr\n", "Ar"},
        {"carriage return", "5.0 18 39.948 0\rAr\r", "Ar"},
        {"CR LF", "5.0 18 39.948 0\r\nAr\r\n", ""},
        {"end of file", "5.0 18 39.948 0", ""},
        {"tab", "5.0 18 39.948 0\tArgon\n", "Argon"},
        {"Ctrl-Z", "5.0 18 39.948 0\x1a Ar\n", ""},
        // Unreadable files.
        {"missing", nullptr, ""},
        {"glued label", "5.0keV 18 39.948 0 Ar\n", ""},
        {"real for an integer", "5.0 18.5 39.948 0 Ar\n", ""},
        {"empty", "", ""},
        {"binary garbage", "\x01\xff\x80\x7f", ""},
        {"overflowing real", "1e999 18 39.948 0 Ar\n", ""},
        {"overflowing integer", "5 99999999999 39.948 0 Ar\n", ""},
        // Values no run can start from.
        {"energy 0", "0.0 18 39.948 0 Ar\n", "Ar"},
        {"negative energy", "-1.0 18 39.948 0 Ar\n", "Ar"},
        {"mass 0", "5.0 18 0.0 0 Ar\n", "Ar"},
        {"negative mass", "5.0 18 -4.0 0 Ar\n", "Ar"},
        {"Z 0", "5.0 0 39.948 0 Ar\n", "Ar"},
        {"Z 1001", "5.0 1001 300.0 0 X\n", "X"},
        {"negative Z", "5.0 -18 39.948 0 Ar\n", "Ar"},
    };
    TempDir dir;
    for (const Case& c : cases) {
        const std::string name = c.Contents ? dir.Write("p.prj", c.Contents) : dir.File("none.prj");
        const ProjectileFileRead read = ParseProjectileFile(name);
        EXPECT_FALSE(read.Ok) << c.Label;
        EXPECT_EQ(read.Messages, Rejection(name)) << c.Label;
        EXPECT_EQ(read.Projectile.ProjectileName, c.StoredName) << c.Label;
    }
    // A directory is no file either.
    EXPECT_EQ(ParseProjectileFile(dir.Path().string()).Messages, Rejection(dir.Path().string()));
}

TEST(ProjectileFile, FailureNamesTheLineAndField) {
    TempDir dir;
    const ProjectileFileRead read = ParseProjectileFile(dir.Write("p.prj", "5.0\n18\n39.9amu\n0 Ar\n"));
    EXPECT_TRUE(read.Failure.Failed);
    EXPECT_EQ(read.Failure.Line, 3);
    EXPECT_STREQ(read.Failure.Field, "mass");
}

}  // namespace
}  // namespace vantrel
