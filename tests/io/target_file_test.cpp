#include "io/target_file.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"
#include "tests/support/test_job.h"

namespace vantrel {
namespace {

using testing::ReplaceLine;
using testing::TargetLine;
using testing::TempDir;

std::string CopperTarget(int atoms) {
    std::string text;
    for (int i = 0; i < atoms; ++i)
        text += TargetLine(2.55 * (i % 4), 2.55 * (i / 4 % 4), -1.8 * (i / 16), 29, 63.546, 0,
                           i == 0 ? "Cu test" : "");
    return text;
}

TEST(TargetFile, CountTakesEveryLineThatHoldsSomethingAndTheLastZ) {
    struct Case {
        std::string Text;
        std::int32_t Count, LastZ;
    };
    const Case cases[] = {
        // Blank lines at the end are not atoms.
        {TargetLine(0, 0, 0, 29, 63.5, 0, "first") + TargetLine(1, 1, 1, 47, 107.9, 1) + "  \r\n\r\n", 2, 47},
        // Values are not judged while counting.
        {"1 2 3 29 63.5 0\r\nnot a number at all\r\n4 5 6 30\r\n", 3, 30},
        {"", 0, 0},
        {"0 0 0 29 63.5 0\x1a 1 1 1 29 63.5 0\r\n", 1, 29},
    };
    TempDir dir;
    for (const Case& c : cases) {
        const TargetCount count = CountTargetFile(dir.Write("a.trg", c.Text));
        EXPECT_TRUE(count.Opened);
        EXPECT_EQ(count.AtomCount, c.Count) << c.Text;
        EXPECT_EQ(count.LastAtomicNumber, c.LastZ) << c.Text;
        EXPECT_TRUE(count.Messages.empty()) << c.Text;
    }
    const std::string missing = dir.File("missing.trg");
    const TargetCount none = CountTargetFile(missing);
    EXPECT_EQ(none.AtomCount, 0);
    EXPECT_EQ(none.Messages, ReaderMessages{ErrorBoxMessage("Cannot open Target file:\r" + missing)});
}

TEST(TargetFile, CountStopsAt200000WithOneWarning) {
    TempDir dir;
    std::string text = CopperTarget(200000);
    EXPECT_TRUE(CountTargetFile(dir.Write("a.trg", text)).Messages.empty());
    text += TargetLine(0, 0, 9, 30, 65.4, 1);
    const TargetCount count = CountTargetFile(dir.Write("b.trg", text));
    EXPECT_EQ(count.AtomCount, 200000);
    EXPECT_EQ(count.LastAtomicNumber, 30);
    EXPECT_EQ(count.Messages, ReaderMessages{WarningBoxMessage(
                                  "Too many atoms in .TRG file (max. 200,000) - ignoring excess.")});
}

TEST(TargetFile, AtomsAreReadInFileOrderWithTheirConversions) {
    const std::string text = TargetLine(1.0, 2.0, 3.0, 29, 63.546, 8 | 32, "Cu(100) slab") +
                             TargetLine(-1.5, 0.5, 1.0, 47, 107.87, 1) +
                             TargetLine(0, 0, -2, 29, 63.546, 2 | 64) + "extra lines are not read\r\n";
    TempDir dir;
    const TargetFileRead read = ParseTargetFile(dir.Write("a.trg", text), 3);
    ASSERT_EQ(read.Status, TargetFileStatus::Read);
    EXPECT_TRUE(read.Messages.empty());
    EXPECT_EQ(read.Name, " Cu(100) slab");
    ASSERT_EQ(read.Atoms.size(), 3u);
    EXPECT_DOUBLE_EQ(read.Atoms[1].X, -1.5e-10);
    EXPECT_DOUBLE_EQ(read.Atoms[0].Y, 2.0e-10);
    EXPECT_DOUBLE_EQ(read.Atoms[2].Z, -2.0e-10);
    EXPECT_EQ(read.Atoms[1].AtomicNumber, 47);
    EXPECT_EQ(read.Atoms[1].Mass, 107.87);  // amu: converted when placed
    EXPECT_EQ(read.Atoms[0].Flags, 40u);
    EXPECT_EQ(read.Atoms[2].Flags, 66u);
}

TEST(TargetFile, FirstBadLineStopsTheReadWithItsNumber) {
    const std::string good = CopperTarget(10);
    struct Case {
        int Line;
        const char* Replacement;
        TargetFileStatus Status;  // Read: accepted
        const char* Field;
    };
    const Case cases[] = {
        {7, "0 0 -1.8 0 63.546 0", TargetFileStatus::BadLine, ""},
        {7, "0 0 -1.8 1001 63.546 0", TargetFileStatus::BadLine, ""},
        {7, "0 0 -1.8 -29 63.546 0", TargetFileStatus::BadLine, ""},
        {7, "0 0 -1.8 1000 63.546 0", TargetFileStatus::Read, ""},
        {7, "0 0 -1.8 1 63.546 0", TargetFileStatus::Read, ""},
        {7, "0 0 -1.8 29 0 0", TargetFileStatus::BadLine, ""},  // a mass must be positive
        {3, "1.0abc 0 0 29 63.546 0", TargetFileStatus::BadLine, "x"},
        {10, "0 0 -1.8 29 63.546 1.5", TargetFileStatus::BadLine, "flags"},
        {1, "0 0 zero 29 63.546 0 Cu", TargetFileStatus::FirstLineUnreadable, "z"},
        {1, "0 0 0 0 63.546 0 Cu", TargetFileStatus::BadLine, ""},
    };
    TempDir dir;
    for (const Case& c : cases) {
        const TargetFileRead read =
            ParseTargetFile(dir.Write("a.trg", ReplaceLine(good, c.Line, c.Replacement)), 10);
        EXPECT_EQ(read.Status, c.Status) << c.Replacement;
        if (c.Status == TargetFileStatus::Read) {
            EXPECT_EQ(read.Atoms.size(), 10u);
            continue;
        }
        EXPECT_EQ(read.BadLine, c.Line);
        EXPECT_EQ(read.Atoms.size(), static_cast<std::size_t>(c.Line - 1)) << c.Replacement;
        const std::string message =
            c.Status == TargetFileStatus::FirstLineUnreadable
                ? "File format error in .TRG file at line 1 - aborting."
                : "File format or parameter size error in .TRG file at line " +
                      std::to_string(c.Line) + " - aborting.";
        EXPECT_EQ(read.Messages, ReaderMessages{ErrorBoxMessage(message)}) << c.Replacement;
        EXPECT_STREQ(read.Failure.Field, c.Field) << c.Replacement;
        if (*c.Field) {
            EXPECT_EQ(read.Failure.Line, c.Line);
        }
    }
    // A file that vanished after the count fails on line 1.
    EXPECT_EQ(ParseTargetFile(dir.File("gone.trg"), 3).Status, TargetFileStatus::FirstLineUnreadable);
}

}  // namespace
}  // namespace vantrel
