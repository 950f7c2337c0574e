// Compiling expression text into a tree of nodes: the tokenizer (operand and operator
// positions, literals, names, word operators) and the tree builder (binding levels).
#pragma once

#include <string_view>

#include "xbase/expr/ExprContext.h"
#include "xbase/expr/ExprNode.h"

namespace xbase {

// Limits that keep compiling and evaluating within the stack and memory: expression
// texts longer than kMaxExprLength bytes are refused, and so are trees deeper than
// kMaxExprDepth levels (parentheses, calls and chains of operators all count).
constexpr std::size_t kMaxExprLength = 65536;
constexpr int kMaxExprDepth = 400;

// Compiles `text` (trimmed by the caller or not) into one node bound to `context`, which
// must outlive the tree. An empty text gives nullptr. Raises XBaseExpressionError with the
// engine's message on every error; nothing built so far is kept.
ExprNodePtr CompileExpression(std::string_view text, ExprContext& context);

}  // namespace xbase
