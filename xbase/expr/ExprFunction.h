// Functions callable from expressions, and the arguments of one call.
//
// A function object is shared by every call of it (global functions by every handler);
// it keeps no state. Each call node owns an ExprArgs: the argument sub-expressions, which
// the function evaluates on demand, and scratch buffers for the function's result.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/expr/ExprContext.h"
#include "xbase/expr/ExprNode.h"
#include "xbase/expr/ExprValue.h"

namespace xbase {

class ExprFunction;

class ExprArgs {
public:
    ExprArgs(const ExprFunction& function, std::vector<ExprNodePtr> args, ExprContext& context);

    int Count() const { return static_cast<int>(args_.size()); }
    bool Given(int i) const { return i >= 0 && i < Count(); }
    // Evaluates argument i (from 0); one that was not given has type None and an empty
    // value. The result stays valid until the argument is evaluated again.
    const ExprValue& Get(int i);

    // Typed forms: a missing argument gives the empty value ("", 0, the empty date,
    // false); a value of another type raises "<Text|Number|Date|Boolean> needed for
    // Argument <i+1> of <function>". Numbers and dates stand in for each other.
    std::string_view Text(int i);
    double Number(int i);
    double Date(int i);
    bool Logical(int i);

    // Scratch buffers owned by the call, for the function's result (k is 0 or 1).
    std::string& Buffer(int k = 0) { return buffers_[static_cast<std::size_t>(k)]; }
    ExprContext& Context() { return context_; }
    const ExprFunction& Function() const { return function_; }
    const std::vector<ExprNodePtr>& Nodes() const { return args_; }

private:
    const ExprFunction& function_;
    std::vector<ExprNodePtr> args_;
    std::vector<ExprValue> values_;
    std::array<std::string, 2> buffers_;
    ExprContext& context_;
    ExprValue missing_;
};

class ExprFunction {
public:
    // `result`: the type the function always yields, or None when it depends on the
    // arguments (then `resultArg` names the argument whose type it takes, if any).
    explicit ExprFunction(std::string name, ExprType result = ExprType::None, int resultArg = -1)
        : name_(std::move(name)), result_(result), resultArg_(resultArg) {}
    virtual ~ExprFunction() = default;

    const std::string& Name() const { return name_; }
    ExprType ResultType() const { return result_; }
    int ResultArgument() const { return resultArg_; }
    // Computes the function's value from its arguments.
    virtual void Evaluate(ExprArgs& args, ExprValue& out) const = 0;

private:
    std::string name_;
    ExprType result_;
    int resultArg_;
};

}  // namespace xbase
