// Operator nodes: the binary operators and the unary .NOT.
#pragma once

#include <string>
#include <string_view>

#include "xbase/expr/ExprContext.h"
#include "xbase/expr/ExprNode.h"

namespace xbase {

enum class ExprOp : std::uint8_t {
    Power,         // ** ^
    Multiply,      // *
    Divide,        // /
    And,           // .AND.
    Add,           // +   (numbers; concatenation of texts)
    Subtract,      // -   (numbers; trim-concatenation of texts)
    Or,            // .OR.
    Equal,         // = EQ
    NotEqual,      // <> != # NE
    Greater,       // > GT
    Less,          // < LT
    GreaterEqual,  // >= => GE
    LessEqual,     // <= =< LE
    Contains,      // $ (left occurs in right)
    ExactEqual,    // ==
    Not,           // ! .NOT. (unary)
};

// Binding level: a lower level binds tighter. Power 2; multiply, divide and .AND. 3; add,
// subtract and .OR. 4; comparisons, $ and == 5; .NOT. 6.
int OperatorLevel(ExprOp op);
// The operator as the text form writes it.
std::string_view OperatorText(ExprOp op);
bool IsComparison(ExprOp op);

class ExprOperator final : public ExprNode {
public:
    // `left` is null for .NOT.; a missing operand is reported when the node is evaluated.
    ExprOperator(ExprOp op, ExprNodePtr left, ExprNodePtr right, const ExprContext& context);
    void Evaluate(ExprValue& out) override;
    void AppendText(std::string& out) const override;
    ExprType StaticType() const override;
    ExprOp Op() const { return op_; }

private:
    void EvaluateLogical(const ExprValue& l, const ExprValue& r, ExprValue& out) const;
    void EvaluateNumeric(const ExprValue& l, const ExprValue& r, ExprValue& out) const;
    void EvaluateText(const ExprValue& l, const ExprValue& r, ExprValue& out);

    ExprOp op_;
    ExprNodePtr left_;
    ExprNodePtr right_;
    const ExprContext* context_;
    ExprValue leftValue_;
    ExprValue rightValue_;
    std::string buffer_;  // texts made by + and -
    std::string scratchLeft_;
    std::string scratchRight_;
};

}  // namespace xbase
