// Expressions on the command line: `table eval` evaluates one over a table's records,
// `table dump --filter` shows only the records a logical expression accepts.
//
// Expressions are typed in the terminal's UTF-8 and evaluated against the table's OEM
// bytes: the text is converted to the table's code page before it is compiled, and text
// results and messages are converted back.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

#include "xbase/dataset/XBaseDataSet.h"

namespace cli {

struct EvalOptions {
    std::string expression;
    std::int32_t recNo = 0;  // 0: every record the dataset shows
    bool json = false;
    std::string codePage;  // empty: the process-wide OEM code page
};

// Evaluates the expression for each record of the open dataset (deleted ones as the
// dataset shows them) or for record recNo, writing per record its number, the type
// letter and the value: lines "recno<TAB>type<TAB>value" (text with trailing blanks,
// numbers in their shortest form, dates YYYYMMDD, logicals .T./.F.), or a JSON array of
// {"_recno": n, "type": "C"|"N"|"D"|"L", "value": v}. A compile error throws the engine's
// message; an evaluation error throws it prefixed with "Record <n>: ".
void EvalTable(xbase::XBaseDataSet& table, const EvalOptions& options, std::ostream& out);

// A filter installed on an open dataset as its OnFilterRecord for as long as it lives.
class ExpressionFilter {
public:
    // Compiles the expression; one whose type is known not to be logical is refused with
    // "Filter expression must return boolean result".
    ExpressionFilter(xbase::XBaseDataSet& table, const std::string& expression,
                     const std::string& codePage);
    ~ExpressionFilter();
    // After the scan: throws the first evaluation error ("Record <n>: <message>"); the
    // filter refuses every record after one.
    void CheckFailure() const;

private:
    struct State;
    xbase::XBaseDataSet& table_;
    std::unique_ptr<State> state_;
};

}  // namespace cli
