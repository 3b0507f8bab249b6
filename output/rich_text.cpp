#include "output/rich_text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

namespace vantrel {

namespace {

// ---------------------------------------------------------------------------
// UTF-8

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

constexpr char32_t Replacement = 0xFFFD;

// The code point at text[pos], advancing pos; a malformed sequence yields
// U+FFFD and consumes one byte.
char32_t NextCodePoint(std::string_view text, std::size_t& pos) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(pos);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    int length = 0;
    char32_t c = 0;
    char32_t least = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, c = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, c = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, c = lead & 0x07, least = 0x10000;
    } else {
        ++pos;
        return Replacement;
    }
    if (pos + length > text.size()) {
        ++pos;
        return Replacement;
    }
    for (int k = 1; k < length; ++k) {
        if ((byte(pos + k) & 0xC0) != 0x80) {
            ++pos;
            return Replacement;
        }
        c = (c << 6) | (byte(pos + k) & 0x3F);
    }
    pos += length;
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return Replacement;
    return c;
}

// Code page 1252 at 0x80..0x9F; the other bytes are Latin-1.
char32_t FromCodePage1252(unsigned char b) {
    static constexpr std::array<char16_t, 32> high = {
        0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    if (b >= 0x80 && b <= 0x9F) return high[b - 0x80];
    return b;
}

// ---------------------------------------------------------------------------
// Writer

void WriteEscaped(std::string& out, std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const char32_t c = NextCodePoint(text, pos);
        if (c == '\\' || c == '{' || c == '}') {
            out.push_back('\\');
            out.push_back(static_cast<char>(c));
        } else if (c == '\t') {
            out += "\\tab ";
        } else if (c < 0x20) {
            // Line ends belong between lines; other control characters have no place in a line.
        } else if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else {
            // \uN takes a signed 16-bit code unit; outside the basic plane, a surrogate pair.
            auto unit = [&out](unsigned u) {
                out += "\\u" + std::to_string(static_cast<std::int16_t>(static_cast<std::uint16_t>(u))) + "?";
            };
            if (c < 0x10000) {
                unit(c);
            } else {
                const char32_t v = c - 0x10000;
                unit(0xD800 + (v >> 10));
                unit(0xDC00 + (v & 0x3FF));
            }
        }
    }
}

std::string ColourEntry(LogColour c) {
    return "\\red" + std::to_string(c.Red) + "\\green" + std::to_string(c.Green) + "\\blue" +
           std::to_string(c.Blue) + ";";
}

// ---------------------------------------------------------------------------
// Reader

enum class Destination { Text, ColourTable, Skip };

struct GroupState {
    Destination Where = Destination::Text;
    int ColourIndex = 0;
    int FallbackLength = 1;  // \ucN: characters that follow every \uN
};

bool IsSkippedDestination(std::string_view word) {
    static constexpr std::string_view skipped[] = {
        "fonttbl",   "filetbl",     "stylesheet",     "listtable",  "listoverridetable",
        "revtbl",    "rsidtbl",     "info",           "pict",       "object",
        "header",    "headerl",     "headerr",        "headerf",    "footer",
        "footerl",   "footerr",     "footerf",        "footnote",   "annotation",
        "generator", "xmlnstbl",    "themedata",      "colorschememapping",
        "latentstyles", "datastore", "fldinst" /* a field shows its \\fldrslt */, "pgdsctbl", "mmathPr",
        "nonshppict", "shpinst",    "bkmkstart",      "bkmkend",
        "template",  "userprops",   "docvar",         "operator",   "author",
        "title",     "subject",     "keywords",       "comment",    "doccomm"};
    return std::find(std::begin(skipped), std::end(skipped), word) != std::end(skipped);
}

class RtfReader {
public:
    RtfReader(std::string_view bytes, std::vector<RichTextLine>& lines) : in_(bytes), lines_(lines) {}

    bool Read() {
        // The opening "{" of "{\rtf" starts the document group.
        std::size_t pos = 0;
        while (pos < in_.size()) {
            const char c = in_[pos];
            if (c == '{') {
                if (static_cast<int>(stack_.size()) >= MaxRichTextDepth) return false;
                stack_.push_back(stack_.empty() ? GroupState{} : stack_.back());
                pendingFallback_ = 0;
                ++pos;
            } else if (c == '}') {
                if (!stack_.empty() && stack_.back().Where == Destination::ColourTable) EndColourTable();
                if (stack_.empty()) break;
                stack_.pop_back();
                pendingFallback_ = 0;
                ++pos;
                if (stack_.empty()) break;  // the document group has closed
            } else if (c == '\\') {
                pos = ControlAt(pos + 1);
            } else if (c == '\r' || c == '\n') {
                ++pos;  // line ends in the file are not text
            } else {
                Character(FromCodePage1252(static_cast<unsigned char>(c)), true);
                ++pos;
            }
        }
        if (!line_.Runs.empty()) lines_.push_back(std::move(line_));
        return true;
    }

private:
    GroupState& State() { return stack_.back(); }

