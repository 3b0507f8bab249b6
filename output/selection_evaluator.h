// User-programmed output selection: evaluates the stored selection
// expression (CompiledSelection::Text, already upper case) for one particle.
//
// The first evaluation of a text scans and parses it, evaluating every
// reduction as it is made; when that parse is free of syntax errors the
// sequence of reductions is kept (CompiledSelection::Parsed) and later
// particles replay it without scanning again.  Errors appear at the same
// moments either way: syntax and scanner errors at the first evaluation, each
// math error at the particle and the operation that trigger it, with the same
// position.
//
// Every error is handed, as the message of ExpressionErrorText, to an
// ExpressionErrorSink at the moment it happens; the job shows it in the
// "Error parsing expression" window.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vantrel {

// The ten particle values the expression can read.
struct SelectionVariables {
    double X = 0, Y = 0, Z = 0;     // m
    double PX = 0, PY = 0, PZ = 0;  // kg m/s
    double Mass = 0;                // kg
    double Time = 0;                // s
    std::int32_t Index = 0;         // 0 the projectile
    std::int32_t RunNumber = 0;
};

struct SelectionOutcome {
    bool Aborted = false;        // the parse gave up (stack overflow, no recovery possible)
    bool ErrorReported = false;  // a syntax, scanner or math error was shown
    bool Write = false;          // the condition's value; false when there is none
};

// Where the errors of an evaluation go, one message per error, in order.
class ExpressionErrorSink {
public:
    virtual ~ExpressionErrorSink() = default;
    virtual void ExpressionError(std::string_view message) = 0;
};

// The parsed form kept between particles (selection_program.h).
struct SelectionCache;

// The job's selection condition: the text as handed over by the run file
// (CompileSelectionExpression) and its parsed form, rebuilt whenever the
// text differs from the one it was parsed from.
struct CompiledSelection {
    std::string Text;
    std::shared_ptr<SelectionCache> Parsed;
};

SelectionOutcome EvaluateSelection(CompiledSelection& selection, const SelectionVariables& v,
                                   ExpressionErrorSink& errors);

// Error texts.
inline constexpr std::string_view SyntaxErrorText = "syntax error";
inline constexpr std::string_view DivideByZeroText = "divide by zero.";
inline constexpr std::string_view NegativePowerText = "non-integral power of negative number";
inline constexpr std::string_view NegativeLogarithmText = "negative logarithm.";
inline constexpr std::string_view TangentText = "tangent undefined (cosine = zero).";
inline constexpr std::string_view NegativeRootText = "negative square root.";
inline constexpr std::string_view StackOverflowText = "yyparse stack overflow";
inline constexpr std::string_view TokenTooLongText = "yytext overflow";

// The message of the error window: "Error type: " and the error text, the
// expression, a caret line under character n (only for expressions shorter
// than 110 characters; 55 blanks fewer when more than 55 would precede it)
// and "(near char. #n).", separated by carriage returns.
std::string ExpressionErrorText(std::string_view errorText, std::string_view expression,
                                std::int32_t n);

}  // namespace vantrel
