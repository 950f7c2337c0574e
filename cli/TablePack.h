// taxbridge table pack: removes the deleted records of one table and compacts its memo
// file, with the table to itself (refused while any other program has it open).
#pragma once

#include <ostream>
#include <string>

namespace cli {

// Packs FILE and reports what was kept and removed on `out`. Failures throw with a
// message; the table and its memo file are then exactly as they were.
void PackTable(const std::string& file, std::ostream& out);

}  // namespace cli
