#include "xbase/expr/ExprError.h"

#include <string>

namespace xbase::exprerr {

void Raise(std::string_view message) { throw XBaseExpressionError(std::string(message)); }

void Syntax(std::string_view expression) {
    Raise("Syntax Error in expression \"" + std::string(expression) + "\"");
}
void CannotEvaluate() { Raise("Expression cannot be evaluated"); }
void MissingParenthesis() { Raise("Missing closing parentheses"); }
void MissingPeriod() { Raise("Missing closing period"); }
void ExpectingLogical() { Raise("Expecting \".T.\" or \".F.\""); }
void MissingQuote(char opening) {
    Raise(std::string("Missing closing \"") + opening + "\" on literal");
}
void NoFunction(std::string_view name) { Raise("There is no function for " + std::string(name)); }
void UnknownVariable(std::string_view name) {
    Raise("Field/variable " + std::string(name) + " is unknown");
}
void TargetMissing(std::string_view op) {
    Raise("Target value missing for " + std::string(op) + " operation");
}
void SidesDiffer() { Raise("The two sides of an operation do not match"); }
void ValueInvalid(std::string_view what) {
    Raise("A " + std::string(what) + " value is required but invalid");
}
void ArgumentNeeded(std::string_view what, int n, std::string_view function) {
    Raise(std::string(what) + " needed for Argument " + std::to_string(n) + " of " +
          std::string(function));
}
void TooLong() { Raise("Expression is too long"); }
void TooDeep() { Raise("Expression is nested too deeply"); }

}  // namespace xbase::exprerr
