#include "xbase/expr/ExprFunctionCall.h"

#include <algorithm>

#include "xbase/expr/ExprError.h"

namespace xbase {

ExprArgs::ExprArgs(const ExprFunction& function, std::vector<ExprNodePtr> args,
                   ExprContext& context)
    : function_(function), args_(std::move(args)), values_(args_.size()), context_(context) {
    for (std::string& b : buffers_) b.reserve(64);
}

const ExprValue& ExprArgs::Get(int i) {
    if (!Given(i)) return missing_;
    ExprValue& v = values_[static_cast<std::size_t>(i)];
    args_[static_cast<std::size_t>(i)]->Evaluate(v);
    return v;
}

std::string_view ExprArgs::Text(int i) {
    const ExprValue& v = Get(i);
    if (v.type == ExprType::Text || v.type == ExprType::Other) return v.text;
    if (v.type == ExprType::None) return {};
    exprerr::ArgumentNeeded("Text", i + 1, function_.Name());
}

double ExprArgs::Number(int i) {
    const ExprValue& v = Get(i);
    if (InNumericFamily(v.type)) return v.number;
    if (v.type == ExprType::None) return 0;
    exprerr::ArgumentNeeded("Number", i + 1, function_.Name());
}

double ExprArgs::Date(int i) {
    const ExprValue& v = Get(i);
    if (InNumericFamily(v.type)) return v.number;
    if (v.type == ExprType::None) return kEmptyDate;
    exprerr::ArgumentNeeded("Date", i + 1, function_.Name());
}

bool ExprArgs::Logical(int i) {
    const ExprValue& v = Get(i);
    if (v.type == ExprType::Logical) return v.logical;
    if (v.type == ExprType::None) return false;
    exprerr::ArgumentNeeded("Boolean", i + 1, function_.Name());
}

ExprFunctionCall::ExprFunctionCall(const ExprFunction& function, std::vector<ExprNodePtr> args,
                                   ExprContext& context)
    : function_(&function), args_(function, std::move(args), context) {
    int depth = 0;
    for (const ExprNodePtr& a : args_.Nodes()) depth = std::max(depth, a->Depth());
    SetDepth(depth + 1);
}

void ExprFunctionCall::AppendText(std::string& out) const {
    out += function_->Name();
    out += '(';
    bool first = true;
    for (const ExprNodePtr& a : args_.Nodes()) {
        if (!first) out += ", ";
        first = false;
        a->AppendText(out);
    }
    out += ')';
}

ExprType ExprFunctionCall::StaticType() const {
    if (function_->ResultType() != ExprType::None) return function_->ResultType();
    const int i = function_->ResultArgument();
    if (i >= 0 && i < static_cast<int>(args_.Nodes().size()))
        return args_.Nodes()[static_cast<std::size_t>(i)]->StaticType();
    return ExprType::None;
}

}  // namespace xbase
