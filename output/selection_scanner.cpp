#include "output/selection_scanner.h"

#include <charconv>
#include <limits>

namespace vantrel {

namespace {

struct Keyword {
    std::string_view Text;
    SelectionTokenKind Kind;
    std::int32_t Id;
};

constexpr SelectionTokenKind KindReal = SelectionTokenKind::RealVariable;
constexpr SelectionTokenKind KindInteger = SelectionTokenKind::IntegerVariable;
constexpr SelectionTokenKind KindFunction = SelectionTokenKind::Function;

template <typename E>
constexpr std::int32_t Id(E e) {
    return static_cast<std::int32_t>(e);
}

using V = SelectionVariable;
using F = SelectionFunction;

constexpr Keyword Keywords[] = {
    {"RX", KindReal, Id(V::RX)},       {"RY", KindReal, Id(V::RY)},
    {"RZ", KindReal, Id(V::RZ)},       {"PX", KindReal, Id(V::PX)},
    {"PY", KindReal, Id(V::PY)},       {"PZ", KindReal, Id(V::PZ)},
    {"VX", KindReal, Id(V::VX)},       {"VY", KindReal, Id(V::VY)},
    {"VZ", KindReal, Id(V::VZ)},       {"MS", KindReal, Id(V::MS)},
    {"TI", KindReal, Id(V::TI)},       {"KE", KindReal, Id(V::KE)},
    {"LX", KindReal, Id(V::LX)},       {"LY", KindReal, Id(V::LY)},
    {"LZ", KindReal, Id(V::LZ)},       {"ALT", KindReal, Id(V::ALT)},
    {"ALTD", KindReal, Id(V::ALTD)},   {"PHI", KindReal, Id(V::PHI)},
    {"PHID", KindReal, Id(V::PHID)},   {"PI", KindReal, Id(V::PI)},
    {"EP", KindReal, Id(V::EP)},       {"RW", KindInteger, Id(V::RW)},
    {"RN", KindInteger, Id(V::RN)},    {"EXP", KindFunction, Id(F::EXP)},
    {"LN", KindFunction, Id(F::LN)},   {"LOG", KindFunction, Id(F::LOG)},
    {"SIN", KindFunction, Id(F::SIN)}, {"COS", KindFunction, Id(F::COS)},
    {"TAN", KindFunction, Id(F::TAN)}, {"ATAN", KindFunction, Id(F::ATAN)},
    {"SQRT", KindFunction, Id(F::SQRT)}, {"ABS", KindFunction, Id(F::ABS)},
};

SelectionToken Token(SelectionTokenKind kind) {
    SelectionToken t;
    t.Kind = kind;
    return t;
}

}  // namespace

std::size_t SelectionScanner::DigitsEnd(std::size_t i) const {
    while (IsDigit(i)) ++i;
    return i;
}

SelectionToken SelectionScanner::Number() {
    const std::size_t start = pos_;
    const std::size_t digitsEnd = DigitsEnd(start);
    // Real: digits "." digits, then an optional exponent; or digits and an exponent.
    std::size_t realEnd = 0;
    std::size_t mantissaEnd = digitsEnd;
    if (At(digitsEnd) == '.' && IsDigit(digitsEnd + 1)) {
        mantissaEnd = DigitsEnd(digitsEnd + 1);
        realEnd = mantissaEnd;
    }
    bool negativeExponent = false;
    if (At(mantissaEnd) == 'E') {
        std::size_t d = mantissaEnd + 1;
        if (At(d) == '+' || At(d) == '-') {
            negativeExponent = At(d) == '-';
            ++d;
        }
        if (IsDigit(d)) realEnd = DigitsEnd(d);
    }

    if (realEnd != 0) {
        pos_ = realEnd;
        if (realEnd - start > SelectionTokenLimit) return Token(SelectionTokenKind::TooLong);
        // Written as a decimal number in the C locale whatever the user's locale.
        long double value = 0;
        const auto [end, error] = std::from_chars(text_.data() + start, text_.data() + realEnd, value);
        SelectionToken t = Token(SelectionTokenKind::Real);
        if (error == std::errc::result_out_of_range && negativeExponent) {
            value = 0;  // too small for any real: zero
        } else if (error != std::errc() || end != text_.data() + realEnd) {
            return Token(SelectionTokenKind::Illegal);
        }
        t.Real = value;
        return t;
    }

    pos_ = digitsEnd;
    if (digitsEnd - start > SelectionTokenLimit) return Token(SelectionTokenKind::TooLong);
    std::int64_t value = 0;
    for (std::size_t i = start; i < digitsEnd; ++i) {
        value = value * 10 + (text_[i] - '0');
        if (value > std::numeric_limits<std::int32_t>::max())
            return Token(SelectionTokenKind::Illegal);
    }
    SelectionToken t = Token(SelectionTokenKind::Integer);
    t.Integer = static_cast<std::int32_t>(value);
    return t;
}

SelectionToken SelectionScanner::Next() {
    while (pos_ < Size()) {
        const char c = At(pos_);
        if (inComment_) {
            if (c == '{') {  // no further effect
                ++pos_;
            } else if (c == '}') {
                ++pos_;
                inComment_ = false;
            } else if (c == '"') {
                ++pos_;
                SelectionToken t = Token(SelectionTokenKind::Character);
                t.Character = '"';
                return t;
            } else {
                const std::size_t start = pos_;
                while (pos_ < Size() && At(pos_) != '{' && At(pos_) != '}' && At(pos_) != '"')
                    ++pos_;
                if (pos_ - start > SelectionTokenLimit) return Token(SelectionTokenKind::TooLong);
            }
            continue;
        }
        if (c == '{') {
            ++pos_;
            inComment_ = true;
            continue;
        }
        if (c >= '0' && c <= '9') return Number();
        const Keyword* best = nullptr;
        for (const Keyword& k : Keywords) {
            if (best && k.Text.size() <= best->Text.size()) continue;
            if (text_.substr(pos_, k.Text.size()) == k.Text) best = &k;
        }
        if (best) {
            pos_ += best->Text.size();
            SelectionToken t = Token(best->Kind);
            t.Id = best->Id;
            return t;
        }
        ++pos_;
        if (c == ' ') continue;
        if (c == '\n') return Token(SelectionTokenKind::LineEnd);
        SelectionToken t = Token(SelectionTokenKind::Character);
        t.Character = static_cast<unsigned char>(c);
        return t;
    }
    return Token(SelectionTokenKind::End);
}

}  // namespace vantrel