    // Handles the control word or symbol after a backslash at pos; returns
    // the position after it.
    std::size_t ControlAt(std::size_t pos) {
        if (pos >= in_.size()) return pos;
        const char c = in_[pos];
        const auto isLetter = [](char ch) { return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z'); };
        const auto isDigit = [](char ch) { return ch >= '0' && ch <= '9'; };
        if (isLetter(c)) {
            std::size_t end = pos;
            while (end < in_.size() && isLetter(in_[end]) && end - pos < 32) ++end;
            const std::string_view word = in_.substr(pos, end - pos);
            std::optional<long> parameter;
            bool negative = false;
            if (end < in_.size() && in_[end] == '-' && end + 1 < in_.size() && isDigit(in_[end + 1])) {
                negative = true;
                ++end;
            }
            if (end < in_.size() && isDigit(in_[end])) {
                long value = 0;
                int digits = 0;
                while (end < in_.size() && isDigit(in_[end])) {
                    if (digits < 10) value = value * 10 + (in_[end] - '0');
                    ++digits;
                    ++end;
                }
                parameter = negative ? -value : value;
            }
            if (end < in_.size() && in_[end] == ' ') ++end;  // the delimiting blank belongs to the word
            return Word(word, parameter, end);
        }
        if (c == '\'') {
            if (pos + 2 < in_.size()) {
                const int high = HexValue(in_[pos + 1]);
                const int low = HexValue(in_[pos + 2]);
                if (high >= 0 && low >= 0) {
                    Character(FromCodePage1252(static_cast<unsigned char>(high * 16 + low)), true);
                    return pos + 3;
                }
            }
            return pos + 1;
        }
        switch (c) {
            case '\\':
            case '{':
            case '}':
                Character(static_cast<unsigned char>(c), true);
                break;
            case '~':
                Character(0x00A0, true);
                break;
            case '_':
                Character('-', true);
                break;
            case '*':
                if (!stack_.empty()) State().Where = Destination::Skip;
                break;
            case '\r':
            case '\n':
                LineEnd();
                break;
            default:
                break;  // \- optional hyphen, \: index entry and the like
        }
        return pos + 1;
    }

    static int HexValue(char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }

    std::size_t Word(std::string_view word, std::optional<long> parameter, std::size_t next) {
        if (stack_.empty()) return next;
        GroupState& state = State();
        if (word == "bin") {
            // Raw binary data of the given length follows.
            const std::size_t length = parameter && *parameter > 0 ? static_cast<std::size_t>(*parameter) : 0;
            return std::min(in_.size(), next + length);
        }
        if (state.Where == Destination::ColourTable) {
            const int value = static_cast<int>(std::clamp(parameter.value_or(0), 0L, 255L));
            if (word == "red") colour_.Red = static_cast<std::uint8_t>(value), colourSet_ = true;
            if (word == "green") colour_.Green = static_cast<std::uint8_t>(value), colourSet_ = true;
            if (word == "blue") colour_.Blue = static_cast<std::uint8_t>(value), colourSet_ = true;
            return next;
        }
        if (word == "colortbl") {
            state.Where = Destination::ColourTable;
            colours_.clear();
            colour_ = {};
            colourSet_ = false;
            return next;
        }
        if (IsSkippedDestination(word)) {
            state.Where = Destination::Skip;
            return next;
        }
        if (state.Where == Destination::Skip) return next;

        if (word == "par" || word == "line") {
            LineEnd();
        } else if (word == "tab") {
            Character('\t', true);
        } else if (word == "cf") {
            state.ColourIndex = static_cast<int>(std::clamp(parameter.value_or(0), 0L, 100000L));
        } else if (word == "plain") {
            state.ColourIndex = 0;
        } else if (word == "uc") {
            state.FallbackLength = static_cast<int>(std::clamp(parameter.value_or(1), 0L, 10L));
        } else if (word == "u") {
            long unit = parameter.value_or(0);
            if (unit < 0) unit += 65536;
            UnicodeUnit(static_cast<char32_t>(unit & 0xFFFF));
            pendingFallback_ = state.FallbackLength;
        } else if (word == "emdash") {
            Character(0x2014, true);
        } else if (word == "endash") {
            Character(0x2013, true);
        } else if (word == "bullet") {
            Character(0x2022, true);
        } else if (word == "lquote") {
            Character(0x2018, true);
        } else if (word == "rquote") {
            Character(0x2019, true);
        } else if (word == "ldblquote") {
            Character(0x201C, true);
        } else if (word == "rdblquote") {
            Character(0x201D, true);
        }
        return next;
    }

    void UnicodeUnit(char32_t unit) {
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            highSurrogate_ = unit;
            return;
        }
        if (unit >= 0xDC00 && unit <= 0xDFFF) {
            if (highSurrogate_ != 0) {
                Character(0x10000 + ((highSurrogate_ - 0xD800) << 10) + (unit - 0xDC00), false);
            } else {
                Character(Replacement, false);
            }
            highSurrogate_ = 0;
            return;
        }
        Character(unit, false);
    }

