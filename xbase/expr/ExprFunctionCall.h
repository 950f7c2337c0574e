// A function call: the function object and the argument sub-expressions, evaluated on
// demand by the function.
#pragma once

#include <memory>
#include <vector>

#include "xbase/expr/ExprFunction.h"
#include "xbase/expr/ExprNode.h"

namespace xbase {

class ExprFunctionCall final : public ExprNode {
public:
    // `function` must outlive the node (registries live as long as the program or the link).
    ExprFunctionCall(const ExprFunction& function, std::vector<ExprNodePtr> args,
                     ExprContext& context);
    void Evaluate(ExprValue& out) override { function_->Evaluate(args_, out); }
    // NAME(arg, arg, ...)
    void AppendText(std::string& out) const override;
    ExprType StaticType() const override;
    // Keeps a function made for this call alone (a user function of the table's hook).
    void Own(std::unique_ptr<ExprFunction> function) { owned_ = std::move(function); }

private:
    std::unique_ptr<ExprFunction> owned_;
    const ExprFunction* function_;
    ExprArgs args_;
};

}  // namespace xbase
