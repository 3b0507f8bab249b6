#include "output/selection_evaluator.h"

#include <cmath>
#include <limits>
#include <memory>
#include <numbers>

#include "core/geometry.h"
#include "core/units.h"
#include "core/number_text.h"
#include "output/selection_parse.h"
#include "output/selection_program.h"

namespace vantrel {

namespace {

// Expressions this long get no caret line in the error window.
constexpr std::size_t CaretLineLimit = 110;
// The caret line is shifted this far left once it would need more blanks.
constexpr std::int32_t CaretShift = 55;

constexpr long double Log10OfE = 0.4342944819L;
// Longest power of a negative base computed as a product of factors.
constexpr std::int32_t LongestFactorProduct = 1024;

constexpr long double Undefined = std::numeric_limits<long double>::quiet_NaN();

void SendError(const SelectionErrorReport& report, std::string_view text, std::int32_t position) {
    report.Sink.ExpressionError(ExpressionErrorText(text, report.Expression, position));
}

// Two's-complement 32-bit arithmetic without undefined behaviour.
std::int32_t Wrap(std::int64_t value) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(value)));
}

long double PowerOfInteger(long double base, std::int32_t n, bool& negativeBase) {
    if (base == 0) return 0;
    if (n == 0) return 1;
    if (base > 0) return std::exp(static_cast<long double>(n) * std::log(base));
    if (base < 0) {
        if (n < 0) {
            negativeBase = true;
            return Undefined;
        }
        if (n > LongestFactorProduct) return std::pow(base, static_cast<long double>(n));
        long double product = base;
        for (std::int32_t k = 1; k < n; ++k) product *= base;
        return product;
    }
    return Undefined;  // an undefined base stays undefined
}

long double PowerOfReal(long double base, long double e, bool& negativeBase) {
    if (base == 0) return 0;
    if (e == 0) return 1;
    if (base > 0) return std::exp(e * std::log(base));
    if (base < 0) negativeBase = true;
    return Undefined;
}

// Applies a function; returns the error text when its argument is invalid.
long double ApplyFunction(SelectionFunction f, long double x, std::string_view& error) {
    switch (f) {
        case SelectionFunction::EXP: return std::exp(x);
        case SelectionFunction::LN:
        case SelectionFunction::LOG:
            if (x <= 0) {
                error = NegativeLogarithmText;
                return Undefined;
            }
            return f == SelectionFunction::LN ? std::log(x) : std::log(x) * Log10OfE;
        case SelectionFunction::SIN: return std::sin(x);
        case SelectionFunction::COS: return std::cos(x);
        case SelectionFunction::TAN: {
            const long double c = std::cos(x);
            if (c == 0) {
                error = TangentText;
                return Undefined;
            }
            return std::sin(x) / c;
        }
        case SelectionFunction::ATAN: return std::atan(x);
        case SelectionFunction::SQRT:
            if (x < 0) {
                error = NegativeRootText;
                return Undefined;
            }
            return std::sqrt(x);
        case SelectionFunction::ABS: return std::fabs(x);
    }
    return Undefined;
}

bool Compare(SelectionRelation r, long double a, long double b) {
    switch (r) {
        case SelectionRelation::Greater: return a > b;
        case SelectionRelation::Less: return a < b;
        case SelectionRelation::LessEqual: return a <= b;
        case SelectionRelation::GreaterEqual: return a >= b;
        case SelectionRelation::Equal: return a == b;
        case SelectionRelation::NotEqual: return a != b;
    }
    return false;
}

bool CompareIntegers(SelectionRelation r, std::int32_t a, std::int32_t b) {
    switch (r) {
        case SelectionRelation::Greater: return a > b;
        case SelectionRelation::Less: return a < b;
        case SelectionRelation::LessEqual: return a <= b;
        case SelectionRelation::GreaterEqual: return a >= b;
        case SelectionRelation::Equal: return a == b;
        case SelectionRelation::NotEqual: return a != b;
    }
    return false;
}

SelectionSlot RealSlot(long double x) { return SelectionSlot{x, 0}; }
SelectionSlot IntegerSlot(std::int32_t n) { return SelectionSlot{static_cast<long double>(n), n}; }
SelectionSlot TruthSlot(bool b) { return SelectionSlot{b ? 1.0L : 0.0L, b ? 1 : 0}; }

