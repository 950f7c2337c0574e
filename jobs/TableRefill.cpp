#include "jobs/TableRefill.h"

#include <algorithm>
#include <map>

#include "appserver/ClientDataSet.h"
#include "jobs/JobReporter.h"
#include "jobs/RecordLockSet.h"
#include "xbase/dataset/XBaseDataSet.h"

namespace jobs {

namespace {

constexpr std::size_t kMaxListedLines = 20;

std::vector<data::Field*> FieldsByName(data::DataSet& table,
                                       const std::vector<std::string>& names) {
    std::vector<data::Field*> fields;
    fields.reserve(names.size());
    for (const std::string& name : names) fields.push_back(&table.FieldByName(name));
    return fields;
}

std::string WithoutTrailingBlanks(std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

// The first lines, then how many more there are.
std::string CappedLines(const std::vector<std::string>& lines, const char* more) {
    std::string text;
    for (std::size_t i = 0; i < lines.size() && i < kMaxListedLines; ++i) text += "\n" + lines[i];
    if (lines.size() > kMaxListedLines) {
        text += "\n... and " + std::to_string(lines.size() - kMaxListedLines) + " " + more;
    }
    return text;
}

void StartRecord(data::DataSet& table, NewRecord how) {
    if (how == NewRecord::Insert) {
        table.Insert();
    } else {
        table.Append();
    }
}

// Starts a new record per row, assigns the row's texts and ends the record with
// `finish(table, fields)` (post or cancel); a failure cancels the record and leaves as an
// exception.
template <typename Finish>
void BuildRecords(const TableRefill& r, Finish finish) {
    std::vector<data::Field*> targets = FieldsByName(*r.table, r.fields);
    for (const std::vector<std::string>& row : r.rows) {
        StartRecord(*r.table, r.how);
        try {
            for (std::size_t i = 0; i < targets.size(); ++i) targets[i]->SetAsString(row[i]);
            finish(*r.table, targets);
        } catch (...) {
            r.table->Cancel();
            throw;
        }
    }
}

// What each row's text fields hold once assigned (other fields: the given text), read
// back from records that are built and cancelled: nothing reaches the file.
TextRows StoredTexts(const TableRefill& r) {
    TextRows stored;
    stored.reserve(r.rows.size());
    BuildRecords(r, [&](data::DataSet& table, const std::vector<data::Field*>& fields) {
        const std::vector<std::string>& given = r.rows[stored.size()];
        std::vector<std::string> values;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            values.push_back(fields[i]->DataType() == data::ftString ? fields[i]->AsString()
                                                                     : given[i]);
        }
        stored.push_back(std::move(values));
        table.Cancel();
    });
    return stored;
}

void RefuseEmptyRefill(const TableRefill& r) {
    if (!r.rows.empty()) return;
    r.table->First();
    if (r.table->Eof()) return;
    throw EmptyRefreshError("The sales system returned no " + r.rowsName + ": " + r.fileName +
                            " keeps its records. No table was changed.");
}

// Two different server keys that the field would store alike.
void RefuseKeyCollisions(const TableRefill& r, const TextRows& stored) {
    std::size_t key = 0;
    while (key < r.fields.size() && r.fields[key] != r.keyField) ++key;
    if (key == r.fields.size()) return;
    std::map<std::string, std::string> givenByStored;
    std::vector<std::string> collisions;
    for (std::size_t row = 0; row < r.rows.size(); ++row) {
        const std::string given = WithoutTrailingBlanks(r.rows[row][key]);
        auto [at, added] = givenByStored.emplace(stored[row][key], given);
        if (!added && at->second != given) {
            const auto& [first, second] = std::minmax(at->second, given);
            collisions.push_back("\"" + first + "\" and \"" + second + "\" both become \"" +
                                 at->first + "\"");
        }
    }
    if (collisions.empty()) return;
    std::sort(collisions.begin(), collisions.end());
    throw std::runtime_error("Values of " + r.table->FieldByName(r.keyField).FieldName() + " in " +
                             r.fileName + " would collide once changed to fit the field." +
                             " No table was changed:" + CappedLines(collisions, "more"));
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

void ReplaceTables(std::vector<TableRefill>& refills, const RefreshOptions& options,
                   JobReporter& reporter) {
    if (!options.allowEmpty) {
        for (const TableRefill& r : refills) RefuseEmptyRefill(r);
    }
    std::vector<TextRows> stored;
    for (const TableRefill& r : refills) {
        stored.push_back(StoredTexts(r));
        RefuseKeyCollisions(r, stored.back());
    }
    RecordLockSet locks;
    for (const TableRefill& r : refills) locks.LockLiveRecords(*r.table, r.fileName);

    std::vector<std::string> altered;
    for (std::size_t t = 0; t < refills.size(); ++t) {
        const TableRefill& r = refills[t];
        r.table->First();
        while (!r.table->Eof()) r.table->Delete();
        std::size_t row = 0;
        BuildRecords(r, [&](data::DataSet& table, const std::vector<data::Field*>& fields) {
            table.Post();
            const std::string record = std::to_string(r.table->Handler()->CurrentRecord());
            for (std::size_t i = 0; i < fields.size(); ++i) {
                const std::string given = WithoutTrailingBlanks(r.rows[row][i]);
                if (stored[t][row][i] == given) continue;
                altered.push_back(r.fileName + " record " + record + ", " + fields[i]->FieldName() +
                                  ": \"" + given + "\" stored as \"" + stored[t][row][i] + "\"");
            }
            ++row;
        });
    }
    locks.ReleaseAll();
    if (altered.empty()) return;
    reporter.Notice(altered.size() == 1
                        ? "1 value did not fit the machine's field and was stored changed:" +
                              CappedLines(altered, "")
                        : std::to_string(altered.size()) +
                              " values did not fit the machine's fields and were stored changed:" +
                              CappedLines(altered, "more values"));
}

}  // namespace jobs
