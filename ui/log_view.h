// The log pane of the main window: a read-only rich-text view without word
// wrap that the simulation appends whole coloured lines to.  It can be
// selected and copied, cleared, loaded and saved, but not typed into, so a
// saved log holds only what jobs and loaded files put there.
//
// Lines are the paragraphs of the document.  Every appended line ends with
// a line break, so the document ends with an empty paragraph where the
// caret waits; that paragraph is not a line.  The buffer rule (clear the
// whole log when it holds more lines than LogBufferLines) is the shared one
// of PlanLogAppend, applied to the lines this view holds, including any
// loaded ones.
//
// Every line keeps the colour it was given (Lines, saving); it is shown in
// a colour that stands out from the page colour (ReadableLogColour).
#pragma once

#include <cstdint>
#include <vector>

#include <QString>
#include <QTextEdit>

#include "job/user_interface.h"
#include "output/rich_text.h"

namespace vantrel {

class LogView : public QTextEdit {
    Q_OBJECT

public:
    // The log holds at most this many characters; a line that would pass the
    // limit clears the log first, as the buffer rule does.
    static constexpr int MaxCharacters = 10'000'000;

    explicit LogView(QWidget* parent = nullptr);

    // One line of the simulation, through the buffer rule.  With a limit
    // above 500 the caret is placed at the end and the line inserted there;
    // otherwise the line is added below the others and the caret stays.
    void AppendLine(const QString& text, LogColour colour, std::int32_t logBufferLines);
    // One line outside the buffer rule (the file lists of the main window).
    void AppendLineUnlimited(const QString& text, LogColour colour);
    // Removes every line.
    void ClearLog();
    // The page (background) colour; every line is shown again in a colour
    // that stands out from it.
    void SetPageColour(const QColor& page);
    QColor PageColour() const;

    int LineCount() const;
    // The lines with the colours of their parts.
    std::vector<RichTextLine> Lines() const;
    // Replaces the log by these lines (cut at MaxCharacters); true when all fitted.
    bool SetLines(const std::vector<RichTextLine>& lines);

    // Writes the log: rich text when the name ends in ".rtf" (any case),
    // plain UTF-8 text with a line end after every line otherwise.  On
    // failure error holds the message and the log is unchanged.
    bool SaveToFile(const QString& path, QString& error) const;
    // Replaces the log by a file's contents: a rich-text file with its
    // colours, any other file as text.  truncated tells whether the file
    // held more than MaxCharacters.
    bool LoadFromFile(const QString& path, QString& error, bool& truncated);

private:
    void InsertLine(const QString& text, LogColour colour, bool caretToEnd);
};

QColor ToQColor(LogColour colour);
LogColour ToLogColour(const QColor& colour);

// WCAG contrast ratio of two colours, 1 to 21.
double ContrastRatio(const QColor& a, const QColor& b);
// How a log colour is shown on a page: as it is when it stands out enough,
// else moved towards white on a dark page or towards black on a light one,
// in sixteenths, until it does.  Enough is 7:1 for black and grey text
// (plain text, told apart by lightness alone; on a dark page black and
// grey first trade places, so black text turns white) and for coloured
// lines 3:1 on a light page, 4.5:1 on a dark one.  On the default white
// page only the grey lines change (shown darker); on black the black, dark
// blue and dark red lines turn light.
QColor ReadableLogColour(LogColour colour, const QColor& page);

// The font the log starts with: Courier New where the system has it, else
// the system's fixed-pitch font, so report columns line up.
QFont DefaultLogFont();

}  // namespace vantrel
