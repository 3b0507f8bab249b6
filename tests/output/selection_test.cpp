#include "output/selection_evaluator.h"

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/geometry.h"
#include "output/selection_program.h"
#include "output/selection_scanner.h"
#include "output/selection_text.h"

namespace vantrel {
namespace {

constexpr double Ev = 1.60219e-19;         // J, as the expression language counts it
constexpr double CopperMass = 1.0552e-25;  // kg

// A copper atom inside the crystal, moving up and sideways with 20 eV.
SelectionVariables Particle() {
    SelectionVariables v;
    v.X = 1.0e-10;
    v.Y = -2.0e-10;
    v.Z = 3.0e-10;
    v.Mass = CopperMass;
    const double p = std::sqrt(2 * CopperMass * 20 * Ev);
    v.PX = 0.6 * p;
    v.PY = 0.0;
    v.PZ = 0.8 * p;
    v.Time = 2.0e-13;
    v.Index = 3;
    v.RunNumber = 5;
    return v;
}

struct Evaluation {
    SelectionOutcome Outcome;
    std::vector<std::string> Windows;  // messages of the error windows, in order
};

class Selection : public ::testing::Test, public ExpressionErrorSink {
protected:
    void ExpressionError(std::string_view message) override { windows_.emplace_back(message); }

    Evaluation Evaluate(const std::string& text, const SelectionVariables& v) {
        selection.Text = text;
        windows_.clear();
        Evaluation e;
        e.Outcome = EvaluateSelection(selection, v, *this);
        e.Windows = windows_;
        return e;
    }

