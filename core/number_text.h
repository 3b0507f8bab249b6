// The text helpers every message is built with: numbers to text, and the
// cut that keeps a text within its limit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel {

inline constexpr std::size_t LogLineLimit = 100;     // characters of one log line
inline constexpr std::size_t StatusTextLimit = 50;   // characters of the status text
inline constexpr std::size_t ShortTextLimit = 255;   // file names and text lines

// The first maxChars characters of text.  Texts are UTF-8; a character is a
// code point, so a cut never splits one.
std::string CutText(std::string_view text, std::size_t maxChars);

// Fixed notation, 8 decimals, minimum width 8, cut to the first 8 characters:
// 0.5 -> "0.500000", 12.3456 -> "12.34560", 123456789.0 -> "12345678".
std::string FormatReal8(double x);

// Fixed notation with n decimals, no leading blanks, cut to 10 characters.
std::string FormatRealDecimals(int n, double x);

// n < 10: fixed notation with n decimals, cut to 20 characters.
// n >= 10: scientific notation in a field of width n (four-digit exponent),
// cut to 20 characters and passed through CompactExponent.
std::string FormatRealFlexible(int n, double x);

// Drops blanks and leading zeros from the exponent of a number text and trims
// blanks at both ends: "1.500000000E+0002" -> "1.500000000E+2".
std::string CompactExponent(std::string_view text);

// Decimal text of a 32-bit integer.
std::string IntegerText(std::int32_t n);

}  // namespace vantrel
