// What every node of one compiled expression shares: the table link it is bound to and
// the handler's options, fixed when the handler is created.
#pragma once

#include "xbase/expr/TextCompare.h"

namespace xbase {

class ExprLink;

struct ExprContext {
    ExprLink* link = nullptr;    // nullptr: no table (no field variables, no table functions)
    TextCompareOptions compare;  // case, wildcards and the code page's double-byte rules
    char oneWildcard = '?';  // kept for the SQL style; comparisons use only the many-character one
};

}  // namespace xbase
