#include "ui/log_view.h"

#include <algorithm>
#include <cmath>

#include <QFile>
#include <QFontDatabase>
#include <QSaveFile>
#include <QScrollBar>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "job/log_buffer_rule.h"
#include "ui/ui_services.h"

namespace vantrel {

namespace {

// A file bigger than this is read only this far: even as RTF with every
// character escaped it holds more than the log can show.
constexpr qint64 MaxLoadBytes = 16LL * LogView::MaxCharacters;

// The line's own colour, kept beside the colour it is shown in.
constexpr int LogColourProperty = QTextFormat::UserProperty + 1;

int PackedColour(LogColour c) { return (c.Red << 16) | (c.Green << 8) | c.Blue; }

LogColour UnpackedColour(int packed) {
    return LogColour{static_cast<std::uint8_t>((packed >> 16) & 0xFF), static_cast<std::uint8_t>((packed >> 8) & 0xFF),
                     static_cast<std::uint8_t>(packed & 0xFF)};
}

QTextCharFormat ColourFormat(LogColour colour, const QColor& page) {
    QTextCharFormat format;
    format.setForeground(ReadableLogColour(colour, page));
    format.setProperty(LogColourProperty, PackedColour(colour));
    return format;
}

LogColour LineColourOf(const QTextCharFormat& format) {
    if (format.hasProperty(LogColourProperty)) return UnpackedColour(format.intProperty(LogColourProperty));
    const QBrush brush = format.foreground();
    return brush.style() == Qt::NoBrush ? ColourBlack : ToLogColour(brush.color());
}

double Luminance(const QColor& c) {
    auto linear = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

// The text of a file as lines: UTF-8 when it is valid UTF-8, else Latin-1;
// CR LF, CR and LF end lines, and a final line end adds no empty line.
std::vector<RichTextLine> TextLines(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) text = QString::fromLatin1(bytes);
    std::vector<RichTextLine> lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype k = 0; k <= n; ++k) {
        const bool end = k == n;
        const QChar c = end ? QChar() : text[k];
        if (!end && c != QLatin1Char('\n') && c != QLatin1Char('\r')) continue;
        if (end && start == n) break;  // nothing after the last line end
        RichTextLine line;
        AppendRun(line, FromQt(text.mid(start, k - start)), ColourBlack);
        lines.push_back(std::move(line));
        if (!end && c == QLatin1Char('\r') && k + 1 < n && text[k + 1] == QLatin1Char('\n')) ++k;
        start = k + 1;
    }
    return lines;
}

}  // namespace

QColor ToQColor(LogColour colour) { return QColor(colour.Red, colour.Green, colour.Blue); }