// Number of stack values each operation takes.
int Operands(SelectionOpCode code) {
    switch (code) {
        case SelectionOpCode::PushReal:
        case SelectionOpCode::PushInteger:
        case SelectionOpCode::Load: return 0;
        case SelectionOpCode::Negate:
        case SelectionOpCode::IntegerNegate:
        case SelectionOpCode::Function:
        case SelectionOpCode::Not:
        case SelectionOpCode::Decide: return 1;
        default: return 2;
    }
}

}  // namespace

std::string ExpressionErrorText(std::string_view errorText, std::string_view expression,
                                std::int32_t n) {
    std::string text = "Error type: ";
    text += errorText;
    text += '\r';
    text += expression;
    if (expression.size() < CaretLineLimit) {
        std::int32_t blanks = n - 1;
        if (blanks > CaretShift) blanks -= CaretShift;
        if (blanks < 0) blanks = 0;
        text += '\r';
        text.append(static_cast<std::size_t>(blanks), ' ');
        text += '^';
    }
    text += "\r(near char. #";
    text += IntegerText(n);
    text += ").";
    return text;
}

long double SelectionVariableValue(SelectionVariable variable, const SelectionVariables& v) {
    const long double rx = v.X, ry = v.Y, rz = v.Z;
    const long double px = v.PX, py = v.PY, pz = v.PZ;
    const long double ms = v.Mass;
    switch (variable) {
        case SelectionVariable::RX: return rx;
        case SelectionVariable::RY: return ry;
        case SelectionVariable::RZ: return rz;
        case SelectionVariable::PX: return px;
        case SelectionVariable::PY: return py;
        case SelectionVariable::PZ: return pz;
        // Masses of real particles are never 0; no test, as for every division by MS.
        case SelectionVariable::VX: return px / ms;
        case SelectionVariable::VY: return py / ms;
        case SelectionVariable::VZ: return pz / ms;
        case SelectionVariable::MS: return ms;
        case SelectionVariable::TI: return v.Time;
        case SelectionVariable::KE: return (px * px + py * py + pz * pz) / (2 * ms);
        case SelectionVariable::LX: return ry * pz - rz * py;
        case SelectionVariable::LY: return rz * px - rx * pz;
        case SelectionVariable::LZ: return rx * py - ry * px;
        case SelectionVariable::ALT:
        case SelectionVariable::ALTD: {
            // Elevation of the momentum above the surface plane; 0 without
            // lateral momentum, so a particle along the normal has ALT 0.
            const long double lateral = std::sqrt(px * px + py * py);
            const long double alt = lateral == 0 ? 0 : std::atan(pz / lateral);
            return variable == SelectionVariable::ALT ? alt : alt * DegreesPerRadianExpression;
        }
        case SelectionVariable::PHI: return FullCircleAngle(v.PX, v.PY);
        case SelectionVariable::PHID: return FullCircleAngle(v.PX, v.PY) * DegreesPerRadianExpression;
        case SelectionVariable::PI: return std::numbers::pi_v<long double>;
        case SelectionVariable::EP: return JoulesPerEvExpression;
        case SelectionVariable::RW: return v.Index;
        case SelectionVariable::RN: return v.RunNumber;
    }
    return Undefined;
}

