#include "jobs/TableRefill.h"

#include "appserver/ClientDataSet.h"

namespace jobs {

namespace {

std::vector<data::Field*> FieldsByName(data::DataSet& table,
                                       const std::vector<std::string>& names) {
    std::vector<data::Field*> fields;
    fields.reserve(names.size());
    for (const std::string& name : names) fields.push_back(&table.FieldByName(name));
    return fields;
}

void StartRecord(data::DataSet& table, NewRecord how) {
    if (how == NewRecord::Insert) {
        table.Insert();
    } else {
        table.Append();
    }
}

// Starts a new record per row, assigns the row's texts and ends the record with
// `finish` (post or cancel); a failure cancels the record and leaves as an exception.
template <typename Finish>
void BuildRecords(data::DataSet& table, const std::vector<std::string>& fields,
                  const TextRows& records, NewRecord how, Finish finish) {
    std::vector<data::Field*> targets = FieldsByName(table, fields);
    for (const std::vector<std::string>& row : records) {
        StartRecord(table, how);
        try {
            for (std::size_t i = 0; i < targets.size(); ++i) targets[i]->SetAsString(row[i]);
            finish(table);
        } catch (...) {
            table.Cancel();
            throw;
        }
    }
}

}  // namespace

TextRows FetchText(appserver::ClientDataSet& temp, const std::string& query,
                   const std::vector<std::string>& columns) {
    temp.Close();
    temp.SetCommandText(query);
    temp.Open();
    temp.First();
    std::vector<data::Field*> fields = FieldsByName(temp, columns);
    TextRows rows;
    while (!temp.Eof()) {
        std::vector<std::string> row;
        row.reserve(fields.size());
        for (data::Field* field : fields) row.push_back(field->AsString());
        rows.push_back(std::move(row));
        temp.Next();
    }
    return rows;
}

void CheckRecords(data::DataSet& table, const std::vector<std::string>& fields,
                  const TextRows& records, NewRecord how) {
    BuildRecords(table, fields, records, how, [](data::DataSet& t) { t.Cancel(); });
}

void DeleteAllRecords(data::DataSet& table) {
    table.First();
    while (!table.Eof()) table.Delete();
}

void WriteRecords(data::DataSet& table, const std::vector<std::string>& fields,
                  const TextRows& records, NewRecord how) {
    BuildRecords(table, fields, records, how, [](data::DataSet& t) { t.Post(); });
}

}  // namespace jobs
