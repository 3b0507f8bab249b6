// What the generated selection parser works with: the scanner, the particle
// values, the machine that executes each reduction, and the error reporting.
#pragma once

#include <string_view>
#include <vector>

#include "output/selection_program.h"
#include "output/selection_scanner.h"

namespace vantrel {

struct SelectionParse {
    SelectionParse(ExpressionErrorSink& errors, std::string_view text,
                   const SelectionVariables& v, SelectionMachine& machine)
        : Scanner(text), Variables(v), Machine(machine), Report{errors, text} {}

    SelectionScanner Scanner;
    const SelectionVariables& Variables;
    SelectionMachine& Machine;
    SelectionErrorReport Report;
    std::vector<SelectionOp> Ops;       // every reduction, in order
    std::vector<long double> Reals;     // values of the real literals read so far
    bool SyntaxError = false;           // a syntax or scanner error was shown
    bool ScannerStopped = false;        // a scanner limit was hit: only the end follows

    // Records the reduction and executes it at once.
    void Emit(SelectionOpCode code, std::int32_t argument = 0, long double real = 0);
    // Shows an error at the scanner's current position.
    void ReportError(std::string_view text);
};

}  // namespace vantrel

// The generated parser: 0 accepted (perhaps after recovering from a syntax
// error), 1 aborted, 2 stack exhausted.
int selection_parse(vantrel::SelectionParse& parse);
