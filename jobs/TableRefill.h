// Replacing machine tables' records with rows from the sales server, in an order that
// cannot leave the machine without its data or with data it did not ask for:
//   1. a table holding live records is never emptied because the server returned no
//      rows for it (unless RefreshOptions::allowEmpty);
//   2. every new record is built and converted (a number that does not fit raises) and
//      read back: text the field cannot hold as given (cut to its width, or characters
//      the OEM code page lacks) is noted, and key values that would become equal only
//      through that change are an error;
//   3. the record lock of every live record of every table is taken (RecordLockSet);
// only then are the old records deleted and the new ones written, table by table; the
// locks are given back at the end. An error in steps 1-3 leaves every table as it was.
// The values that were changed are reported once the tables are written.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "jobs/RefreshOptions.h"

namespace appserver {
class ClientDataSet;
}
namespace xbase {
class XBaseDataSet;
}

namespace jobs {

class JobReporter;

using TextRows = std::vector<std::vector<std::string>>;

// Opens the SELECT text through "dsp_temp" (close, command text, open) and reads the
// columns of every row as text.
TextRows FetchText(appserver::ClientDataSet& temp, const std::string& query,
                   const std::vector<std::string>& columns);

enum class NewRecord { Insert, Append };

// One machine table and the server rows that replace its records.
struct TableRefill {
    xbase::XBaseDataSet* table = nullptr;  // open
    std::string fileName;                  // "ke_hu.dbf", for messages
    std::string rowsName;                  // what the rows are: "customers"
    std::vector<std::string> fields;       // the fields each row's texts go to, in order
    std::string keyField;                  // one of fields: its values must stay apart
    NewRecord how = NewRecord::Insert;
    TextRows rows;
};

// The sales system returned no rows for a table that holds live records.
class EmptyRefreshError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Runs the steps above over the tables in order. Errors of steps 1-3 leave as
// exceptions before any table changes (EmptyRefreshError for step 1); the changed values
// go to JobReporter::Notice, at most 20 lines and then their count.
void ReplaceTables(std::vector<TableRefill>& refills, const RefreshOptions& options,
                   JobReporter& reporter);

}  // namespace jobs
