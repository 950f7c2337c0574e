// Writing a table's records for people and scripts: a JSON array of objects or CSV, one
// row per record in record order, with the record number and deletion flag first and
// one member per field named as in the table. Memo fields give their text; binary and
// general fields their bytes in base64.
#pragma once

#include <ostream>

#include "xbase/dataset/XBaseDataSet.h"

namespace cli {

enum class DumpFormat { Json, Csv };

struct DumpOptions {
    DumpFormat format = DumpFormat::Json;
    // Each field's stored text (translated, trailing blanks kept) instead of AsString.
    bool raw = false;
};

// Writes every record the open dataset shows, from the first.
void dumpTable(xbase::XBaseDataSet& table, const DumpOptions& options, std::ostream& out);

}  // namespace cli
