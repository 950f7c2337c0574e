// The facts of an open table for `taxbridge table info`: file, version, record count,
// header and record length, and the fields with type, length and decimals.
#pragma once

#include <ostream>

#include "xbase/dataset/XBaseDataSet.h"

namespace cli {

void PrintTableInfo(xbase::XBaseDataSet& table, std::ostream& out);

}  // namespace cli
