// Opening a table named on the command line as an XBaseDataSet, finding a record by its
// physical number and assigning NAME=VALUE pairs to the fields of the current record.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "xbase/dataset/XBaseDataSet.h"

namespace cli {

struct TableOptions {
    bool useDeleted = false;  // show deleted records too
    bool readOnly = false;
    std::string codePage;  // empty: the process-wide OEM code page
    // Index files kept current by writes (paths as given: a bare name is in the current
    // directory, like FILE), and the tag that orders the records (may be left out when
    // the files hold one tag only).
    std::vector<std::string> indexFiles;
    std::string tag;
    bool orderByTag = false;
    // Writes go on when the production index the table's header flags cannot be kept.
    bool ignoreProductionIndex = false;
};

// Opens FILE (a host path or a Windows-style path on a mapped drive) shared, with the
// index files open and, with orderByTag, the tag selected ("--tag is needed ..." when it
// is left out and the files hold several tags).
std::unique_ptr<xbase::XBaseDataSet> OpenTable(const std::string& file,
                                               const TableOptions& options);

// Makes record `recNo` the current one; fails when the table has no such record. The
// dataset must show deleted records (useDeleted) so that the number is exact.
void GoToRecord(xbase::XBaseDataSet& table, std::int32_t recNo);

// Splits "NAME=VALUE" (the value may be empty or contain '='); fails without '='.
std::pair<std::string, std::string> SplitAssignment(const std::string& assignment);

// Assigns each NAME=VALUE through the field's AsString (binary and general fields take
// base64); the dataset must be in edit or insert state. Unknown names fail with the
// framework's message.
void AssignFields(xbase::XBaseDataSet& table, const std::vector<std::string>& assignments);

}  // namespace cli
