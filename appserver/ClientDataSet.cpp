#include "appserver/ClientDataSet.h"

#include <algorithm>

#include "appserver/DCOMConnection.h"
#include "appserver/ServerError.h"
#include "data/DataError.h"

namespace appserver {

using namespace data;

namespace {

struct RowBuffer : RecordBuffer {
    std::vector<SqlValue> values;
    int id = 0;
    BookmarkFlag flag = bfCurrent;
    Bookmark bookmark;
};

RowBuffer& RowOf(RecordBuffer& buffer) { return static_cast<RowBuffer&>(buffer); }
const RowBuffer& RowOf(const RecordBuffer& buffer) { return static_cast<const RowBuffer&>(buffer); }

Bookmark BookmarkOf(int id) { return std::to_string(id); }
int IdOf(const Bookmark& bookmark) { return bookmark.empty() ? 0 : std::stoi(bookmark); }

// Width of a text column: its longest value, and room for values typed in later.
int TextWidth(const ResultSet& result, size_t column) {
    size_t width = 255;
    for (const auto& row : result.rows) {
        if (row[column]) width = std::max(width, row[column]->size());
    }
    return static_cast<int>(width);
}

}  // namespace

ClientDataSet::~ClientDataSet() { CloseFromDestructor(); }

DCOMConnection& ClientDataSet::Connection() const {
    if (!connection_) throw ServerError("Client dataset '" + Name() + "' has no connection to the application server");
    return *connection_;
}

void ClientDataSet::Execute() {
    Connection().ProviderServer().execute(providerName_, commandText_, params_.Values());
}

void ClientDataSet::InternalOpen() {
    fetched_ = Connection().ProviderServer().open(providerName_, commandText_, params_.Values());
    rows_.clear();
    for (auto& values : fetched_.rows) rows_.push_back({nextId_++, std::move(values), false});
    fetched_.rows.clear();
    InternalInitFieldDefs();
    if (DefaultFields()) CreateFields();
    BindFields(true);
    open_ = true;
    InternalFirst();
}

void ClientDataSet::InternalClose() {
    open_ = false;
    rows_.clear();
}

void ClientDataSet::InternalInitFieldDefs() {
    FieldDefs().Clear();
    for (size_t c = 0; c < fetched_.columns.size(); ++c) {
        const std::string& name = fetched_.columns[c];
        // A field the program declared keeps its type; other columns are text.
        if (const Field* declared = FindField(name)) {
            FieldDefs().Add(name, declared->DataType(), declared->DataType() == ftString ? declared->Size() : 0);
        } else {
            FieldDefs().Add(name, ftString, TextWidth(fetched_, c));
        }
    }
}

int ClientDataSet::IndexOfId(int id) const {
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].id == id) return static_cast<int>(i);
    }
    return -1;
}

GetResult ClientDataSet::GetRecord(RecordBuffer& buffer, GetMode mode, bool doCheck) {
    const int count = static_cast<int>(rows_.size());
    GetResult result = grOK;
    switch (mode) {
        case gmNext:
            cursor_ = std::min(cursor_ + 1, count);
            if (cursor_ >= count) result = grEOF;
            break;
        case gmPrior:
            cursor_ = std::max(std::min(cursor_, count) - 1, -1);
            if (cursor_ < 0) result = grBOF;
            break;
        case gmCurrent:
            if (cursor_ < 0 || cursor_ >= count) result = grError;
            break;
    }
    if (result == grError && doCheck) DatabaseError("Record request beyond range of dataset");
    if (result != grOK) return result;
    RowBuffer& row = RowOf(buffer);
    row.values = rows_[static_cast<size_t>(cursor_)].values;
    row.id = rows_[static_cast<size_t>(cursor_)].id;
    row.flag = bfCurrent;
    row.bookmark = BookmarkOf(row.id);
    GetCalcFields(buffer);
    return grOK;
}

int ClientDataSet::GetRecNo() {
    RecordBuffer* buffer = GetActiveRecordBuffer();
    return buffer ? IndexOfId(RowOf(*buffer).id) + 1 : 0;
}

void ClientDataSet::SetRecNo(int recNo) {
    CheckBrowseMode();
    if (recNo < 1 || recNo > static_cast<int>(rows_.size())) return;
    DoBeforeScroll();
    cursor_ = recNo - 1;
    Resync(rmNone);
    DoAfterScroll();
}

void ClientDataSet::InternalInitRecord(RecordBuffer& buffer) {
    RowBuffer& row = RowOf(buffer);
    row.values.assign(static_cast<size_t>(FieldDefs().Count()), std::nullopt);
    row.id = 0;
    row.bookmark.clear();
}

void ClientDataSet::StoreRow(const std::vector<SqlValue>& values, int at) {
    rows_.insert(rows_.begin() + at, {nextId_++, values, true});
    cursor_ = at;
}