void ExecuteOp(const SelectionOp& op, const SelectionVariables& v, SelectionMachine& m,
               const SelectionErrorReport& report) {
    std::vector<SelectionSlot>& stack = m.Stack;
    const int operands = Operands(op.Code);
    if (stack.size() < static_cast<std::size_t>(operands)) return;  // cannot happen for a parsed text
    auto mathError = [&](std::string_view text) {
        SendError(report, text, op.Position);
        m.Error = true;
    };
    switch (op.Code) {
        case SelectionOpCode::PushReal: stack.push_back(RealSlot(op.Real)); return;
        case SelectionOpCode::PushInteger: stack.push_back(IntegerSlot(op.Argument)); return;
        case SelectionOpCode::Load: {
            const auto variable = static_cast<SelectionVariable>(op.Argument);
            if (variable == SelectionVariable::RW) stack.push_back(IntegerSlot(v.Index));
            else if (variable == SelectionVariable::RN) stack.push_back(IntegerSlot(v.RunNumber));
            else stack.push_back(RealSlot(SelectionVariableValue(variable, v)));
            return;
        }
        case SelectionOpCode::Negate: stack.back() = RealSlot(-stack.back().Real); return;
        case SelectionOpCode::IntegerNegate:
            stack.back() = IntegerSlot(Wrap(-static_cast<std::int64_t>(stack.back().Integer)));
            return;
        case SelectionOpCode::Not: stack.back() = TruthSlot(stack.back().Integer == 0); return;
        case SelectionOpCode::Function: {
            std::string_view error;
            const long double y =
                ApplyFunction(static_cast<SelectionFunction>(op.Argument), stack.back().Real, error);
            if (!error.empty()) mathError(error);
            stack.back() = RealSlot(y);
            return;
        }
        case SelectionOpCode::Decide:
            m.Decision = stack.back().Integer != 0;
            stack.pop_back();
            return;
        default: break;
    }

    const SelectionSlot b = stack.back();
    stack.pop_back();
    SelectionSlot& a = stack.back();
    switch (op.Code) {
        case SelectionOpCode::Add: a = RealSlot(a.Real + b.Real); return;
        case SelectionOpCode::Subtract: a = RealSlot(a.Real - b.Real); return;
        case SelectionOpCode::Multiply: a = RealSlot(a.Real * b.Real); return;
        case SelectionOpCode::Divide:
            if (b.Real == 0) {
                mathError(DivideByZeroText);
                a = RealSlot(Undefined);
            } else {
                a = RealSlot(a.Real / b.Real);
            }
            return;
        case SelectionOpCode::IntegerAdd:
            a = IntegerSlot(Wrap(static_cast<std::int64_t>(a.Integer) + b.Integer));
            return;
        case SelectionOpCode::IntegerSubtract:
            a = IntegerSlot(Wrap(static_cast<std::int64_t>(a.Integer) - b.Integer));
            return;
        case SelectionOpCode::IntegerMultiply:
            a = IntegerSlot(Wrap(static_cast<std::int64_t>(a.Integer) * b.Integer));
            return;
        case SelectionOpCode::PowerInteger:
        case SelectionOpCode::PowerReal: {
            bool negativeBase = false;
            const long double y = op.Code == SelectionOpCode::PowerInteger
                                      ? PowerOfInteger(a.Real, b.Integer, negativeBase)
                                      : PowerOfReal(a.Real, b.Real, negativeBase);
            if (negativeBase) mathError(NegativePowerText);
            a = RealSlot(y);
            return;
        }
        case SelectionOpCode::CompareReal:
            a = TruthSlot(Compare(static_cast<SelectionRelation>(op.Argument), a.Real, b.Real));
            return;
        case SelectionOpCode::CompareInteger:
            a = TruthSlot(
                CompareIntegers(static_cast<SelectionRelation>(op.Argument), a.Integer, b.Integer));
            return;
        case SelectionOpCode::And: a = TruthSlot(a.Integer != 0 && b.Integer != 0); return;
        case SelectionOpCode::Or: a = TruthSlot(a.Integer != 0 || b.Integer != 0); return;
        default: return;
    }
}

void SelectionParse::Emit(SelectionOpCode code, std::int32_t argument, long double real) {
    SelectionOp op;
    op.Code = code;
    op.Argument = argument;
    op.Position = Scanner.Consumed();
    op.Real = real;
    Ops.push_back(op);
    ExecuteOp(op, Variables, Machine, Report);
}

void SelectionParse::ReportError(std::string_view text) {
    SendError(Report, text, Scanner.Consumed());
    SyntaxError = true;
    Machine.Error = true;
}

SelectionOutcome EvaluateSelection(CompiledSelection& selection, const SelectionVariables& v,
                                   ExpressionErrorSink& errors) {
    SelectionOutcome outcome;
    std::shared_ptr<SelectionCache>& cache = selection.Parsed;
    if (cache && cache->Text == selection.Text) {
        SelectionMachine& m = cache->Machine;
        m.Reset();
        const SelectionErrorReport report{errors, cache->Text};
        for (const SelectionOp& op : cache->Ops) ExecuteOp(op, v, m, report);
        outcome.ErrorReported = m.Error;
        outcome.Write = m.Decision;
        return outcome;
    }

    // First evaluation of this text: scan, parse and evaluate together.
    cache.reset();
    auto fresh = std::make_shared<SelectionCache>();
    fresh->Text = selection.Text;
    SelectionParse parse(errors, fresh->Text, v, fresh->Machine);
    const int result = selection_parse(parse);
    outcome.Aborted = result != 0;
    outcome.ErrorReported = fresh->Machine.Error;
    outcome.Write = !parse.SyntaxError && !outcome.Aborted && fresh->Machine.Decision;
    if (result == 0 && !parse.SyntaxError) {
        fresh->Ops = std::move(parse.Ops);
        cache = std::move(fresh);
    }
    return outcome;
}

}  // namespace vantrel