double ContrastRatio(const QColor& a, const QColor& b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ReadableLogColour(LogColour colour, const QColor& page) {
    // Below this luminance white stands out more than black.
    const bool darkPage = Luminance(page) < 0.179;
    const bool plain = colour.Red == colour.Green && colour.Green == colour.Blue;
    // On a dark page black text turns white and grey stays between the two.
    const QColor shown = darkPage && plain ? QColor(255 - colour.Red, 255 - colour.Green, 255 - colour.Blue)
                                           : ToQColor(colour);
    const double enough = plain ? 7.0 : darkPage ? 4.5 : 3.0;
    const QColor far = darkPage ? QColor(Qt::white) : QColor(Qt::black);
    for (int sixteenths = 0; sixteenths <= 16; ++sixteenths) {
        auto mix = [&](int a, int b) { return (a * (16 - sixteenths) + b * sixteenths + 8) / 16; };
        const QColor candidate(mix(shown.red(), far.red()), mix(shown.green(), far.green()),
                               mix(shown.blue(), far.blue()));
        if (ContrastRatio(candidate, page) >= enough) return candidate;
    }
    return far;
}

LogColour ToLogColour(const QColor& colour) {
    return LogColour{static_cast<std::uint8_t>(colour.red()), static_cast<std::uint8_t>(colour.green()),
                     static_cast<std::uint8_t>(colour.blue())};
}

QFont DefaultLogFont() {
    const QString courier = QStringLiteral("Courier New");
    QFont font = QFontDatabase::families().contains(courier) ? QFont(courier)
                                                             : QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(10);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

LogView::LogView(QWidget* parent) : QTextEdit(parent) {
    setObjectName(QStringLiteral("Log"));
    setLineWrapMode(QTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setAcceptRichText(true);
    // Read-only, but selectable with the mouse and the keyboard for copying.
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setFont(DefaultLogFont());
    InsertLine(QStringLiteral("   "), ColourBlack, false);
}

int LogView::LineCount() const {
    const QTextDocument* doc = document();
    // The empty paragraph at the end is where the next line goes, not a line.
    return doc->blockCount() - (doc->lastBlock().length() <= 1 ? 1 : 0);
}

void LogView::InsertLine(const QString& text, LogColour colour, bool caretToEnd) {
    QTextDocument* doc = document();
    if (doc->characterCount() + text.size() + 2 > MaxCharacters) ClearLog();

    QScrollBar* bar = verticalScrollBar();
    const bool following = bar->value() >= bar->maximum();
    // Lines of the simulation are no edits of the user's: they do not go on
    // the undo stack (which would otherwise grow with every line).
    doc->setUndoRedoEnabled(false);
    QTextCursor cursor(doc);
    cursor.movePosition(QTextCursor::End);
    // Text typed or loaded after the last line break stays a line of its own.
    if (cursor.block().length() > 1) cursor.insertBlock(QTextBlockFormat(), ColourFormat(ColourBlack, PageColour()));
    cursor.insertText(text, ColourFormat(colour, PageColour()));
    // The insertion colour returns to black after every line.
    cursor.insertBlock(QTextBlockFormat(), ColourFormat(ColourBlack, PageColour()));
    doc->setUndoRedoEnabled(true);

    if (caretToEnd) {
        setTextCursor(cursor);
        ensureCursorVisible();
    } else if (following) {
        bar->setValue(bar->maximum());
    }
}

void LogView::AppendLine(const QString& text, LogColour colour, std::int32_t logBufferLines) {
    const LogAppendPlan plan = PlanLogAppend(static_cast<std::size_t>(LineCount()), logBufferLines);
    if (plan.ClearFirst) ClearLog();
    InsertLine(text, colour, plan.InsertAtEnd);
}

void LogView::AppendLineUnlimited(const QString& text, LogColour colour) { InsertLine(text, colour, false); }

void LogView::ClearLog() {
    document()->clear();
    setCurrentCharFormat(ColourFormat(ColourBlack, PageColour()));
}

std::vector<RichTextLine> LogView::Lines() const {
    std::vector<RichTextLine> lines;
    const QTextDocument* doc = document();
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        if (!block.next().isValid() && block.length() <= 1) break;
        RichTextLine line;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid()) continue;
            AppendRun(line, FromQt(fragment.text()), LineColourOf(fragment.charFormat()));
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

bool LogView::SetLines(const std::vector<RichTextLine>& lines) {
    QTextDocument* doc = document();
    doc->setUndoRedoEnabled(false);
    doc->clear();
    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    qsizetype characters = 0;
    bool complete = true;
    for (const RichTextLine& line : lines) {
        QString text;
        for (const RichTextRun& run : line.Runs) text += ToQt(run.Text);
        characters += text.size() + 1;
        if (characters + 1 > MaxCharacters) {
            complete = false;
            break;
        }
        for (const RichTextRun& run : line.Runs) cursor.insertText(ToQt(run.Text), ColourFormat(run.Colour, PageColour()));
        cursor.insertBlock(QTextBlockFormat(), ColourFormat(ColourBlack, PageColour()));
    }
    cursor.endEditBlock();
    doc->setUndoRedoEnabled(true);
    setCurrentCharFormat(ColourFormat(ColourBlack, PageColour()));
    return complete;
}

QColor LogView::PageColour() const { return palette().color(QPalette::Base); }

void LogView::SetPageColour(const QColor& page) {
    QPalette colours = palette();
    colours.setColor(QPalette::Base, page);
    setPalette(colours);
    // Every fragment shown again for the new page, each keeping its own colour.
    QTextDocument* doc = document();
    doc->setUndoRedoEnabled(false);
    struct Piece {
        int Start, End;
        LogColour Colour;
    };
    // Collected first: a new format may merge fragments under an iterator.
    std::vector<Piece> pieces;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.isValid())
                pieces.push_back({fragment.position(), fragment.position() + fragment.length(),
                                  LineColourOf(fragment.charFormat())});
        }
    }
    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    for (const Piece& piece : pieces) {
        cursor.setPosition(piece.Start);
        cursor.setPosition(piece.End, QTextCursor::KeepAnchor);
        cursor.setCharFormat(ColourFormat(piece.Colour, page));
    }
    cursor.endEditBlock();
    doc->setUndoRedoEnabled(true);
    setCurrentCharFormat(ColourFormat(ColourBlack, page));
}

bool LogView::SaveToFile(const QString& path, QString& error) const {
    std::string contents;
    const std::vector<RichTextLine> lines = Lines();
    if (path.endsWith(QStringLiteral(".rtf"), Qt::CaseInsensitive)) {
        RichTextFont richFont;
        richFont.Name = FromQt(font().family());
        richFont.PointSize = font().pointSize() > 0 ? font().pointSize() : 10;
        contents = WriteRichText(lines, richFont);
    } else {
        for (const RichTextLine& line : lines) contents += line.PlainText() + "\n";
    }
    // Written beside the old file and renamed over it, so a failure leaves
    // whatever was there before.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = QStringLiteral("Cannot create file %1.\n%2").arg(path, file.errorString());
        return false;
    }
    if (file.write(contents.data(), static_cast<qint64>(contents.size())) != static_cast<qint64>(contents.size()) ||
        !file.commit()) {
        error = QStringLiteral("Error writing file %1.\n%2").arg(path, file.errorString());
        return false;
    }
    return true;
}

bool LogView::LoadFromFile(const QString& path, QString& error, bool& truncated) {
    truncated = false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("Cannot open file %1.\n%2").arg(path, file.errorString());
        return false;
    }
    const QByteArray bytes = file.read(MaxLoadBytes);
    if (file.error() != QFileDevice::NoError) {
        error = QStringLiteral("Error reading file %1.\n%2").arg(path, file.errorString());
        return false;
    }
    truncated = !file.atEnd();
    const std::string_view view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    std::vector<RichTextLine> lines;
    if (!ReadRichText(view, lines)) lines = TextLines(bytes);
    if (!SetLines(lines)) truncated = true;
    return true;
}

}  // namespace vantrel