void ClientDataSet::InternalPost() {
    RowBuffer& active = RowOf(*ActiveBuffer());
    if (State() == dsEdit) {
        int index = IndexOfId(active.id);
        if (index < 0) DatabaseError("Record not found");
        rows_[static_cast<size_t>(index)].values = active.values;
        cursor_ = index;
        return;
    }
    int at = static_cast<int>(rows_.size());
    if (active.flag == bfBOF) {
        at = 0;
    } else if (active.flag == bfInserted) {
        int before = IndexOfId(IdOf(active.bookmark));
        if (before >= 0) at = before;
    }
    StoreRow(active.values, at);
}

void ClientDataSet::InternalAddRecord(RecordBuffer& buffer, bool append) {
    int at = append ? static_cast<int>(rows_.size()) : std::clamp(cursor_, 0, static_cast<int>(rows_.size()));
    StoreRow(RowOf(buffer).values, at);
}

void ClientDataSet::InternalDelete() {
    int index = IndexOfId(RowOf(*ActiveBuffer()).id);
    if (index < 0) DatabaseError("Record not found");
    rows_.erase(rows_.begin() + index);
    cursor_ = std::min(index, static_cast<int>(rows_.size()) - 1);
}

void ClientDataSet::InternalGotoBookmark(const Bookmark& bookmark) {
    int index = IndexOfId(IdOf(bookmark));
    if (index < 0) DatabaseError("Bookmark not found");
    cursor_ = index;
}

void ClientDataSet::InternalSetToRecord(RecordBuffer& buffer) {
    const RowBuffer& row = RowOf(buffer);
    int index = IndexOfId(row.flag == bfInserted ? IdOf(row.bookmark) : row.id);
    if (index >= 0) cursor_ = index;
}

Bookmark ClientDataSet::GetBookmarkData(const RecordBuffer& buffer) const { return RowOf(buffer).bookmark; }
void ClientDataSet::SetBookmarkData(RecordBuffer& buffer, const Bookmark& bookmark) { RowOf(buffer).bookmark = bookmark; }
BookmarkFlag ClientDataSet::GetBookmarkFlag(const RecordBuffer& buffer) const { return RowOf(buffer).flag; }
void ClientDataSet::SetBookmarkFlag(RecordBuffer& buffer, BookmarkFlag flag) { RowOf(buffer).flag = flag; }
RecordBufferPtr ClientDataSet::AllocRecordBuffer() { return std::make_unique<RowBuffer>(); }

bool ClientDataSet::BookmarkValid(const Bookmark& bookmark) { return IndexOfId(IdOf(bookmark)) >= 0; }

bool ClientDataSet::GetFieldData(const Field& field, FieldValue& value) {
    RecordBuffer* buffer = GetActiveRecordBuffer();
    if (!buffer || field.FieldNo() < 1) return false;
    const auto& values = RowOf(*buffer).values;
    auto slot = static_cast<size_t>(field.FieldNo() - 1);
    if (slot >= values.size() || !values[slot]) return false;
    value = *values[slot];
    return true;
}

void ClientDataSet::SetFieldData(Field& field, const FieldValue& value) {
    CheckFieldCanBeSet(field);
    field.Validate(value);
    RecordBuffer* buffer = GetActiveRecordBuffer();
    if (!buffer) DatabaseError("Dataset not in edit or insert mode");
    auto& values = RowOf(*buffer).values;
    auto slot = static_cast<size_t>(field.FieldNo() - 1);
    if (slot >= values.size()) values.resize(slot + 1);
    values[slot] = IsNullValue(value) ? SqlValue() : SqlValue(field.FormatValue(value));
    if (State() != dsCalcFields && State() != dsFilter && State() != dsNewValue) DataEvent(deFieldChange, &field);
}

int ClientDataSet::ChangeCount() const {
    return static_cast<int>(std::count_if(rows_.begin(), rows_.end(), [](const auto& r) { return r.pending; }));
}

int ClientDataSet::ApplyUpdates(int maxErrors) {
    CheckActive();
    CheckBrowseMode();
    applyErrors_.clear();
    std::vector<size_t> pending;
    std::vector<std::vector<SqlValue>> values;
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (!rows_[i].pending) continue;
        pending.push_back(i);
        values.push_back(rows_[i].values);
    }
    if (pending.empty()) return 0;
    std::vector<std::string> columns;
    for (const FieldDef& def : FieldDefs()) columns.push_back(def.name);
    ApplyResult result = Connection().ProviderServer().applyInserts(providerName_, columns, values, maxErrors);
    applyErrors_ = result.errors;
    if (!result.rolledBack) {
        for (size_t k = 0; k < pending.size(); ++k) {
            bool refused = std::find(result.refusedRows.begin(), result.refusedRows.end(), k) != result.refusedRows.end();
            if (!refused) rows_[pending[k]].pending = false;
        }
    }
    return result.errorCount;
}

}  // namespace appserver
