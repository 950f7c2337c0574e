// A field variable of the bound table.
#pragma once

#include "xbase/expr/ExprNode.h"
#include "xbase/expr/FieldVarRegistry.h"

namespace xbase {

class ExprFieldVar final : public ExprNode {
public:
    explicit ExprFieldVar(const TableFieldVar& var) : var_(&var) {}
    void Evaluate(ExprValue& out) override { var_->Evaluate(out, scratch_); }
    void AppendText(std::string& out) const override { out += var_->Field().name; }
    ExprType StaticType() const override { return var_->Type(); }
    const TableFieldVar& Var() const { return *var_; }

private:
    const TableFieldVar* var_;
    std::string scratch_;
};

}  // namespace xbase
