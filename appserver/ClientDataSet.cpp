#include "appserver/ClientDataSet.h"

#include <algorithm>

#include "appserver/DCOMConnection.h"
#include "appserver/ServerError.h"
#include "data/DataError.h"

namespace appserver {

using namespace data;

namespace {

// Rows are kept as text: a fetched value becomes text or null, and back when sent.
FieldValue FromSql(SqlValue&& value) {
    return value ? FieldValue(std::move(*value)) : FieldValue();
}
SqlValue ToSql(const FieldValue& value) {
    return IsNullValue(value) ? SqlValue() : SqlValue(std::get<std::string>(value));
}

// Width of each text column: its longest value, and room for values typed in later.
std::vector<int> TextWidths(const ResultSet& result) {
    std::vector<size_t> widths(result.columns.size(), 255);
    for (const auto& row : result.rows) {
        for (size_t c = 0; c < row.size() && c < widths.size(); ++c)
            if (row[c]) widths[c] = std::max(widths[c], row[c]->size());
    }
    return {widths.begin(), widths.end()};
}

}  // namespace

ClientDataSet::ClientDataSet() : MemoryDataSet({.keepsText = true}) {}

ClientDataSet::~ClientDataSet() { CloseFromDestructor(); }

DCOMConnection& ClientDataSet::Connection() const {
    if (!connection_)
        throw ServerError("Client dataset '" + Name() +
                          "' has no connection to the application server");
    return *connection_;
}

void ClientDataSet::Execute() {
    Connection().ProviderServer().execute(providerName_, commandText_, params_.Values());
}

void ClientDataSet::InternalOpen() {
    fetched_ = Connection().ProviderServer().open(providerName_, commandText_, params_.Values());
    textWidths_ = TextWidths(fetched_);  // before the rows move into the dataset
    ClearRows();
    for (auto& row : fetched_.rows) {
        std::vector<FieldValue> values;
        values.reserve(row.size());
        for (auto& value : row) values.push_back(FromSql(std::move(value)));
        AddLoadedRow(std::move(values));
    }
    fetched_.rows.clear();
    MemoryDataSet::InternalOpen();
}

void ClientDataSet::InternalClose() {
    MemoryDataSet::InternalClose();
    ClearRows();
}

void ClientDataSet::InternalInitFieldDefs() {
    FieldDefs().Clear();
    for (size_t c = 0; c < fetched_.columns.size(); ++c) {
        const std::string& name = fetched_.columns[c];
        // A field the program declared keeps its type; other columns are text.
        if (const Field* declared = FindField(name)) {
            FieldDefs().Add(name, declared->DataType(),
                            declared->DataType() == ftString ? declared->Size() : 0);
        } else {
            FieldDefs().Add(name, ftString, textWidths_[c]);
        }
    }
}

int ClientDataSet::ChangeCount() const {
    const std::vector<Row>& rows = Rows();
    return static_cast<int>(
        std::count_if(rows.begin(), rows.end(), [](const Row& r) { return r.pending; }));
}

int ClientDataSet::ApplyUpdates(int maxErrors) {
    CheckActive();
    CheckBrowseMode();
    applyErrors_.clear();
    std::vector<size_t> pending;
    std::vector<std::vector<SqlValue>> values;
    std::vector<Row>& rows = Rows();
    for (size_t i = 0; i < rows.size(); ++i) {
        if (!rows[i].pending) continue;
        pending.push_back(i);
        std::vector<SqlValue>& sent = values.emplace_back();
        for (const FieldValue& value : rows[i].values) sent.push_back(ToSql(value));
    }
    if (pending.empty()) return 0;
    std::vector<std::string> columns;
    for (const FieldDef& def : FieldDefs()) columns.push_back(def.name);
    ApplyResult result =
        Connection().ProviderServer().applyInserts(providerName_, columns, values, maxErrors);
    applyErrors_ = result.errors;
    if (!result.rolledBack) {
        for (size_t k = 0; k < pending.size(); ++k) {
            bool refused = std::find(result.refusedRows.begin(), result.refusedRows.end(), k) !=
                           result.refusedRows.end();
            if (!refused) rows[pending[k]].pending = false;
        }
    }
    return result.errorCount;
}

}  // namespace appserver
