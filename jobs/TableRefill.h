// Replacing a machine table's records with rows from the sales server, in an order that
// cannot leave the machine without its data: the server's rows are fetched and every new
// record is built and converted (any value that does not fit raises here) before the
// first old record is flagged deleted; only then are the old records deleted and the new
// ones written.
#pragma once

#include <string>
#include <vector>

namespace appserver {
class ClientDataSet;
}
namespace data {
class DataSet;
}

namespace jobs {

using TextRows = std::vector<std::vector<std::string>>;

// Opens the SELECT text through "dsp_temp" (close, command text, open) and reads the
// columns of every row as text.
TextRows FetchText(appserver::ClientDataSet& temp, const std::string& query,
                   const std::vector<std::string>& columns);

enum class NewRecord { Insert, Append };

// Builds each record in the table's row buffer, assigning the texts to the fields in
// order, and cancels it: nothing reaches the file, but every conversion has been made.
void CheckRecords(data::DataSet& table, const std::vector<std::string>& fields,
                  const TextRows& records, NewRecord how);

// Deletes the current record from the first until the table is at its end (deletion
// only flags records).
void DeleteAllRecords(data::DataSet& table);

// Adds and posts one record per row.
void WriteRecords(data::DataSet& table, const std::vector<std::string>& fields,
                  const TextRows& records, NewRecord how);

}  // namespace jobs
