// The reductions of a parsed selection expression as a little stack program,
// and the machine that executes it.  The parser emits one operation per
// reduction, in reduction order; executing them in that order computes
// exactly what evaluating each reduction on the spot would.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "output/selection_evaluator.h"
#include "output/selection_scanner.h"

namespace vantrel {

enum class SelectionOpCode : std::uint8_t {
    PushReal,         // Real
    PushInteger,      // Argument
    Load,             // Argument: SelectionVariable
    Add,              // real + real; integer operands are read as reals
    Subtract,
    Multiply,
    Divide,           // also integer / integer, which gives a real
    IntegerAdd,       // 32-bit, wrapping
    IntegerSubtract,
    IntegerMultiply,
    Negate,
    IntegerNegate,
    PowerInteger,     // real ^ integer
    PowerReal,        // real ^ real
    Function,         // Argument: SelectionFunction
    CompareReal,      // Argument: SelectionRelation
    CompareInteger,
    Not,
    And,
    Or,
    Decide,           // the condition's value becomes the write decision
};

enum class SelectionRelation : std::int32_t { Greater, Less, LessEqual, GreaterEqual, Equal, NotEqual };

struct SelectionOp {
    SelectionOpCode Code = SelectionOpCode::Decide;
    std::int32_t Argument = 0;
    std::int32_t Position = 0;  // characters consumed when the reduction was made
    long double Real = 0;
};

// One value of the evaluation stack.  An integer also carries its value as a
// real, so mixed operations read every operand the same way; a truth value
// is 0 or 1 in Integer.
struct SelectionSlot {
    long double Real = 0;
    std::int32_t Integer = 0;
};

struct SelectionMachine {
    std::vector<SelectionSlot> Stack;
    bool Decision = false;
    bool Error = false;

    void Reset() {
        Stack.clear();
        Decision = false;
        Error = false;
    }
};

// Where errors go, with the expression text their message shows.
struct SelectionErrorReport {
    ExpressionErrorSink& Sink;
    std::string_view Expression;
};

void ExecuteOp(const SelectionOp& op, const SelectionVariables& v, SelectionMachine& machine,
               const SelectionErrorReport& report);

// The value of a variable or constant for one particle.
long double SelectionVariableValue(SelectionVariable variable, const SelectionVariables& v);

// The parsed form kept between particles.
struct SelectionCache {
    std::string Text;
    std::vector<SelectionOp> Ops;
    SelectionMachine Machine;
};

}  // namespace vantrel
