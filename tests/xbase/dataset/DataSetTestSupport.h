// Test support for the xBase dataset: tables written byte by byte into a fresh directory
// (never by the engine), datasets opened on them, and one test-program environment that
// maps drive C to a temporary directory and gives the alias list its "xbase.cfg" before
// anything reads it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "xbase/dataset/XBaseDataSet.h"
#include "xbase/table/TableTestSupport.h"

namespace datasettest {

// Host directory drive C maps to during the tests, and "c:\tax" inside it.
const std::string& DriveCRoot();
std::string TaxDirectory();

// A fresh directory with one table written from `layout` as `tableName`.
class TableDir {
public:
    TableDir(const std::string& tableName, const tabletest::TableShape& layout);
    const std::string& Path() const { return dir_.path(); }
    std::string TablePath() const { return dir_.file(tableName_); }
    std::vector<std::uint8_t> Bytes() const { return tabletest::ReadFile(TablePath()); }
    // A closed dataset on the table: DatabaseName the directory, TableName the file.
    std::unique_ptr<xbase::XBaseDataSet> DataSet() const;
    // The same, opened.
    std::unique_ptr<xbase::XBaseDataSet> Open() const;

private:
    tabletest::TempDir dir_;
    std::string tableName_;
};

// NAME C(10), QTY N(8,2), FLAG L with one record per name; names starting with '*' are
// written as deleted records (the '*' is not part of the name).
tabletest::TableShape NamesShape(const std::vector<std::string>& names);

// The NAME values the dataset shows from First to Eof.
std::vector<std::string> VisibleNames(xbase::XBaseDataSet& dataSet);

}  // namespace datasettest