    CompiledSelection selection;

private:
    std::vector<std::string> windows_;
};

// Expected "(near char. #n)." ending of a window message.
std::string Near(int n) { return "(near char. #" + std::to_string(n) + ")."; }

std::string ErrorOf(const std::string& window) {
    const std::string prefix = "Error type: ";
    if (window.rfind(prefix, 0) != 0) return "<no prefix>";
    return window.substr(prefix.size(), window.find('\r') - prefix.size());
}

struct Case {
    const char* Text;
    void (*Adjust)(SelectionVariables&);  // particle values, or nullptr for Particle()
    bool Write;
    const char* Error;  // nullptr: no error
    int Position;       // n of the error
};

void Projectile(SelectionVariables& v) { v.Index = 0; }
void SlowParticle(SelectionVariables& v) {
    const double p = std::sqrt(2 * v.Mass * 5 * Ev);
    v.PX = 0.6 * p;
    v.PZ = 0.8 * p;
}
void AlongNormal(SelectionVariables& v) {
    v.PX = 0;
    v.PY = 0;
}
void NegativeX(SelectionVariables& v) { v.X = -1.0e-10; }
void InwardBelow(SelectionVariables& v) {
    v.Z = 4.0e-11;
    v.PZ = -v.PZ;
}
void UnitX(SelectionVariables& v) { v.X = 1.0; }
void MinusUnitX(SelectionVariables& v) { v.X = -1.0; }
void MinusTwoX(SelectionVariables& v) { v.X = -2.0; }
void IndexOne(SelectionVariables& v) { v.Index = 1; }
void EarlyProjectile(SelectionVariables& v) {
    v.Index = 0;
    v.Time = 0.5e-13;
}
void LateralY(SelectionVariables& v) {
    v.PX = 0;
    v.PY = 1.0e-22;
}

const Case Cases[] = {
    // Energies in units of the electronvolt constant.
    {"[KE > 10.0*EP]", nullptr, true, nullptr, 0},
    {"[KE > 10.0*EP] & [RZ > 5.0E-11]", nullptr, true, nullptr, 0},
    {"[KE > 10.0*EP] & [RZ > 5.0E-11]", SlowParticle, false, nullptr, 0},
    {"[KE > 10.0*EP]", SlowParticle, false, nullptr, 0},
    {"[KE > 10*EP]", nullptr, true, nullptr, 0},
    {"[KE > 1.0E-18]", nullptr, true, nullptr, 0},
    {"[KE > 1]", nullptr, false, "syntax error", 8},
    // Integer comparisons.
    {"[RW = 0]", Projectile, true, nullptr, 0},
    {"[RW = 0]", nullptr, false, nullptr, 0},
    {"[RW = 0.0]", Projectile, false, "syntax error", 9},
    {"[RW=0]", Projectile, true, nullptr, 0},
    {"[RW > -1]", nullptr, true, nullptr, 0},
    {"[RW = 4/2]", nullptr, false, "syntax error", 8},
    {"[RW = 1 + 2.0]", nullptr, false, "syntax error", 13},
    {"[RW = (2*3) - -3 - 6]", nullptr, true, nullptr, 0},
    {"[RW + 1.0 > 3.5]", nullptr, true, nullptr, 0},
    {"[RN = 5] & [RW = 3]", nullptr, true, nullptr, 0},
    {"[RW < 2147483647]", nullptr, true, nullptr, 0},
    {"[RW < 2147483648]", nullptr, false, "syntax error", 16},
    {"[RW*2-1 = 5]", nullptr, true, nullptr, 0},
    // Emission test with a negated comparison.
    {"[RZ > 5.0E-11] & ![PZ < 0.0]", nullptr, true, nullptr, 0},
    {"[RZ > 5.0E-11] & ![PZ < 0.0]", InwardBelow, false, nullptr, 0},
    // ALT is 0 without lateral momentum, so a particle along the normal is not above 85 degrees.
    {"[ALTD > 85.0]", AlongNormal, false, nullptr, 0},
    {"[ALTD > 53.0] & [ALTD < 53.2]", nullptr, true, nullptr, 0},
    {"[ALT > 0.92] & [ALT < 0.93]", nullptr, true, nullptr, 0},
    {"[PHID > 89.99] & [PHID < 90.01]", LateralY, true, nullptr, 0},
    {"[PHI = 0.0]", nullptr, true, nullptr, 0},
    {"[PHID > 80.0] & [PHID < 100.0]", LateralY, true, nullptr, 0},
    {"[PHID > 80.0] & [PHID < 100.0]", nullptr, false, nullptr, 0},
    {"[RXY > 0.0]", nullptr, false, "syntax error", 4},
    // Math errors.
    {"[SQRT(RX) > 0.0]", NegativeX, false, "negative square root.", 9},
    {"[SQRT(RX) > 0.0]", nullptr, true, nullptr, 0},
    {"[RX/0.0 > 1.0]", nullptr, false, "divide by zero.", 9},
    {"[1/0 > 1.0]", nullptr, false, "divide by zero.", 4},
    {"[LN(RX) < 0.0]", NegativeX, false, "negative logarithm.", 7},
    {"[LOG(0.0) < 0.0]", nullptr, false, "negative logarithm.", 9},
    {"[RX^2.0 > 0.0]", NegativeX, false, "non-integral power of negative number", 7},
    {"[RX^(0-1) < 0.0]", MinusTwoX, false, "non-integral power of negative number", 9},
    {"[RX^3 = -8.0]", MinusTwoX, true, nullptr, 0},
    {"[RX^0 = 1.0]", MinusTwoX, true, nullptr, 0},
    {"[0.0^(0-2) = 0.0]", nullptr, true, nullptr, 0},
    {"[0.0^-2.0 = 0.0]", nullptr, true, nullptr, 0},
    {"[RX^0.0 = 1.0]", MinusTwoX, true, nullptr, 0},
    // Precedence and associativity.
    {"[2.0^3.0^2.0 > 63.999] & [2.0^3.0^2.0 < 64.001]", nullptr, true, nullptr, 0},
    {"[-2.0^2.0 > 0.0]", nullptr, false, "non-integral power of negative number", 9},
    {"[RX + 2 ^ 3.0 > 26.999] & [RX + 2 ^ 3.0 < 27.001]", UnitX, true, nullptr, 0},
    {"[2^3 > 1]", nullptr, false, "syntax error", 3},
    {"[2.0^3 > 7.999] & [2.0^3 < 8.001]", nullptr, true, nullptr, 0},
    {"[1.0 + 2.0 * 3.0 = 7.0]", nullptr, true, nullptr, 0},
    {"[10.0 - 4.0 - 3.0 = 3.0]", nullptr, true, nullptr, 0},
    {"[12 - 4 - 3 = 5]", nullptr, true, nullptr, 0},
    {"[8.0 / 2 / 2 = 2.0]", nullptr, true, nullptr, 0},
    {"[-RX = -1.0]", UnitX, true, nullptr, 0},
    {"[7/2 = 3.5]", nullptr, true, nullptr, 0},
    // Conditions: "!" tightest, "&" and "|" equal and left-associative.
    {"[RW = 0] & [RW = 1] | [RW = 1]", IndexOne, true, nullptr, 0},
    {"[RW = 1] | [RW = 0] & [RW = 0]", IndexOne, false, nullptr, 0},
    {"![RW = 1] | [RW = 1]", IndexOne, true, nullptr, 0},
    {"[[RW = 0] | [RW = 1]] & [RN = 5]", IndexOne, true, nullptr, 0},
    {"{projectile} [RW = 0] | [RN > 10] & [TI > 1.0E-13]", Projectile, true, nullptr, 0},
    {"{projectile} [RW = 0] | [RN > 10] & [TI > 1.0E-13]", EarlyProjectile, false, nullptr, 0},
    {"([RW = 1])", IndexOne, false, "syntax error", 1},
    // Relations, also written with a blank inside.
    {"[RW <= 3] & [RW >= 3] & [RW <> 4] & [RW < = 3] & [RW > = 3]", nullptr, true, nullptr, 0},
    {"[RW <> 3]", nullptr, false, nullptr, 0},
    // Functions.
    {"[ABS(RX) = 1.0] & [EXP(0.0) = 1.0] & [SQRT(4.0) = 2.0]", MinusUnitX, true, nullptr, 0},
    {"[ATAN(1.0)*4.0 > 3.14159] & [ATAN(1.0)*4.0 < 3.1416] & [PI > 3.14159]", nullptr, true,
     nullptr, 0},
    {"[SIN(0.0) = 0.0] & [COS(0.0) = 1.0] & [TAN(0.0) = 0.0] & [LN(1.0) = 0.0]", nullptr, true,
     nullptr, 0},
    {"[LOG(100.0) > 1.9999] & [LOG(100.0) < 2.0001]", nullptr, true, nullptr, 0},
    {"[EXP(1) > 0.0]", nullptr, false, "syntax error", 7},
    // Literals: both sides of the point need digits; exponents with or without a point.
    {"[RX > .5]", nullptr, false, "syntax error", 7},
    {"[RX > 5.]", nullptr, false, "syntax error", 8},
    {"[1E2 = 100.0] & [1.5E+2 = 150.0] & [2.5E-1 = 0.25]", nullptr, true, nullptr, 0},
    {"[1.0E5000 > 0.0]", nullptr, false, "syntax error", 9},
    {"[1.0E-5000 = 0.0]", nullptr, true, nullptr, 0},
    // Blanks, tabs, comments.
    {"", nullptr, false, nullptr, 0},
    {"   ", nullptr, false, nullptr, 0},
    {"{only a comment}", nullptr, false, nullptr, 0},
    {"{the projectile} [RW = 0] {only}", Projectile, true, nullptr, 0},
    {"{a {b} [RW = 0]", Projectile, true, nullptr, 0},
    {"[RW\t= 0]", Projectile, false, "syntax error", 4},
    {"[RW = 0] {unclosed", Projectile, false, "syntax error", 19},
    {"[RW = 0] {a \"quote\"}", Projectile, false, "syntax error", 13},
    {"[RW = 0] }", Projectile, false, "syntax error", 10},
    {"[TI > 1.0E-13", nullptr, false, "syntax error", 14},
    {"[TI > 1.0E-13]]", nullptr, false, "syntax error", 15},
    {"[RW = 0] [RW = 0]", Projectile, false, "syntax error", 10},
};

TEST_F(Selection, EveryCaseDecidesOrReportsAsExpected) {
    for (const Case& c : Cases) {
        SCOPED_TRACE(c.Text);
        SelectionVariables v = Particle();
        if (c.Adjust) c.Adjust(v);
        selection.Parsed.reset();
        const Evaluation e = Evaluate(c.Text, v);
        EXPECT_EQ(e.Outcome.Write, c.Write);
        if (c.Error) {
            EXPECT_TRUE(e.Outcome.ErrorReported);
            ASSERT_EQ(e.Windows.size(), 1u);
            EXPECT_EQ(ErrorOf(e.Windows[0]), c.Error);
            EXPECT_TRUE(e.Windows[0].ends_with(Near(c.Position))) << e.Windows[0];
        } else {
            EXPECT_FALSE(e.Outcome.ErrorReported);
            EXPECT_FALSE(e.Outcome.Aborted);
            EXPECT_TRUE(e.Windows.empty());
        }
    }
}

TEST_F(Selection, ReplayedFormGivesTheSameDecisionsAndWindows) {
    // A clean parse is kept; the second evaluation runs the kept form.
    for (const Case& c : Cases) {
        SCOPED_TRACE(c.Text);
        SelectionVariables v = Particle();
        if (c.Adjust) c.Adjust(v);
        selection.Parsed.reset();
        const Evaluation first = Evaluate(c.Text, v);
        const bool kept = selection.Parsed != nullptr;
        EXPECT_EQ(kept, c.Error == nullptr || std::string(c.Error) != "syntax error");
        const Evaluation second = Evaluate(c.Text, v);
        EXPECT_EQ(second.Outcome.Write, first.Outcome.Write);
        EXPECT_EQ(second.Outcome.ErrorReported, first.Outcome.ErrorReported);
        EXPECT_EQ(second.Outcome.Aborted, first.Outcome.Aborted);
        EXPECT_EQ(second.Windows, first.Windows);
    }
}

TEST_F(Selection, WindowShowsExpressionCaretAndPosition) {
    SelectionVariables negative = Particle();
    negative.X = -1e-10;
    const struct {
        const char* Text;
        SelectionVariables Particle;
        const char* Window;
    } cases[] = {
        {"[KE > 1]", Particle(), "Error type: syntax error\r[KE > 1]\r       ^\r(near char. #8)."},
        {"[SQRT(RX) > 0.0]", negative,
         "Error type: negative square root.\r[SQRT(RX) > 0.0]\r        ^\r(near char. #9)."},
    };
    for (const auto& c : cases) {
        const Evaluation e = Evaluate(c.Text, c.Particle);
        EXPECT_EQ(e.Windows, std::vector<std::string>{c.Window});
        EXPECT_FALSE(e.Outcome.Aborted);
    }
}

TEST_F(Selection, EveryErrorOfOneParticleOpensItsWindowInOrder) {
    SelectionVariables v = Particle();
    v.X = -1e-10;
    v.Y = -1e-10;
    Evaluation e = Evaluate("[SQRT(RX) > SQRT(RY)]", v);
    ASSERT_EQ(e.Windows.size(), 2u);
    EXPECT_TRUE(e.Windows[0].ends_with(Near(9)));
    EXPECT_TRUE(e.Windows[1].ends_with(Near(20)));
    EXPECT_FALSE(e.Outcome.Write);

    // A math error before a syntax error keeps its place.
    e = Evaluate("[1.0/0.0 > 1.0]]", Particle());
    ASSERT_EQ(e.Windows.size(), 2u);
    EXPECT_EQ(ErrorOf(e.Windows[0]), "divide by zero.");
    EXPECT_EQ(ErrorOf(e.Windows[1]), "syntax error");
    EXPECT_TRUE(e.Windows[1].ends_with(Near(16)));
}

// A syntax error is recovered from at the line end; an unclosed comment
// swallows the line end, a nesting deeper than the parser's stack or an
// overlong token leave nothing to recover with: the parse aborts.
TEST_F(Selection, ParseAbortsOnlyWhenItCannotRecover) {
    const std::string deep = std::string(1, '[').append(1100, '(');
    const std::string longComment = std::string(1, '{').append(300, 'A');
    const std::string longNumber = "[RW = " + std::string(256, '1') + "]";
    const struct {
        std::string Text;
        bool Aborted;
        const char* Error;
        int Position;
    } cases[] = {
        {"[RW = 0.0]", false, "syntax error", 9},
        {"[RW = 0] {no end", true, "syntax error", 17},
        // The stack holds 1024 entries: the start state, "[" and 1022
        // parentheses; the 1023rd has nowhere to go.
        {deep, true, "yyparse stack overflow", 1024},
        {longComment, true, "yytext overflow", 302},
        {longNumber, true, "yytext overflow", 262},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        const Evaluation e = Evaluate(c.Text, Particle());
        EXPECT_EQ(e.Outcome.Aborted, c.Aborted);
        EXPECT_TRUE(e.Outcome.ErrorReported);
        ASSERT_EQ(e.Windows.size(), 1u);
        EXPECT_EQ(ErrorOf(e.Windows[0]), c.Error);
        EXPECT_TRUE(e.Windows[0].ends_with(Near(c.Position))) << e.Windows[0];
        EXPECT_EQ(selection.Parsed, nullptr);
    }
}

TEST_F(Selection, ChangedTextIsParsedAfresh) {
    SelectionVariables v = Particle();
    EXPECT_TRUE(Evaluate("[RW = 3]", v).Outcome.Write);
    ASSERT_NE(selection.Parsed, nullptr);
    EXPECT_FALSE(Evaluate("[RW = 4]", v).Outcome.Write);
    EXPECT_EQ(selection.Parsed->Text, "[RW = 4]");
    EXPECT_EQ(Evaluate("[RW = 4.0]", v).Windows.size(), 1u);
    EXPECT_EQ(selection.Parsed, nullptr);
}

TEST_F(Selection, VariablesFollowTheirDefinitions) {
    SelectionVariables v;
    v.X = 1.0;
    v.Y = 2.0;
    v.Z = 3.0;
    v.PX = 4.0;
    v.PY = 5.0;
    v.PZ = 6.0;
    v.Mass = 2.0;
    v.Time = 7.0;
    v.Index = 8;
    v.RunNumber = 9;
    using SV = SelectionVariable;
    const struct {
        SV Variable;
        long double Value;
    } expected[] = {
        {SV::RX, 1}, {SV::RY, 2}, {SV::RZ, 3}, {SV::PX, 4}, {SV::PY, 5}, {SV::PZ, 6},
        {SV::VX, 2}, {SV::VY, 2.5}, {SV::VZ, 3}, {SV::MS, 2}, {SV::TI, 7},
        {SV::KE, (16.0L + 25 + 36) / 4},
        {SV::LX, 2 * 6 - 3 * 5}, {SV::LY, 3 * 4 - 1 * 6}, {SV::LZ, 1 * 5 - 2 * 4},
        {SV::RW, 8}, {SV::RN, 9}, {SV::EP, 1.60219e-19L},
    };
    for (const auto& e : expected) {
        SCOPED_TRACE(static_cast<int>(e.Variable));
        EXPECT_EQ(SelectionVariableValue(e.Variable, v), e.Value);
    }
    const long double alt = std::atan(6.0L / std::sqrt(41.0L));
    EXPECT_EQ(SelectionVariableValue(SV::ALT, v), alt);
    EXPECT_EQ(SelectionVariableValue(SV::ALTD, v), alt * 57.29577951L);
    EXPECT_NEAR(static_cast<double>(SelectionVariableValue(SV::PHI, v)), std::atan(5.0 / 4.0),
                1e-15);
    v.PX = 0;
    v.PY = -1;
    EXPECT_EQ(SelectionVariableValue(SV::PHI, v), 1.5L * static_cast<long double>(std::numbers::pi));
    EXPECT_EQ(SelectionVariableValue(SV::PHID, v), FullCircleAngle(0, -1) * 57.29577951L);
}

// Error window layout: the caret under character n, 55 blanks fewer beyond
// the 55th, and no caret line for expressions of 110 characters or more.
TEST(ExpressionErrorWindow, CaretLineFollowsPositionAndLength) {
    EXPECT_EQ(ExpressionErrorText("syntax error", "[RX]", 1),
              "Error type: syntax error\r[RX]\r^\r(near char. #1).");
    EXPECT_EQ(ExpressionErrorText("divide by zero.", "[RX/0.0 > 1.0]", 9),
              "Error type: divide by zero.\r[RX/0.0 > 1.0]\r        ^\r(near char. #9).");
    const struct {
        std::size_t Length;
        int N;
        int Blanks;  // -1: no caret line
    } cases[] = {{100, 56, 55}, {100, 57, 1}, {100, 101, 45}, {109, 110, 54}, {110, 111, -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.N);
        const std::string text(c.Length, 'A');
        std::string expected = "Error type: syntax error\r" + text;
        if (c.Blanks >= 0)
            expected += "\r" + std::string(static_cast<std::size_t>(c.Blanks), ' ') + "^";
        expected += "\r" + Near(c.N);
        EXPECT_EQ(ExpressionErrorText("syntax error", text, c.N), expected);
    }
}

// The run file hands the condition over: upper case, cut to 255 characters
// without splitting a character, replacing the earlier one.
TEST(SelectionText, StoredUpperCasedAndCut) {
    const struct {
        std::string Text;
        std::string Stored;
    } cases[] = {
        {"[ke > 10.0*ep] & [rz > 5.0e-11] | (altd<5)",
         "[KE > 10.0*EP] & [RZ > 5.0E-11] | (ALTD<5)"},
        {std::string(300, 'x'), std::string(255, 'X')},
        {std::string(254, 'a') + "\xC3\xB8" + "b", std::string(254, 'A') + "\xC3\xB8"},
        {"", ""},
    };
    CompiledSelection selection;
    for (const auto& c : cases) {
        CompileSelectionExpression(selection, c.Text);
        EXPECT_EQ(selection.Text, c.Stored);
    }
}

// Scanner: one token as the tests see it, with its value (variable or
// function id, integer, character; 0 for the others) and the characters
// consumed after it.
struct Scanned {
    SelectionTokenKind Kind;
    std::int64_t Value;
    std::int32_t Consumed;
    bool operator==(const Scanned&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const Scanned& t) {
        return out << static_cast<int>(t.Kind) << ":" << t.Value << "@" << t.Consumed;
    }
};

std::vector<Scanned> Scan(std::string_view text) {
    using K = SelectionTokenKind;
    SelectionScanner scanner(text);
    std::vector<Scanned> out;
    for (int guard = 0; guard < 100; ++guard) {
        const SelectionToken t = scanner.Next();
        const std::int64_t value = t.Kind == K::Integer     ? t.Integer
                                   : t.Kind == K::Character ? t.Character
                                   : t.Kind == K::RealVariable || t.Kind == K::IntegerVariable ||
                                           t.Kind == K::Function
                                       ? t.Id
                                       : 0;
        out.push_back({t.Kind, value, scanner.Consumed()});
        if (t.Kind == K::End) break;
    }
    return out;
}

// Keywords by longest match without word boundaries, numbers in their
// longest form, only the blank ignored, a line end after the text, comments
// that hide everything but the double quote and swallow an open line end.
TEST(SelectionScanner, TokensAndPositions) {
    using K = SelectionTokenKind;
    auto var = [](SelectionVariable v, std::int32_t at) {
        return Scanned{v == SelectionVariable::RW ? K::IntegerVariable : K::RealVariable,
                       static_cast<std::int64_t>(v), at};
    };
    using V = SelectionVariable;
    const struct {
        std::string Text;
        std::vector<Scanned> Tokens;
    } cases[] = {
        {"ALTD", {var(V::ALTD, 4), {K::LineEnd, 0, 5}, {K::End, 0, 5}}},
        {"RXY", {var(V::RX, 2), {K::Character, 'Y', 3}, {K::LineEnd, 0, 4}, {K::End, 0, 4}}},
        {"PHIDPHI", {var(V::PHID, 4), var(V::PHI, 7), {K::LineEnd, 0, 8}, {K::End, 0, 8}}},
        {"ATANALT",
         {{K::Function, static_cast<std::int64_t>(SelectionFunction::ATAN), 4}, var(V::ALT, 7),
          {K::LineEnd, 0, 8}, {K::End, 0, 8}}},
        // "12E" has no exponent digits: an integer and then E.
        {"12.5E-3 12E3 12E 7",
         {{K::Real, 0, 7}, {K::Real, 0, 12}, {K::Integer, 12, 15}, {K::Character, 'E', 16},
          {K::Integer, 7, 18}, {K::LineEnd, 0, 19}, {K::End, 0, 19}}},
        {"2147483647", {{K::Integer, 2147483647, 10}, {K::LineEnd, 0, 11}, {K::End, 0, 11}}},
        {"2147483648", {{K::Illegal, 0, 10}, {K::LineEnd, 0, 11}, {K::End, 0, 11}}},
        {"RW  ", {var(V::RW, 2), {K::LineEnd, 0, 5}, {K::End, 0, 5}}},
        {"{a \"b} 1",
         {{K::Character, '"', 4}, {K::Integer, 1, 8}, {K::LineEnd, 0, 9}, {K::End, 0, 9}}},
        {"1 {open", {{K::Integer, 1, 1}, {K::End, 0, 8}}},
    };
    for (const auto& c : cases) EXPECT_EQ(Scan(c.Text), c.Tokens) << c.Text;

    // Reals convert as decimal numbers; an integer beyond 32 bits is illegal.
    SelectionScanner reals("12.5E-3 12E3");
    EXPECT_EQ(reals.Next().Real, 12.5e-3L);
    EXPECT_EQ(reals.Next().Real, 12e3L);
    EXPECT_EQ(SelectionScanner("99999999999999999999").Next().Kind, K::Illegal);
}

}  // namespace
}  // namespace vantrel
