// The log pane: the buffer rule in the real widget, the character limit,
// saving as rich or plain text and loading files back.
#include "ui/log_view.h"

#include <QScrollBar>
#include <QTextBlock>

#include <gtest/gtest.h>

#include "job/log.h"
#include "tests/support/coloured_log.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/main_form_fixture.h"

namespace vantrel {
namespace {

using testing::MainFormFixture;
using testing::ReadFileBytes;
using testing::TempDir;

std::vector<std::string> Texts(const LogView& log) {
    std::vector<std::string> texts;
    for (const RichTextLine& line : log.Lines()) texts.push_back(line.PlainText());
    return texts;
}

TEST(LogView, StartsWithOneLineOfThreeBlanks) {
    LogView log;
    EXPECT_EQ(log.LineCount(), 1);
    EXPECT_EQ(Texts(log), std::vector<std::string>{"   "});
    EXPECT_EQ(log.toPlainText(), "   \n");
}

TEST(LogView, ALineBeyondFiveHundredAndOneClearsTheLogFirst) {
    LogView log;
    for (int k = 1; k <= 500; ++k) log.AppendLine(QString("line %1").arg(k), ColourBlack, 500);
    EXPECT_EQ(log.LineCount(), 501);
    EXPECT_EQ(Texts(log).front(), "   ");
    EXPECT_EQ(Texts(log).back(), "line 500");
    log.AppendLine("line 501", ColourRed, 500);
    EXPECT_EQ(log.LineCount(), 1);
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_EQ(log.Lines()[0].Runs, (std::vector<RichTextRun>{{"line 501", ColourRed}}));
}

TEST(LogView, AboveFiveHundredLinesAreInsertedAtTheCaretAtTheEnd) {
    LogView log;
    log.resize(300, 200);
    QTextCursor start = log.textCursor();
    start.movePosition(QTextCursor::Start);
    log.setTextCursor(start);
    for (int k = 1; k <= 600; ++k) log.AppendLine(QString::number(k), ColourBlack, 600);
    EXPECT_EQ(log.LineCount(), 601);
    EXPECT_TRUE(log.textCursor().atEnd()) << "the caret moves to the end with every line";
    log.AppendLine("after", ColourBlack, 600);
    EXPECT_EQ(Texts(log), std::vector<std::string>{"after"});

    // At 500 or less the user's caret stays where it is.
    LogView quiet;
    QTextCursor top = quiet.textCursor();
    top.movePosition(QTextCursor::Start);
    quiet.setTextCursor(top);
    quiet.AppendLine("x", ColourBlack, 500);
    EXPECT_EQ(quiet.textCursor().position(), 0);
}

TEST(LogView, TypedTextAfterTheLastLineStaysALineOfItsOwn) {
    LogView log;
    QTextCursor end = log.textCursor();
    end.movePosition(QTextCursor::End);
    end.insertText("typed");
    EXPECT_EQ(log.LineCount(), 2);
    log.AppendLine("next", ColourGrey, 500);
    EXPECT_EQ(Texts(log), (std::vector<std::string>{"   ", "typed", "next"}));
}

TEST(LogView, LinesOutsideTheRuleAreNeverClearedAndALimitOfZeroShowsOnlyTheLatest) {
    LogView log;
    for (int k = 0; k < 5; ++k) log.AppendLineUnlimited("  file", ColourDarkGreen);
    EXPECT_EQ(log.LineCount(), 6);
    for (const char* text : {"a", "b", "c"}) {
        log.AppendLine(text, ColourBlue, 0);
        EXPECT_EQ(Texts(log), std::vector<std::string>{text});
    }
}

TEST(LogView, ALineThatWouldPassTheCharacterLimitClearsTheLogFirst) {
    LogView log;
    const QString chunk(100000, QLatin1Char('x'));
    for (int k = 0; k < 99; ++k) log.AppendLineUnlimited(chunk, ColourBlack);
    EXPECT_EQ(log.LineCount(), 100);
    log.AppendLineUnlimited(chunk, ColourBlack);  // 100 lines of 100,000 and their ends would pass 10,000,000
    EXPECT_EQ(log.LineCount(), 1);
    EXPECT_LE(log.document()->characterCount(), LogView::MaxCharacters);
}

std::vector<RichTextLine> ColouredSample() {
    std::vector<RichTextLine> lines;
    const std::pair<const char*, LogColour> sample[] = {
        {"   ", ColourBlack},
        {"  Run count: 1", ColourMagenta},
        {"* INITIALISED *", ColourBlue},
        {"  Error in inelastic file data - run aborted.", ColourRed},
        {"  Px = 0.1 {kg m/s} \\ check", ColourDarkGreen},
        {"  Collision: 2 <-> 17", ColourDarkRed},
        {"  Particle 1: x = 1.5 \xC3\x85", ColourGrey},
    };
    for (const auto& [text, colour] : sample) {
        RichTextLine line;
        AppendRun(line, text, colour);
        lines.push_back(line);
    }
    lines.push_back(RichTextLine{});
    return lines;
}

TEST(LogView, SavedAsRtfInAnyCaseTheLogKeepsItsColoursAndReloadsThem) {
    TempDir dir;
    for (const char* name : {"log.RTF", "log.rtf", "log.Rtf"}) {
        LogView log;
        ASSERT_TRUE(log.SetLines(ColouredSample()));
        const QString path = ToQt(dir.File(name));
        QString error;
        ASSERT_TRUE(log.SaveToFile(path, error)) << error.toStdString();
        const std::string bytes = ReadFileBytes(FromQt(path));
        EXPECT_EQ(bytes.rfind("{\\rtf1", 0), 0u) << name;
        EXPECT_NE(bytes.find("\\red255\\green0\\blue255;"), std::string::npos) << name;
        EXPECT_NE(bytes.find("\\red128\\green128\\blue128;"), std::string::npos) << name;

        LogView reloaded;
        bool truncated = true;
        ASSERT_TRUE(reloaded.LoadFromFile(path, error, truncated));
        EXPECT_FALSE(truncated);
        EXPECT_EQ(reloaded.Lines(), ColouredSample()) << name;
    }
}

TEST(LogView, SavedUnderAnyOtherNameTheLogIsPlainText) {
    TempDir dir;
    LogView log;
    ASSERT_TRUE(log.SetLines(ColouredSample()));
    QString error;
    ASSERT_TRUE(log.SaveToFile(ToQt(dir.File("log.txt")), error));
    EXPECT_EQ(ReadFileBytes(dir.File("log.txt")),
              "   \n  Run count: 1\n* INITIALISED *\n  Error in inelastic file data - run aborted.\n"
              "  Px = 0.1 {kg m/s} \\ check\n  Collision: 2 <-> 17\n  Particle 1: x = 1.5 \xC3\x85\n\n");
    ASSERT_TRUE(log.SaveToFile(ToQt(dir.File("log.rtf.bak")), error));
    EXPECT_EQ(ReadFileBytes(dir.File("log.rtf.bak")).substr(0, 6), "   \n  ");
}

TEST(LogView, AnyOtherFileIsLoadedAsBlackTextWhateverItsLineEnds) {
    TempDir dir;
    LogView log;
    log.AppendLine("old", ColourRed, 500);
    QString error;
    bool truncated = true;
    ASSERT_TRUE(log.LoadFromFile(ToQt(dir.Write("mixed.txt", "one\r\ntwo\rthree\n\nfive")), error, truncated));
    EXPECT_FALSE(truncated);
    EXPECT_EQ(Texts(log), (std::vector<std::string>{"one", "two", "three", "", "five"}));
    for (const RichTextLine& line : log.Lines())
        for (const RichTextRun& run : line.Runs) EXPECT_EQ(run.Colour, ColourBlack);

    // Not UTF-8: read as Latin-1.  Starting like RTF but refused as RTF: read as text.
    ASSERT_TRUE(log.LoadFromFile(ToQt(dir.Write("latin.txt", "caf\xE9\n")), error, truncated));
    EXPECT_EQ(Texts(log), std::vector<std::string>{"caf\xC3\xA9"});
    std::string deep = "{\\rtf1 ";
    deep += std::string(MaxRichTextDepth + 5, '{');
    ASSERT_TRUE(log.LoadFromFile(ToQt(dir.Write("deep.rtf", deep)), error, truncated));
    EXPECT_EQ(Texts(log), std::vector<std::string>{deep});
}

TEST(LogView, FailuresToSaveOrLoadKeepTheLog) {
    TempDir dir;
    LogView log;
    log.AppendLine("kept", ColourBlue, 500);
    QString error;
    bool truncated = false;
    EXPECT_FALSE(log.LoadFromFile(ToQt(dir.File("missing.txt")), error, truncated));
    EXPECT_TRUE(error.startsWith(ToQt("Cannot open file " + dir.File("missing.txt") + ".")));
    EXPECT_FALSE(log.SaveToFile(ToQt(dir.File("no/such/folder/log.rtf")), error));
    EXPECT_TRUE(error.startsWith("Cannot create file ")) << error.toStdString();
    EXPECT_EQ(Texts(log), (std::vector<std::string>{"   ", "kept"}));
}

TEST(LogView, ColoursStandOutFromAnyPageColour) {
    const QColor white(Qt::white), black(Qt::black), navy(0, 0, 96), cream(250, 240, 200);
    const struct {
        LogColour Colour;
        QColor Page;
        QColor Shown;  // invalid: only "stands out enough" is checked
    } cases[] = {
        // The default page: the coloured lines as they are, grey darker.
        {ColourBlack, white, QColor(0, 0, 0)},
        {ColourRed, white, QColor(255, 0, 0)},
        {ColourBlue, white, QColor(0, 0, 255)},
        {ColourMagenta, white, QColor(255, 0, 255)},
        {ColourDarkGreen, white, QColor(0, 128, 0)},
        {ColourDarkRed, white, QColor(128, 0, 0)},
        {ColourGrey, white, QColor(88, 88, 88)},
        // Black: the dark lines turn light, the light ones stay.
        {ColourBlack, black, QColor(255, 255, 255)},
        {ColourGrey, black, QColor(151, 151, 151)},  // still between black's white and the page
        {ColourRed, black, QColor(255, 0, 0)},
        {ColourMagenta, black, QColor(255, 0, 255)},
        {ColourBlue, black, {}},
        {ColourDarkRed, black, {}},
        {ColourDarkGreen, navy, {}},
        {ColourGrey, cream, {}},
    };
    for (const auto& c : cases) {
        const QColor shown = ReadableLogColour(c.Colour, c.Page);
        if (c.Shown.isValid()) {
            EXPECT_EQ(shown, c.Shown) << c.Page.name().toStdString() << " " << ToQColor(c.Colour).name().toStdString();
        }
        const bool plain = c.Colour.Red == c.Colour.Green && c.Colour.Green == c.Colour.Blue;
        EXPECT_GE(ContrastRatio(shown, c.Page), plain ? 7.0 : 3.0) << ToQColor(c.Colour).name().toStdString();
    }
}

TEST(LogView, APageColourChangeRecoloursTheShownLinesButNotTheirColours) {
    LogView log;
    ASSERT_TRUE(log.SetLines(ColouredSample()));
    log.SetPageColour(Qt::black);
    log.AppendLine("  after", ColourBlue, 500);
    std::vector<RichTextLine> expected = ColouredSample();
    RichTextLine after;
    AppendRun(after, "  after", ColourBlue);
    expected.push_back(after);
    EXPECT_EQ(log.Lines(), expected);  // what is saved
    const QTextBlock runCount = log.document()->findBlockByNumber(1);
    const QColor shown = runCount.begin().fragment().charFormat().foreground().color();
    EXPECT_EQ(shown, ReadableLogColour(ColourMagenta, Qt::black));
    const QTextBlock first = log.document()->findBlockByNumber(0);
    EXPECT_GE(ContrastRatio(first.begin().fragment().charFormat().foreground().color(), Qt::black), 7.0);
}

TEST(LogView, SaveAndLoadCommandsUseTheirChoosersAndReportErrors) {
    MainFormFixture f;
    LogLine(f.Controller(), "  red line", ColourRed);
    const std::string path = f.dir.File("saved.RTF");
    f.recorder.ChooserAnswers.push_back(ToQt(path));
    f.Action("SaveLogItem")->trigger();
    ASSERT_EQ(f.recorder.Requests.size(), 1u);
    const FileRequest save = f.recorder.Requests[0];
    EXPECT_EQ(save.Mode, FileRequest::Kind::Save);
    EXPECT_EQ(save.Title, "Save File to Disk");
    EXPECT_EQ(save.Filter, "Rich text format file (*.rtf);;Text file (*.txt);;Any file (*)");
    EXPECT_EQ(save.DefaultSuffix, "rtf");
    EXPECT_EQ(save.InitialName, "*.rtf");

    f.Action("ClearLogButton")->trigger();
    f.recorder.ChooserAnswers.push_back(ToQt(path));
    f.Action("LoadLogItem")->trigger();
    const FileRequest load = f.recorder.Requests[1];
    EXPECT_EQ(load.Mode, FileRequest::Kind::OpenExisting);
    EXPECT_EQ(load.Title, "Open File in Editor");
    EXPECT_EQ(load.InitialName, "*.*");
    EXPECT_EQ(f.ColouredLog(), (std::vector<std::string>{"black|   ", "red|  red line"}));

    f.recorder.ChooserAnswers.push_back(ToQt(f.dir.File("gone.txt")));
    f.Action("LoadLogItem")->trigger();
    ASSERT_EQ(f.recorder.Messages.size(), 1u);
    EXPECT_EQ(f.recorder.Messages[0].first, MessageKind::Error);
    EXPECT_EQ(f.ColouredLog().size(), 2u);
}

}  // namespace
}  // namespace vantrel
