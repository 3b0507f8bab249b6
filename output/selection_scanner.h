// Scanner of the selection expression language.
//
// The scanner reads the stored expression text followed by one line end and
// returns one token per call; at each position it takes the longest match of
// the rows below, and among equally long matches the earlier row:
//
//   row  pattern                                          token
//    1   "{"                                              begins a comment
//    2   "}" inside a comment                             ends the comment
//    3   inside a comment, a run of characters other
//        than "{", "}" and the double quote               ignored
//    4   digits                                           integer literal (must fit
//                                                         32 bits, else illegal)
//    5   digits "." digits [E [sign] digits], or
//        digits E [sign] digits                           real literal
//    6   a keyword (variables, constants, functions)      keyword
//    7   one space                                        ignored
//    8   line end                                         end of line
//    9   any other single character                       that character
//
// So only the space separates tokens, ".5" and "5." are not numbers, a
// keyword is found without word boundaries (RXY is RX and then Y, ALTD is one
// keyword), a double quote inside a comment comes out as a character, and an
// unclosed comment swallows the line end.
#pragma once

#include <cstdint>
#include <string_view>

namespace vantrel {

// The keywords that name values.  RW and RN are integers, all others reals.
enum class SelectionVariable : std::int32_t {
    RX, RY, RZ, PX, PY, PZ, VX, VY, VZ, MS, TI, KE, LX, LY, LZ,
    ALT, ALTD, PHI, PHID, PI, EP, RW, RN,
};

// The keywords that name functions of one real argument.
enum class SelectionFunction : std::int32_t { EXP, LN, LOG, SIN, COS, TAN, ATAN, SQRT, ABS };

enum class SelectionTokenKind {
    End,              // no more input
    LineEnd,          // the line end after the text
    Integer,          // Integer holds the value
    Real,             // Real holds the value
    RealVariable,     // Id is a SelectionVariable
    IntegerVariable,  // Id is a SelectionVariable (RW, RN)
    Function,         // Id is a SelectionFunction
    Character,        // any other single character, in Character
    Illegal,          // a number that does not convert
    TooLong,          // a token longer than the scanner's 255-character buffer
};

struct SelectionToken {
    SelectionTokenKind Kind = SelectionTokenKind::End;
    std::int32_t Integer = 0;
    long double Real = 0;
    std::int32_t Id = 0;
    unsigned char Character = 0;
};

// Longest token (or ignored run) the scanner holds.
inline constexpr std::size_t SelectionTokenLimit = 255;

class SelectionScanner {
public:
    explicit SelectionScanner(std::string_view text) : text_(text) {}

    SelectionToken Next();

    // Characters consumed so far, the line end included once reached: the
    // position of the last character of the latest token.
    std::int32_t Consumed() const { return static_cast<std::int32_t>(pos_); }

private:
    // The text followed by one line end.
    std::size_t Size() const { return text_.size() + 1; }
    char At(std::size_t i) const { return i < text_.size() ? text_[i] : '\n'; }
    bool IsDigit(std::size_t i) const {
        return i < text_.size() && text_[i] >= '0' && text_[i] <= '9';
    }
    std::size_t DigitsEnd(std::size_t i) const;
    SelectionToken Number();

    std::string_view text_;
    std::size_t pos_ = 0;
    bool inComment_ = false;
};

}  // namespace vantrel