    // A character of the document text; fallback text after \uN is skipped.
    void Character(char32_t c, bool mayBeFallback) {
        if (stack_.empty()) return;
        if (mayBeFallback && pendingFallback_ > 0) {
            --pendingFallback_;
            return;
        }
        GroupState& state = State();
        if (state.Where == Destination::ColourTable) {
            if (c == ';') EndColourEntry();
            return;
        }
        if (state.Where != Destination::Text) return;
        if (highSurrogate_ != 0 && mayBeFallback) highSurrogate_ = 0;
        if (c < 0x20 && c != '\t') return;  // control characters are no text of a line
        std::string text;
        AppendUtf8(text, c);
        AppendRun(line_, text, ColourOf(state.ColourIndex));
    }

    void LineEnd() {
        if (stack_.empty() || State().Where != Destination::Text) return;
        lines_.push_back(std::move(line_));
        line_ = RichTextLine{};
        pendingFallback_ = 0;
    }

    void EndColourEntry() {
        colours_.push_back(colourSet_ ? std::optional<LogColour>(colour_) : std::nullopt);
        colour_ = {};
        colourSet_ = false;
    }

    void EndColourTable() {
        if (colourSet_) EndColourEntry();  // a last entry without its ";"
    }

    LogColour ColourOf(int index) const {
        if (index >= 0 && index < static_cast<int>(colours_.size()) && colours_[index]) return *colours_[index];
        return ColourBlack;  // \cf0 and unknown entries: the automatic colour
    }

    std::string_view in_;
    std::vector<RichTextLine>& lines_;
    std::vector<GroupState> stack_;
    std::vector<std::optional<LogColour>> colours_;
    LogColour colour_{};
    bool colourSet_ = false;
    RichTextLine line_;
    int pendingFallback_ = 0;
    char32_t highSurrogate_ = 0;
};

}  // namespace

std::string RichTextLine::PlainText() const {
    std::string text;
    for (const RichTextRun& run : Runs) text += run.Text;
    return text;
}

void AppendRun(RichTextLine& line, std::string_view text, LogColour colour) {
    if (text.empty()) return;
    if (!line.Runs.empty() && line.Runs.back().Colour == colour) {
        line.Runs.back().Text += text;
    } else {
        line.Runs.push_back({std::string(text), colour});
    }
}

std::string WriteRichText(const std::vector<RichTextLine>& lines, const RichTextFont& font) {
    // Colour table: black first, then every other colour in order of appearance.
    std::vector<LogColour> colours{ColourBlack};
    for (const RichTextLine& line : lines)
        for (const RichTextRun& run : line.Runs)
            if (std::find(colours.begin(), colours.end(), run.Colour) == colours.end())
                colours.push_back(run.Colour);

    std::string out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\n{\\fonttbl{\\f0\\fmodern\\fcharset0 ";
    WriteEscaped(out, font.Name);
    out += ";}}\n{\\colortbl ;";
    for (const LogColour& c : colours) out += ColourEntry(c);
    out += "}\n\\viewkind4\\uc1\\pard\\f0\\fs" + std::to_string(std::clamp(font.PointSize, 1, 1638) * 2) + "\n";

    for (const RichTextLine& line : lines) {
        for (const RichTextRun& run : line.Runs) {
            const auto index = std::find(colours.begin(), colours.end(), run.Colour) - colours.begin() + 1;
            out += "\\cf" + std::to_string(index) + " ";
            WriteEscaped(out, run.Text);
        }
        out += "\\par\n";
    }
    out += "}\n";
    return out;
}

bool IsRichText(std::string_view bytes) { return bytes.substr(0, 5) == "{\\rtf"; }

bool ReadRichText(std::string_view bytes, std::vector<RichTextLine>& lines) {
    lines.clear();
    if (!IsRichText(bytes)) return false;
    RtfReader reader(bytes, lines);
    if (reader.Read()) return true;
    lines.clear();
    return false;
}

}  // namespace vantrel
