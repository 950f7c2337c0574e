// Making a new table: the table file with its header and field descriptors and no
// records, and beside it the empty memo file its version keeps (".DBT" for dBase III and
// IV, ".FPT" for FoxPro and Visual FoxPro tables with memo or general fields).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "xbase/table/TableLayout.h"

namespace xbase {

// Creates the table `path` (".DBF" added when it has no extension) of `tableVersion`
// (version::DBase3, DBase3Memo, DBase4Memo, FoxProMemo or VisualFox) with `fields`.
// Requires: no file of that name (nor its memo file) exists. Reports: bad fields as
// std::invalid_argument (nothing written); an existing file as engine error 183 "File
// already exists"; a disk failure as its engine error, after removing whatever this call
// had written, so that a failed call leaves the directory as it was. Returns the table's
// full path.
std::string CreateTable(const std::string& path, std::uint8_t tableVersion,
                        const std::vector<NewField>& fields, const NewTableOptions& options = {});

}  // namespace xbase
