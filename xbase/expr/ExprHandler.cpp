#include "xbase/expr/ExprHandler.h"

#include <cmath>

#include "xbase/expr/ExprCompiler.h"
#include "xbase/expr/TextCase.h"

namespace xbase {

ExprHandler::ExprHandler(ExprLink* link, bool sqlStyle, std::string_view text)
    : ExprHandler(link, ExprOptions{sqlStyle, false, true}, text) {}

ExprHandler::ExprHandler(ExprLink* link, const ExprOptions& options, std::string_view text)
    : options_(options), context_(std::make_unique<ExprContext>()) {
    context_->link = link;
    context_->compare.ignoreCase = options.caseInsensitive;
    context_->compare.wildcards = options.wildcards;
    context_->compare.manyWildcard = options.sqlStyle ? '%' : '*';
    context_->oneWildcard = options.sqlStyle ? '_' : '?';
    context_->compare.rules = &TextCase::Current();
    Replace(text);
}

ExprHandler::~ExprHandler() = default;
ExprHandler::ExprHandler(ExprHandler&&) noexcept = default;
ExprHandler& ExprHandler::operator=(ExprHandler&&) noexcept = default;

void ExprHandler::Replace(std::string_view text) {
    root_.reset();
    value_ = ExprValue{};
    source_.assign(text);
    context_->compare.rules = &TextCase::Current();
    root_ = CompileExpression(text, *context_);
}

const ExprValue& ExprHandler::Evaluate() {
    if (!root_) {
        value_ = ExprValue{};
        return value_;
    }
    root_->Evaluate(value_);
    return value_;
}

void ExprHandler::EvaluateKey(ExprKey& key) {
    const ExprValue& v = Evaluate();
    key = ExprKey{};
    switch (v.type) {
        case ExprType::Numeric:
            key.type = 'N';
            key.number = v.number;
            return;
        case ExprType::Date:
            key.type = 'D';
            key.date = v.number == kEmptyDate || !(v.number > 0 && v.number < 2147483647.0)
                           ? 0
                           : static_cast<std::int32_t>(v.number);
            return;
        case ExprType::Logical:
            key.type = 'L';
            key.logical = v.logical;
            return;
        default:
            key.type = 'C';
            key.text = v.text;
            return;
    }
}

std::string ExprHandler::Text() const { return root_ ? root_->Text() : std::string(); }

ExprType ExprHandler::StaticType() const { return root_ ? root_->StaticType() : ExprType::None; }

}  // namespace xbase
