// The nodes of a compiled expression. A handler compiles an expression once into a tree
// of nodes, then evaluates the tree for each record.
//
// Each node owns its children and whatever buffers its results need, sized when the
// tree is built, so that evaluation in the common cases allocates nothing.
#pragma once

#include <memory>
#include <string>

#include "xbase/expr/ExprValue.h"

namespace xbase {

class ExprNode {
public:
    virtual ~ExprNode() = default;
    ExprNode() = default;
    ExprNode(const ExprNode&) = delete;
    ExprNode& operator=(const ExprNode&) = delete;

    // Evaluates the node against the current record. A text in `out` stays valid until
    // this node is evaluated again (or the record buffer changes). Errors are raised as
    // XBaseExpressionError (or the engine's XBaseError for a field that cannot be read).
    virtual void Evaluate(ExprValue& out) = 0;
    // Appends the node's text form, which compiles to the same tree again.
    virtual void AppendText(std::string& out) const = 0;
    std::string Text() const {
        std::string s;
        AppendText(s);
        return s;
    }
    // The type the node yields when it is known without a record; None otherwise.
    virtual ExprType StaticType() const { return ExprType::None; }
    // Levels of nodes from here down (a leaf is 1); the tree's builder keeps it bounded.
    int Depth() const { return depth_; }

protected:
    void SetDepth(int depth) { depth_ = depth; }

private:
    int depth_ = 1;
};

using ExprNodePtr = std::unique_ptr<ExprNode>;

// A parenthesised sub-expression.
class ExprGroup final : public ExprNode {
public:
    explicit ExprGroup(ExprNodePtr inner) : inner_(std::move(inner)) {
        SetDepth(inner_->Depth() + 1);
    }
    void Evaluate(ExprValue& out) override { inner_->Evaluate(out); }
    void AppendText(std::string& out) const override {
        out += '(';
        inner_->AppendText(out);
        out += ')';
    }
    ExprType StaticType() const override { return inner_->StaticType(); }

private:
    ExprNodePtr inner_;
};

}  // namespace xbase
