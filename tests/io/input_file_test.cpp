#include "io/input_file.h"

#include <string>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace vantrel {
namespace {

using testing::TempDir;

TEST(InputFile, ValueFollowedByLettersIsAFormatError) {
    TempDir dir;
    InputFile glued(dir.Write("a.txt", "10.0keV\n"));
    EXPECT_EQ(glued.ReadReal(), 0.0);
    EXPECT_TRUE(glued.Failed());

    InputFile labelled(dir.Write("b.txt", "10.0 keV\n7\n"));
    EXPECT_EQ(labelled.ReadReal(), 10.0);
    labelled.SkipLine();
    EXPECT_EQ(labelled.ReadInteger(), 7);
    EXPECT_FALSE(labelled.Failed());
}

TEST(InputFile, RealSyntaxTable) {
    struct Case {
        const char* Token;
        bool Valid;
        double Value;
    };
    const Case cases[] = {
        {"1", true, 1.0},          {"-2.5", true, -2.5},     {"+3.0E2", true, 300.0},
        {"1e-3", true, 1e-3},      {"5.", true, 5.0},        {".5", true, 0.5},
        {"1.0E+0002", true, 100.0}, {"inf", false, 0},      {"nan", false, 0},
        {"0x1p3", false, 0},       {"1e", false, 0},         {"1e+", false, 0},
        {"-", false, 0},           {".", false, 0},          {"1.2.3", false, 0},
        {"1e999", false, 0},       {"12abc", false, 0},      {"1,5", false, 0},
    };
    for (const Case& c : cases) {
        double value = -1;
        EXPECT_EQ(ParseRealToken(c.Token, value), c.Valid) << c.Token;
        if (c.Valid) {
            EXPECT_EQ(value, c.Value) << c.Token;
        }
    }
}

TEST(InputFile, IntegerSyntaxTable) {
    struct Case {
        const char* Token;
        bool Valid;
        std::int32_t Value;
    };
    const Case cases[] = {
        {"0", true, 0},          {"-17", true, -17},          {"+42", true, 42},
        {"2147483647", true, 2147483647}, {"-2147483648", true, -2147483647 - 1},
        {"2147483648", false, 0}, {"1.5", false, 0},          {"12abc", false, 0},
        {"", false, 0},          {"+", false, 0},             {"1e3", false, 0},
    };
    for (const Case& c : cases) {
        std::int32_t value = -1;
        EXPECT_EQ(ParseIntegerToken(c.Token, value), c.Valid) << c.Token;
        if (c.Valid) {
            EXPECT_EQ(value, c.Value) << c.Token;
        }
    }
}

TEST(InputFile, EndOfFileBeforeANumberGivesZeroWithoutError) {
    TempDir dir;
    InputFile in(dir.Write("a.txt", "5\n  \n"));
    EXPECT_EQ(in.ReadInteger(), 5);
    EXPECT_EQ(in.ReadInteger(), 0);
    EXPECT_EQ(in.ReadReal(), 0.0);
    EXPECT_FALSE(in.Failed());
    EXPECT_TRUE(in.AtEnd());

    InputFile empty(dir.Write("empty.txt", ""));
    EXPECT_TRUE(empty.AtEnd());
    EXPECT_EQ(empty.ReadReal(), 0.0);
    EXPECT_FALSE(empty.Failed());
}

TEST(InputFile, NumericReadsSkipLineEndsSoGroupsMaySpanLines) {
    TempDir dir;
    InputFile in(dir.Write("a.txt", "1.5\r\n\r\n\t2.5\r3.5 label\n"));
    EXPECT_EQ(in.ReadReal(), 1.5);
    EXPECT_EQ(in.ReadReal(), 2.5);
    EXPECT_EQ(in.ReadReal(), 3.5);
    in.SkipLine();
    EXPECT_TRUE(in.AtEnd());
    EXPECT_FALSE(in.Failed());
}

TEST(InputFile, CtrlZEndsTheFile) {
    TempDir dir;
    InputFile in(dir.Write("a.txt", std::string("1 2\n\x1a") + "3 4\n"));
    EXPECT_EQ(in.ReadInteger(), 1);
    EXPECT_EQ(in.ReadInteger(), 2);
    in.SkipLine();
    EXPECT_TRUE(in.AtEnd());
    EXPECT_EQ(in.ReadInteger(), 0);
    EXPECT_FALSE(in.Failed());
}

TEST(InputFile, ReadStringTakesAtMostTheLimitAndLeavesTheLineEnd) {
    TempDir dir;
    const std::string line(300, 'a');
    InputFile in(dir.Write("a.txt", line + "\nnext"));
    EXPECT_EQ(in.ReadString(255), std::string(255, 'a'));
    in.SkipLine();
    EXPECT_EQ(in.ReadString(255), "next");
    InputFile shortLine(dir.Write("b.txt", "abc\r\ndef"));
    EXPECT_EQ(shortLine.ReadString(255), "abc");
    EXPECT_EQ(shortLine.ReadChar(), '\r');
}

TEST(InputFile, ReadCharReturnsTheVeryNextCharacterAndCtrlZAtTheEnd) {
    TempDir dir;
    InputFile in(dir.Write("a.txt", "7 X"));
    EXPECT_EQ(in.ReadInteger(), 7);
    EXPECT_EQ(in.ReadChar(), ' ');
    EXPECT_EQ(in.ReadChar(), 'X');
    EXPECT_EQ(in.ReadChar(), '\x1a');
}

TEST(InputFile, AfterAFailureEveryReadYieldsZero) {
    TempDir dir;
    InputFile in(dir.Write("a.txt", "x 5 6\nname\n"));
    EXPECT_EQ(in.ReadInteger(), 0);
    EXPECT_TRUE(in.Failed());
    EXPECT_EQ(in.ReadInteger(), 0);
    EXPECT_EQ(in.ReadReal(), 0.0);
    EXPECT_EQ(in.ReadString(10), "");
}

TEST(InputFile, MissingFilesAndDirectoriesFailLikeMalformedOnes) {
    TempDir dir;
    InputFile missing(dir.File("missing.txt"));
    EXPECT_FALSE(missing.Opened());
    EXPECT_TRUE(missing.Failed());
    EXPECT_EQ(missing.ReadReal(), 0.0);
    InputFile directory(dir.Path().string());
    EXPECT_TRUE(directory.Failed());
}

TEST(InputFile, OverlongTokensAreFormatErrors) {
    TempDir dir;
    InputFile integer(dir.Write("a.txt", std::string(33, '1')));
    integer.ReadInteger();
    EXPECT_TRUE(integer.Failed());
    InputFile real(dir.Write("b.txt", "1." + std::string(63, '0')));
    real.ReadReal();
    EXPECT_TRUE(real.Failed());
    InputFile fits(dir.Write("c.txt", "1." + std::string(62, '0')));
    EXPECT_EQ(fits.ReadReal(), 1.0);
    EXPECT_FALSE(fits.Failed());
}

TEST(InputFile, ReadsAcrossBufferBoundaries) {
    TempDir dir;
    std::string text;
    for (int k = 0; k < 20000; ++k) text += std::to_string(k) + " 1.25 label\n";
    InputFile in(dir.Write("a.txt", text));
    long long sum = 0;
    int lines = 0;
    while (!in.AtEnd()) {
        sum += in.ReadInteger();
        EXPECT_EQ(in.ReadReal(), 1.25);
        in.SkipLine();
        ++lines;
    }
    EXPECT_FALSE(in.Failed());
    EXPECT_EQ(lines, 20000);
    EXPECT_EQ(sum, 19999LL * 20000 / 2);
}

TEST(InputFile, RawTokensNeverFailAndBlankTailsAreTheEnd) {
    TempDir dir;
    const std::string longToken(100, 'x');
    InputFile in(dir.Write("t.txt", "12abc\t-\r\n" + longToken + " 7\r\n \t\r\n\r\n"));
    EXPECT_FALSE(in.AtEndOfData());
    EXPECT_EQ(in.ReadToken(), "12abc");
    EXPECT_EQ(in.ReadToken(), "-");
    EXPECT_EQ(in.ReadToken(), std::string(64, 'x'));  // cut, the rest skipped
    EXPECT_EQ(in.ReadInteger(), 7);
    EXPECT_FALSE(in.Failed());
    EXPECT_TRUE(in.AtEndOfData());
    EXPECT_EQ(in.ReadToken(), "");
    EXPECT_TRUE(in.AtEnd());
}

TEST(InputFile, FirstFailureKeepsItsPhysicalLineAndField) {
    struct Case {
        const char* Text;
        std::int32_t Line;
        const char* Field;
    };
    // Every kind of line end counts once; blank lines count too.
    const Case cases[] = {
        {"1\r\n2\r\nx 4\r\n", 3, "c"},
        {"1\r2\r\r3 4x", 4, "d"},
        {"1\n\n2\n3\n4\n", 0, ""},  // no failure
        {"1 2 3.5 4 5\n", 1, "c"},
    };
    TempDir dir;
    for (const Case& c : cases) {
        InputFile in(dir.Write("a.txt", c.Text));
        in.ReadInteger("a");
        in.ReadInteger("b");
        in.ReadInteger("c");
        in.ReadInteger("d");
        in.ReadInteger("e");  // a later failure does not replace the first
        const ReadFailure& f = in.FirstFailure();
        EXPECT_EQ(f.Failed, c.Line != 0) << c.Text;
        EXPECT_EQ(f.Line, c.Line) << c.Text;
        EXPECT_STREQ(f.Field, c.Field) << c.Text;
    }
    InputFile missing(dir.File("missing.txt"));
    EXPECT_TRUE(missing.FirstFailure().Failed);
    EXPECT_EQ(missing.FirstFailure().Line, 0);
}

}  // namespace
}  // namespace vantrel
