#include "io/input_file.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <system_error>

namespace vantrel {

namespace {

constexpr std::size_t BufferSize = 65536;  // at least the 4096 bytes the long files want
constexpr int EndOfFileChar = 26;           // Ctrl-Z
constexpr std::size_t IntegerTokenLimit = 32;
constexpr std::size_t RealTokenLimit = 64;
constexpr std::size_t FoundLimit = 32;       // characters of an unreadable token kept for its report

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLineEnd(int c) { return c == '\r' || c == '\n'; }

}  // namespace

bool ParseIntegerToken(std::string_view token, std::int32_t& value) {
    std::size_t pos = 0;
    bool negative = false;
    if (pos < token.size() && (token[pos] == '+' || token[pos] == '-')) {
        negative = token[pos] == '-';
        ++pos;
    }
    if (pos == token.size()) return false;
    long long magnitude = 0;
    for (; pos < token.size(); ++pos) {
        if (!IsDigit(token[pos])) return false;
        magnitude = magnitude * 10 + (token[pos] - '0');
        if (magnitude > 2147483648LL) return false;
    }
    const long long signedValue = negative ? -magnitude : magnitude;
    if (signedValue > 2147483647LL) return false;
    value = static_cast<std::int32_t>(signedValue);
    return true;
}

bool ParseRealToken(std::string_view token, double& value) {
    // Check the syntax ourselves: from_chars would also take inf, nan and hex.
    std::size_t pos = 0;
    if (pos < token.size() && (token[pos] == '+' || token[pos] == '-')) ++pos;
    const std::size_t mantissaStart = pos;
    std::size_t digits = 0;
    while (pos < token.size() && IsDigit(token[pos])) ++pos, ++digits;
    if (pos < token.size() && token[pos] == '.') {
        ++pos;
        while (pos < token.size() && IsDigit(token[pos])) ++pos, ++digits;
    }
    if (digits == 0) return false;
    if (pos < token.size() && (token[pos] == 'E' || token[pos] == 'e')) {
        ++pos;
        if (pos < token.size() && (token[pos] == '+' || token[pos] == '-')) ++pos;
        std::size_t exponentDigits = 0;
        while (pos < token.size() && IsDigit(token[pos])) ++pos, ++exponentDigits;
        if (exponentDigits == 0) return false;
    }
    if (pos != token.size()) return false;

    const char* first = token.data() + mantissaStart;
    const char* last = token.data() + token.size();
    double magnitude = 0.0;
    const auto result = std::from_chars(first, last, magnitude, std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != last || !std::isfinite(magnitude))
        return false;
    value = (mantissaStart > 0 && token[0] == '-') ? -magnitude : magnitude;
    return true;
}

InputFile::InputFile(std::string_view name) : buffer_(BufferSize) {
    const std::string path(name);
    std::error_code error;
    if (path.empty() || std::filesystem::is_directory(path, error)) {
        Fail("");
        failure_.Line = 0;
        end_ = true;
        return;
    }
    file_.reset(std::fopen(path.c_str(), "rb"));
    opened_ = file_ != nullptr;
    if (!opened_) {
        Fail("");
        failure_.Line = 0;
        end_ = true;
    }
}

void InputFile::Fail(const char* field, std::string_view found) {
    if (!failure_.Failed) failure_ = {true, line_, field, std::string(found.substr(0, FoundLimit))};
    failed_ = true;
}

void InputFile::NoteMissing(const char* field) {
    if (!missing_.Failed) missing_ = {true, line_, field, {}};
}

void InputFile::Advance(int c) {
    ++pos_;
    // CR LF, CR and LF each end one line.
    if (c == '\r') {
        ++line_;
        afterCr_ = true;
        return;
    }
    if (c == '\n' && !afterCr_) ++line_;
    afterCr_ = false;
}

bool InputFile::Fill() {
    if (end_ || !file_) return false;
    length_ = std::fread(buffer_.data(), 1, buffer_.size(), file_.get());
    pos_ = 0;
    if (length_ == 0) {
        if (std::ferror(file_.get())) Fail("");
        end_ = true;
        return false;
    }
    return true;
}

int InputFile::Peek() {
    if (end_) return -1;
    if (pos_ >= length_ && !Fill()) return -1;
    const int c = static_cast<unsigned char>(buffer_[pos_]);
    if (c == EndOfFileChar) {
        end_ = true;
        return -1;
    }
    return c;
}

int InputFile::Get() {
    const int c = Peek();
    if (c >= 0) Advance(c);
    return c;
}

bool InputFile::AtEnd() { return Peek() < 0; }

bool InputFile::AtEndOfData() { return !SkipSeparators(); }

std::string InputFile::ReadToken() {
    std::string token;
    if (!SkipSeparators()) return token;
    for (;;) {
        const int c = Peek();
        if (c < 0 || c <= 32) break;
        if (token.size() < RealTokenLimit) token.push_back(static_cast<char>(c));
        Advance(c);
    }
    return token;
}

bool InputFile::SkipSeparators() {
    for (;;) {
        const int c = Peek();
        if (c < 0) return false;
        if (c != ' ' && c != '\t' && !IsLineEnd(c)) return true;
        Advance(c);
    }
}

bool InputFile::TakeToken(std::size_t limit, std::string& token) {
    token.clear();
    for (;;) {
        const int c = Peek();
        if (c < 0 || c <= 32) break;
        if (token.size() == limit) return false;
        token.push_back(static_cast<char>(c));
        Advance(c);
    }
    return true;
}

std::int32_t InputFile::ReadInteger(const char* field) {
    if (failed_) return 0;
    if (!SkipSeparators()) {
        NoteMissing(field);
        return 0;
    }
    std::string token;
    std::int32_t value = 0;
    if (!TakeToken(IntegerTokenLimit, token) || !ParseIntegerToken(token, value)) {
        Fail(field, token);
        return 0;
    }
    return value;
}

double InputFile::ReadReal(const char* field) {
    if (failed_) return 0.0;
    if (!SkipSeparators()) {
        NoteMissing(field);
        return 0.0;
    }
    std::string token;
    double value = 0.0;
    if (!TakeToken(RealTokenLimit, token) || !ParseRealToken(token, value)) {
        Fail(field, token);
        return 0.0;
    }
    return value;
}

char InputFile::ReadChar() {
    if (failed_) return static_cast<char>(EndOfFileChar);
    const int c = Get();
    return c < 0 ? static_cast<char>(EndOfFileChar) : static_cast<char>(c);
}

std::string InputFile::ReadString(std::size_t maxChars) {
    std::string text;
    if (failed_) return text;
    while (text.size() < maxChars) {
        const int c = Peek();
        if (c < 0 || IsLineEnd(c)) break;
        text.push_back(static_cast<char>(c));
        Advance(c);
    }
    return text;
}

void InputFile::SkipLine() {
    if (failed_) return;
    for (;;) {
        const int c = Get();
        if (c < 0) return;
        if (c == '\n') return;
        if (c == '\r') {
            if (Peek() == '\n') Advance('\n');
            return;
        }
    }
}

void InputFile::Close() {
    if (file_) {
        if (std::ferror(file_.get())) Fail("");
        file_.reset();
    }
    end_ = true;
}

}  // namespace vantrel
