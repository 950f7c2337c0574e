// Test support for index tests: a table of NAME C(6), QTY N(5,0), FLAG L and helpers that
// read a tag's order through the handler.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "../table/TableTestSupport.h"
#include "xbase/cursor/DbfHandler.h"

namespace indextest {

// Writes the table with one record per (name, qty) and returns its path.
std::string WriteKeyTable(const tabletest::TempDir& dir, const std::string& file,
                          const std::vector<std::pair<std::string, int>>& rows);

// Record numbers in the selected tag's order (visible records only).
std::vector<std::int32_t> Walk(xbase::DbfHandler& table, bool backward = false);

// Appends (name, qty) through the handler; returns the new record number.
std::int32_t Append(xbase::DbfHandler& table, const std::string& name, int qty);
// Rewrites record n with new values.
void Change(xbase::DbfHandler& table, std::int32_t n, const std::string& name, int qty);

}  // namespace indextest
