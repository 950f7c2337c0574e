// Writing a table's records for people and scripts: a JSON array of objects or CSV, one
// row per record in record order, with the record number and deletion flag first and
// one member per field named as in the table. Memo fields give their text; binary and
// general fields their bytes in base64.
//
// A value that cannot be converted (a number field filled with '*', the overflow mark
// dBase writes; a date that is no date) does not end the dump: its stored text is shown
// and a warning naming record and field goes to `warnings`, unless `strict` asks for the
// first such value to fail the dump.
#pragma once

#include <ostream>

#include "xbase/dataset/XBaseDataSet.h"

namespace cli {

enum class DumpFormat { Json, Csv };

struct DumpOptions {
    DumpFormat format = DumpFormat::Json;
    // Each field's stored text (translated, trailing blanks kept) instead of AsString.
    bool raw = false;
    // The first value that cannot be converted fails the dump (std::runtime_error naming
    // record and field) instead of being shown as stored.
    bool strict = false;
};

// Writes every record the open dataset shows, from the first; warnings about values
// shown as stored go to `warnings`, one line each.
void DumpTable(xbase::XBaseDataSet& table, const DumpOptions& options, std::ostream& out,
               std::ostream& warnings);

}  // namespace cli
