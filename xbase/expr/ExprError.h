// The expression engine's error messages, raised as XBaseExpressionError.
//
// Every failure of compiling or evaluating an expression goes through one of these, so
// the texts exist once.
#pragma once

#include <string_view>

#include "xbase/file/EngineError.h"

namespace xbase::exprerr {

[[noreturn]] void Raise(std::string_view message);

// "Syntax Error in expression "<text>""
[[noreturn]] void Syntax(std::string_view expression);
// "Expression cannot be evaluated"
[[noreturn]] void CannotEvaluate();
// "Missing closing parentheses"
[[noreturn]] void MissingParenthesis();
// "Missing closing period"
[[noreturn]] void MissingPeriod();
// "Expecting ".T." or ".F.""
[[noreturn]] void ExpectingLogical();
// "Missing closing "<c>" on literal" (the opening character)
[[noreturn]] void MissingQuote(char opening);
// "There is no function for <name>"
[[noreturn]] void NoFunction(std::string_view name);
// "Field/variable <name> is unknown"
[[noreturn]] void UnknownVariable(std::string_view name);
// "Target value missing for <operator> operation"
[[noreturn]] void TargetMissing(std::string_view op);
// "The two sides of an operation do not match"
[[noreturn]] void SidesDiffer();
// "A <what> value is required but invalid" ("number", "assigned", "Byte", "Char")
[[noreturn]] void ValueInvalid(std::string_view what);
// "<what> needed for Argument <n> of <function>" (n from 1)
[[noreturn]] void ArgumentNeeded(std::string_view what, int n, std::string_view function);
// Guards against expressions that would exhaust the stack or memory.
[[noreturn]] void TooLong();
[[noreturn]] void TooDeep();

}  // namespace xbase::exprerr
