// The log pane of the main window: an editable rich-text view without word
// wrap that the simulation appends whole coloured lines to.
//
// Lines are the paragraphs of the document.  Every appended line ends with
// a line break, so the document ends with an empty paragraph where the
// caret waits; that paragraph is not a line.  The buffer rule (clear the
// whole log when it holds more lines than LogBufferLines) is the shared one
// of LogModel::Plan, applied to the lines this view holds, including any the
// user typed, pasted or loaded.
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

// The font the log starts with: Courier New where the system has it, else
// the system's fixed-pitch font, so report columns line up.
QFont DefaultLogFont();

}  // namespace vantrel
