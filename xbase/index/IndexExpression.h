// A compiled key or FOR expression of a tag, evaluated over its table's record buffer.
//
// Tags and the handler's filter reach the expression engine only through this class, so
// the engine's own classes stay out of every format's headers.
#pragma once

#include <memory>
#include <string>

#include "xbase/index/IndexKey.h"

namespace xbase {

class DbfFile;
class MemoFile;

class IndexExpression {
public:
    // Compiles `text` against the fields of `table` (memo fields read from `memo` when
    // given); an empty text compiles to nothing (Empty(); Evaluate gives an empty text).
    // `caseInsensitive` compares texts without regard to letter case and `wildcards` reads
    // a text ending or starting with '*' as a pattern (filters: partial compare). A bad
    // expression raises the expression engine's XBaseExpressionError. The table and the
    // memo file must outlive the expression.
    IndexExpression(DbfFile& table, const std::string& text, MemoFile* memo = nullptr,
                    bool caseInsensitive = false, bool wildcards = true);
    ~IndexExpression();
    IndexExpression(const IndexExpression&) = delete;
    IndexExpression& operator=(const IndexExpression&) = delete;

    const std::string& Text() const { return text_; }
    bool Empty() const { return text_.empty(); }

    // Evaluates over the record in the table's record buffer.
    KeyValue Evaluate();
    // Evaluates a condition: true for an empty expression; a result that is not logical
    // raises XBaseError "Filter expression must return boolean result".
    bool Condition();
    // The type letter of the last result ('C', 'N', 'D', 'L'); evaluates once when
    // nothing was evaluated yet.
    char ResultType();

private:
    struct Compiled;
    DbfFile& table_;
    std::string text_;
    std::unique_ptr<Compiled> compiled_;
    char lastType_ = 0;
};

}  // namespace xbase
