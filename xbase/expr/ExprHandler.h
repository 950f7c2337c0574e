// The expression handler: one key or filter expression compiled once against one table
// and evaluated for the current record as often as needed.
//
//   TableExprLink link(table);                       // the table's fields and functions
//   ExprHandler filter(&link, false, "(UPPER(CITY) = \"BEI*\") .AND. (PRICE > 100)");
//   for (each record) if (filter.Evaluate().logical) ...
//
// Evaluation allocates nothing once each node's buffers have grown to the size of the
// texts they hold (field variables, literals, comparisons, UPPER, SUBSTR, STR, DTOS...).
// A handler is used by one thread at a time; handlers of one link may be used in turn.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "xbase/expr/ExprContext.h"
#include "xbase/expr/ExprNode.h"
#include "xbase/expr/ExprValue.h"

namespace xbase {

class ExprLink;

// Options fixed when a handler is created.
struct ExprOptions {
    bool sqlStyle = false;         // wildcards '%' and '_' instead of '*' and '?'
    bool caseInsensitive = false;  // text comparison without regard to letter case
    bool wildcards = true;  // a right-hand text beginning or ending in the wildcard is a pattern
};

class ExprHandler {
public:
    // Compiles `text` against `link` (nullptr: no table, so no field variables or table
    // functions; the link must outlive the handler). An empty text gives a handler with no
    // tree, whose result is the empty text with type None. A compile error raises
    // XBaseExpressionError with the engine's message.
    ExprHandler(ExprLink* link, bool sqlStyle, std::string_view text);
    ExprHandler(ExprLink* link, const ExprOptions& options, std::string_view text);
    ~ExprHandler();
    ExprHandler(ExprHandler&&) noexcept;
    ExprHandler& operator=(ExprHandler&&) noexcept;

    // Discards the tree and compiles `text`. On a compile error the handler is left
    // without a tree (its result the empty text) and the error is raised.
    void Replace(std::string_view text);

    // Evaluates against the link's current record. The value (its text in particular)
    // stays valid until the next evaluation or change of the record buffer. Errors raise
    // XBaseExpressionError (or the engine's XBaseError for a field that cannot be read).
    const ExprValue& Evaluate();
    // The type of the last evaluation.
    ExprType LastType() const { return value_.type; }
    // Evaluates and converts for an index key: text stays text, a number is a double, a
    // date an integer day number (0 when empty), a logical a boolean. Another type (None,
    // Other) becomes the key text of its text form.
    void EvaluateKey(ExprKey& key);

    // The expression re-printed from the tree ("" without a tree); it compiles to the same
    // tree again.
    std::string Text() const;
    // The text as it was given.
    const std::string& Source() const { return source_; }
    bool HasTree() const { return root_ != nullptr; }
    // The result type when it is known without evaluating (None when it depends on data).
    ExprType StaticType() const;
    const ExprOptions& Options() const { return options_; }
    ExprLink* Link() const { return context_->link; }

private:
    ExprOptions options_;
    std::unique_ptr<ExprContext> context_;  // shared by the nodes, so it never moves
    ExprNodePtr root_;
    std::string source_;
    ExprValue value_;
};

}  // namespace xbase
