#include "xbase/index/IndexExpression.h"

#include "xbase/expr/ExprHandler.h"
#include "xbase/expr/TableExprLink.h"
#include "xbase/file/EngineError.h"
#include "xbase/file/NameText.h"
#include "xbase/table/DbfFile.h"

namespace xbase {

struct IndexExpression::Compiled {
    Compiled(DbfFile& table, MemoFile* memo, const ExprOptions& options, const std::string& text)
        : link(table, memo), handler(&link, options, text) {}
    TableExprLink link;
    ExprHandler handler;
};

IndexExpression::IndexExpression(DbfFile& table, const std::string& text, MemoFile* memo,
                                 bool caseInsensitive, bool wildcards)
    : table_(table), text_(TrimBlanks(text)) {
    ExprOptions options;
    options.caseInsensitive = caseInsensitive;
    options.wildcards = wildcards;
    compiled_ = std::make_unique<Compiled>(table, memo, options, text_);
}

IndexExpression::~IndexExpression() = default;

KeyValue IndexExpression::Evaluate() {
    KeyValue result;
    ExprKey key;
    compiled_->handler.EvaluateKey(key);
    result.type = key.type;
    switch (key.type) {
        case 'N':
            result.number = key.number;
            break;
        case 'D':
            result.number = key.date == 0 ? KeyValue::kEmptyDate : key.date;
            break;
        case 'L':
            result.logical = key.logical;
            break;
        default:
            result.type = 'C';
            result.text.assign(key.text);
            break;
    }
    lastType_ = result.type;
    return result;
}

bool IndexExpression::Condition() {
    if (text_.empty()) return true;
    const ExprValue& value = compiled_->handler.Evaluate();
    if (value.type != ExprType::Logical)
        throw XBaseError("Filter expression must return boolean result");
    lastType_ = 'L';
    return value.logical;
}

char IndexExpression::ResultType() {
    if (lastType_ == 0) Evaluate();
    return lastType_;
}

}  // namespace xbase
