/* Grammar of the selection expression language.
 *
 * R is a real expression, I an integer expression, C a condition.  There is
 * no conversion from I to R on its own: an integer becomes real only as an
 * operand of a mixed "+", "-", "*", "/" or as I / I.  Hence [KE > 1] and
 * [RW = 0.0] are syntax errors, "^" needs a real base (2^3 is an error,
 * 2.0^3 is not), and X + 2 ^ 3.0 reduces X + 2 before "^": (X + 2) ^ 3.0.
 *
 * Every reduction emits one operation (selection_program.h), executed at
 * once, so evaluation order is reduction order.  A syntax error skips to the
 * line end. */

%code top {
/* The parser stack holds at most 1024 entries.  Bison gives up when the
 * entry it has just pushed fills the last slot, so one slot more. */
#define YYMAXDEPTH 1025
}

%code requires {
namespace vantrel { struct SelectionParse; }
}

%code {
#include "output/selection_parse.h"

using vantrel::SelectionOpCode;
using vantrel::SelectionRelation;

int selection_lex(SELECTION_STYPE* value, vantrel::SelectionParse& parse);
void selection_error(vantrel::SelectionParse& parse, const char* message);

#define EMIT(...) parse.Emit(__VA_ARGS__)
#define RELATION(r) static_cast<int>(SelectionRelation::r)
}

%define api.prefix {selection_}
%define api.pure full
%define api.value.type {int}
%parse-param {vantrel::SelectionParse& parse}
%lex-param {vantrel::SelectionParse& parse}

%token LINE_END INTEGER REAL REAL_NAME INTEGER_NAME FUNCTION ILLEGAL

%left '&' '|'
%precedence '!'
%left '+' '-'
%left '*' '/'
%left '^'
%precedence UMINUS

%%

input
    : LINE_END
    | cond LINE_END                  { EMIT(SelectionOpCode::Decide); }
    | error LINE_END                 { yyerrok; }
    ;

cond
    : '[' real relation real ']'     { EMIT(SelectionOpCode::CompareReal, $3); }
    | '[' int relation int ']'       { EMIT(SelectionOpCode::CompareInteger, $3); }
    | '!' cond                       { EMIT(SelectionOpCode::Not); }
    | cond '&' cond                  { EMIT(SelectionOpCode::And); }
    | cond '|' cond                  { EMIT(SelectionOpCode::Or); }
    | '[' cond ']'
    ;

relation
    : '>'                            { $$ = RELATION(Greater); }
    | '<'                            { $$ = RELATION(Less); }
    | '<' '='                        { $$ = RELATION(LessEqual); }
    | '>' '='                        { $$ = RELATION(GreaterEqual); }
    | '='                            { $$ = RELATION(Equal); }
    | '<' '>'                        { $$ = RELATION(NotEqual); }
    ;

real
    : real '+' real                  { EMIT(SelectionOpCode::Add); }
    | real '-' real                  { EMIT(SelectionOpCode::Subtract); }
    | real '*' real                  { EMIT(SelectionOpCode::Multiply); }
    | real '/' real                  { EMIT(SelectionOpCode::Divide); }
    | int '+' real                   { EMIT(SelectionOpCode::Add); }
    | int '-' real                   { EMIT(SelectionOpCode::Subtract); }
    | int '*' real                   { EMIT(SelectionOpCode::Multiply); }
    | int '/' real                   { EMIT(SelectionOpCode::Divide); }
    | real '+' int                   { EMIT(SelectionOpCode::Add); }
    | real '-' int                   { EMIT(SelectionOpCode::Subtract); }
    | real '*' int                   { EMIT(SelectionOpCode::Multiply); }
    | real '/' int                   { EMIT(SelectionOpCode::Divide); }
    | int '/' int                    { EMIT(SelectionOpCode::Divide); }
    | real '^' int                   { EMIT(SelectionOpCode::PowerInteger); }
    | real '^' real                  { EMIT(SelectionOpCode::PowerReal); }
    | '(' real ')'
    | FUNCTION '(' real ')'          { EMIT(SelectionOpCode::Function, $1); }
    | '-' real %prec UMINUS          { EMIT(SelectionOpCode::Negate); }
    | REAL                           { EMIT(SelectionOpCode::PushReal, 0, parse.Reals[$1]); }
    | REAL_NAME                      { EMIT(SelectionOpCode::Load, $1); }
    ;

int
    : int '+' int                    { EMIT(SelectionOpCode::IntegerAdd); }
    | int '-' int                    { EMIT(SelectionOpCode::IntegerSubtract); }
    | int '*' int                    { EMIT(SelectionOpCode::IntegerMultiply); }
    | '(' int ')'
    | '-' int %prec UMINUS           { EMIT(SelectionOpCode::IntegerNegate); }
    | INTEGER                        { EMIT(SelectionOpCode::PushInteger, $1); }
    | INTEGER_NAME                   { EMIT(SelectionOpCode::Load, $1); }
    ;

%%

int selection_lex(SELECTION_STYPE* value, vantrel::SelectionParse& parse) {
    using vantrel::SelectionTokenKind;
    *value = 0;
    if (parse.ScannerStopped) return SELECTION_EOF;
    const vantrel::SelectionToken t = parse.Scanner.Next();
    switch (t.Kind) {
        case SelectionTokenKind::End: return SELECTION_EOF;
        case SelectionTokenKind::LineEnd: return LINE_END;
        case SelectionTokenKind::Integer: *value = t.Integer; return INTEGER;
        case SelectionTokenKind::Real:
            *value = static_cast<int>(parse.Reals.size());
            parse.Reals.push_back(t.Real);
            return REAL;
        case SelectionTokenKind::RealVariable: *value = t.Id; return REAL_NAME;
        case SelectionTokenKind::IntegerVariable: *value = t.Id; return INTEGER_NAME;
        case SelectionTokenKind::Function: *value = t.Id; return FUNCTION;
        case SelectionTokenKind::Character:
            // Character 0 would read as the end of input.
            return t.Character == 0 ? ILLEGAL : static_cast<int>(t.Character);
        case SelectionTokenKind::TooLong:
            // The scanner cannot go on: report it, and let the parser fail on
            // this token and then meet the end of input.
            parse.ReportError(vantrel::TokenTooLongText);
            parse.ScannerStopped = true;
            return ILLEGAL;
        case SelectionTokenKind::Illegal: return ILLEGAL;
    }
    return ILLEGAL;
}

void selection_error(vantrel::SelectionParse& parse, const char* message) {
    // Bison's only other message is its stack limit.
    const std::string_view text(message);
    if (text == "memory exhausted") {
        parse.ReportError(vantrel::StackOverflowText);
        return;
    }
    if (parse.ScannerStopped) return;  // the scanner has reported already
    parse.ReportError(vantrel::SyntaxErrorText);
}
