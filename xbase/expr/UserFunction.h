// Calls of functions that only the table's user-function hook knows.
#pragma once

#include <memory>
#include <string_view>

#include "xbase/expr/ExprFunction.h"

namespace xbase {

class ExprLink;

// Asks the link's hook with "FIND" whether it knows `name`; if so, a function that asks
// it with "PARSE" on each evaluation and converts its answer by the type letter ('C'
// text, 'N' or 'F' number, 'D' date as YYYYMMDD, 'L' logical). nullptr when the hook does
// not know the name.
std::unique_ptr<ExprFunction> MakeUserFunction(ExprLink& link, std::string_view name);

}  // namespace xbase
