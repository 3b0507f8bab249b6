#include "core/number_text.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <system_error>

namespace vantrel {

namespace {

std::string Printf(const char* format, int precision, double x) {
    char buffer[512];
    const int length = std::snprintf(buffer, sizeof buffer, format, precision, x);
    if (length < 0) return {};
    if (static_cast<std::size_t>(length) >= sizeof buffer) {
        // Only astronomically large values get here; they are cut anyway.
        return std::string(buffer, sizeof buffer - 1);
    }
    return std::string(buffer, static_cast<std::size_t>(length));
}

std::string Cut(std::string text, std::size_t length) {
    if (text.size() > length) text.resize(length);
    return text;
}

}  // namespace

std::string FormatReal8(double x) { return Cut(Printf("%8.*f", 8, x), 8); }

std::string FormatRealDecimals(int n, double x) {
    if (n < 0) n = 0;
    return Cut(Printf("%.*f", n, x), 10);
}

std::string FormatRealFlexible(int n, double x) {
    if (n < 10) return Cut(Printf("%.*f", n < 0 ? 0 : n, x), 20);
    // A field of width n holds sign, digit, point, decimals, "E", sign and a
    // four-digit exponent.
    const int decimals = n - 9 < 1 ? 1 : n - 9;
    std::string text = Printf("%.*E", decimals, x);
    // The C library writes at least two exponent digits; widen them to four.
    const std::size_t e = text.find('E');
    if (e != std::string::npos && e + 2 <= text.size()) {
        std::string digits = text.substr(e + 2);
        while (digits.size() < 4) digits.insert(digits.begin(), '0');
        text = text.substr(0, e + 2) + digits;
    }
    if (!text.empty() && text[0] != '-') text.insert(text.begin(), ' ');
    while (static_cast<int>(text.size()) < n) text.insert(text.begin(), ' ');
    return CompactExponent(Cut(text, 20));
}

std::string CompactExponent(std::string_view text) {
    std::string out;
    std::size_t pos = 0;
    bool sawE = false;
    // Mantissa, up to and including the first E (at most 31 characters looked at).
    while (pos < text.size() && pos < 31) {
        const char c = text[pos++];
        out.push_back(c);
        if (c == 'e' || c == 'E') {
            sawE = true;
            break;
        }
    }
    if (sawE) {
        std::string exponent;
        bool leading = true;
        for (; pos < text.size(); ++pos) {
            const char c = text[pos];
            if (c == ' ') continue;
            if (c == '+' || c == '-') {
                exponent.push_back(c);
                continue;
            }
            if (leading && c == '0') continue;
            leading = false;
            exponent.push_back(c);
        }
        if (exponent.empty() || exponent == "+" || exponent == "-") exponent.push_back('0');
        out += exponent;
    } else {
        out = std::string(text);
    }
    const std::size_t first = out.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    const std::size_t last = out.find_last_not_of(' ');
    return out.substr(first, last - first + 1);
}

std::string IntegerText(std::int32_t n) { return std::to_string(n); }

std::string CutText(std::string_view text, std::size_t maxChars) {
    std::size_t chars = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (chars == maxChars) break;
        // Step over one UTF-8 sequence: a lead byte and its continuation bytes.
        ++pos;
        while (pos < text.size() &&
               (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80)
            ++pos;
        ++chars;
    }
    return std::string(text.substr(0, pos));
}

}  // namespace vantrel
