// Number-to-text helpers that every report line is built with, plus a few
// small file and geometry helpers shared by several subsystems.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel {

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

// True when name has neither "*" nor "?" and names an existing file.
bool IsExistingPlainFile(std::string_view name);

// The running program's directory, with its trailing separator, followed by name.
std::string ProgramDirFile(std::string_view name);

// Polar angle of (x, y) in [0, 2*pi).
double FullCircleAngle(double x, double y);

}  // namespace vantrel
