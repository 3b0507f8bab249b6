// The log as rich text: lines of coloured runs, written to and read from an
// RTF file.  The desktop log saves itself through WriteRichText when the
// chosen name ends in ".rtf" and reads a rich-text file back through
// ReadRichText, so a saved log reloads with its colours.
//
// What the writer produces, and the reader reads back line for line:
//
//   {\rtf1\ansi\ansicpg1252\deff0
//   {\fonttbl{\f0\fmodern\fcharset0 Courier New;}}
//   {\colortbl ;\red0\green0\blue0;\red255\green0\blue0;}   one entry per colour used
//   \viewkind4\uc1\pard\f0\fs20                              font size in half points
//   \cf1   Run count: 1\par                                  \cfN before each colour change
//   \cf2   Error ...\cf1  and more\par                       \par ends every line
//   }
//
// Text escapes: "\", "{" and "}" take a backslash, a tab is \tab, and every
// character above 127 is \uN? (N the signed 16-bit code unit, two of them
// for a character outside the basic plane; "?" the one-byte fallback).
//
// The reader also takes the RTF other programs write: it follows \cf
// through nested groups, turns \par and \line into line ends, decodes
// \'hh (code page 1252), \uN with its \ucN fallback and the common symbol
// words, and skips the destinations that hold no text of the document
// (font and style tables, pictures, document information, \* groups, \bin
// data).  Formatting other than the text colour is dropped.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "output/log_colour.h"

namespace vantrel {

struct RichTextRun {
    std::string Text;  // UTF-8
    LogColour Colour;
    friend bool operator==(const RichTextRun&, const RichTextRun&) = default;
};

struct RichTextLine {
    std::vector<RichTextRun> Runs;  // adjacent runs differ in colour; none is empty
    std::string PlainText() const;
    friend bool operator==(const RichTextLine&, const RichTextLine&) = default;
};

struct RichTextFont {
    std::string Name = "Courier New";
    int PointSize = 10;
};

// Appends text in colour to line, joining it to the last run when that has
// the same colour; empty text adds nothing.
void AppendRun(RichTextLine& line, std::string_view text, LogColour colour);

// The RTF text of the lines, laid out as tabled above.
std::string WriteRichText(const std::vector<RichTextLine>& lines, const RichTextFont& font = {});

// True when bytes begin like an RTF file ("{\rtf").
bool IsRichText(std::string_view bytes);

// Groups nested deeper than this make the file unreadable as rich text.
inline constexpr int MaxRichTextDepth = 200;

// The lines of an RTF text.  False, with lines empty, when bytes are not
// rich text or nest deeper than MaxRichTextDepth; a file cut short keeps
// the lines read so far.
bool ReadRichText(std::string_view bytes, std::vector<RichTextLine>& lines);

}  // namespace vantrel
