#include "output/rich_text.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

RichTextLine Line(std::initializer_list<RichTextRun> runs) {
    RichTextLine line;
    for (const RichTextRun& run : runs) AppendRun(line, run.Text, run.Colour);
    return line;
}

std::vector<RichTextLine> ReadBack(const std::string& rtf) {
    std::vector<RichTextLine> lines;
    EXPECT_TRUE(ReadRichText(rtf, lines));
    return lines;
}

TEST(RichText, WriterLaysOutColourTableSwitchesAndParagraphs) {
    const std::vector<RichTextLine> lines = {
        Line({{"   ", ColourBlack}}),
        Line({{"  Run count: 1", ColourMagenta}}),
        Line({{"  Error", ColourRed}, {" and {braces} \\ here", ColourBlack}}),
    };
    const std::string rtf = WriteRichText(lines, {"Courier New", 11});
    EXPECT_EQ(rtf,
              "{\\rtf1\\ansi\\ansicpg1252\\deff0\n"
              "{\\fonttbl{\\f0\\fmodern\\fcharset0 Courier New;}}\n"
              "{\\colortbl ;\\red0\\green0\\blue0;\\red255\\green0\\blue255;\\red255\\green0\\blue0;}\n"
              "\\viewkind4\\uc1\\pard\\f0\\fs22\n"
              "\\cf1    \\par\n"
              "\\cf2   Run count: 1\\par\n"
              "\\cf3   Error\\cf1  and \\{braces\\} \\\\ here\\par\n"
              "}\n");
}

TEST(RichText, EveryLogColourSurvivesWriteAndRead) {
    const LogColour colours[] = {ColourBlack,     ColourRed,     ColourBlue, ColourMagenta,
                                 ColourDarkGreen, ColourDarkRed, ColourGrey, LogColour{72, 219, 145}};
    std::vector<RichTextLine> lines;
    int k = 0;
    for (LogColour c : colours) lines.push_back(Line({{"  line " + std::to_string(++k), c}}));
    lines.push_back(RichTextLine{});  // an empty line in the middle of the log
    lines.push_back(Line({{"tail", ColourBlue}, {"\tafter a tab", ColourGrey}}));
    EXPECT_EQ(ReadBack(WriteRichText(lines)), lines);
}

TEST(RichText, CharactersOutsideAsciiTravelAsUnicodeWords) {
    const std::vector<RichTextLine> lines = {Line({{"\xC3\x85ngstr\xC3\xB6m \xE2\x86\x92 \xF0\x9F\x98\x80", ColourBlue}})};
    const std::string rtf = WriteRichText(lines);
    EXPECT_NE(rtf.find("\\u197?ngstr\\u246?m \\u8594? \\u-10179?\\u-8704?"), std::string::npos) << rtf;
    EXPECT_EQ(ReadBack(rtf), lines);
}

TEST(RichText, TrailingEmptyLinesAreKept) {
    const std::vector<RichTextLine> lines = {Line({{"a", ColourBlack}}), RichTextLine{}, RichTextLine{}};
    EXPECT_EQ(ReadBack(WriteRichText(lines)).size(), 3u);
}

TEST(RichText, ReaderTakesForeignRichText) {
    // As a word processor writes it: tables to skip, nested groups, \plain,
    // hex escapes, \uc2 fallbacks, a field, and text without a final \par.
    const std::string rtf =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}{\\f1 Courier;}}\r\n"
        "{\\colortbl;\\red0\\green128\\blue0;\\red128\\green0\\blue0;}\r\n"
        "{\\*\\generator Some Writer;}{\\info{\\title Log}}{\\stylesheet{\\s0 Normal;}}\r\n"
        "\\pard\\plain first {\\cf1 green {\\b bold green}} black\\par\r\n"
        "\\cf2 caf\\'e9 \\uc2\\u8364 EU and\\tab tab\\line"
        "{\\field{\\*\\fldinst HYPERLINK x}{\\fldrslt shown}}\\~end\\par\n"
        "{\\pict\\wmetafile8 0123456789abcdef}last line without par}";
    const std::vector<RichTextLine> expected = {
        Line({{"first ", ColourBlack}, {"green bold green", ColourDarkGreen}, {" black", ColourBlack}}),
        Line({{"caf\xC3\xA9 \xE2\x82\xAC and\ttab", ColourDarkRed}}),
        Line({{"shown\xC2\xA0" "end", ColourDarkRed}}),
        Line({{"last line without par", ColourDarkRed}}),
    };
    EXPECT_EQ(ReadBack(rtf), expected);
}

TEST(RichText, ColourZeroAndUnknownEntriesAreBlack) {
    const std::string rtf = "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}\\cf1 a\\cf0 b\\cf9 c\\par}";
    EXPECT_EQ(ReadBack(rtf), std::vector<RichTextLine>{Line({{"a", ColourRed}, {"bc", ColourBlack}})});
}

TEST(RichText, BinaryDataIsSkippedByItsLength) {
    // The six bytes after \bin6 would close groups and end a line if read as RTF.
    const std::string rtf = "{\\rtf1 a{\\bin6 }}\\par}b\\par}";
    EXPECT_EQ(ReadBack(rtf), (std::vector<RichTextLine>{Line({{"ab", ColourBlack}})}));
}

TEST(RichText, TextThatIsNotRichTextIsRefused) {
    std::vector<RichTextLine> lines = {Line({{"left over", ColourRed}})};
    EXPECT_FALSE(ReadRichText("plain text\n{\\rtf1 late}", lines));
    EXPECT_TRUE(lines.empty());
    EXPECT_FALSE(IsRichText("{\\rt"));
    EXPECT_TRUE(IsRichText("{\\rtf1}"));
}

TEST(RichText, NestingBeyondTheLimitIsRefusedAndAFileCutShortKeepsItsLines) {
    std::string deep = "{\\rtf1 ";
    for (int k = 0; k < MaxRichTextDepth + 1; ++k) deep += "{";
    std::vector<RichTextLine> lines;
    EXPECT_FALSE(ReadRichText(deep, lines));
    EXPECT_TRUE(lines.empty());

    const std::string full = WriteRichText({Line({{"one", ColourRed}}), Line({{"two", ColourBlue}})});
    const std::string cut = full.substr(0, full.find("two") + 2);
    EXPECT_EQ(ReadBack(cut), (std::vector<RichTextLine>{Line({{"one", ColourRed}}), Line({{"tw", ColourBlue}})}));
}

TEST(RichText, AppendRunJoinsEqualColoursAndDropsEmptyText) {
    RichTextLine line;
    AppendRun(line, "a", ColourRed);
    AppendRun(line, "", ColourBlue);
    AppendRun(line, "b", ColourRed);
    AppendRun(line, "c", ColourBlue);
    EXPECT_EQ(line, Line({{"ab", ColourRed}, {"c", ColourBlue}}));
    EXPECT_EQ(line.PlainText(), "abc");
}

}  // namespace
}  // namespace vantrel
