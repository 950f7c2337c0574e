#include "data/MemoryDataSet.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "data/DataError.h"

namespace data {

MemoryDataSet::MemoryDataSet(Layout layout) : layout_(layout) {}

MemoryDataSet::~MemoryDataSet() { CloseFromDestructor(); }

Bookmark MemoryDataSet::BookmarkOf(int id) const {
    char text[32];
    std::snprintf(text, sizeof text, "%0*d", layout_.bookmarkDigits, id);
    return text;
}

// 0, the id of no row, for a bookmark that is no row id.
int MemoryDataSet::IdOf(const Bookmark& bookmark) {
    int id = 0;
    const char* end = bookmark.data() + bookmark.size();
    auto [ptr, ec] = std::from_chars(bookmark.data(), end, id);
    return ec == std::errc() && ptr == end ? id : 0;
}

void MemoryDataSet::AddLoadedRow(std::vector<FieldValue> values) {
    rows_.push_back({nextId_++, std::move(values), false});
}

int MemoryDataSet::IndexOfId(int id) const {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].id == id) return static_cast<int>(i);
    }
    return -1;
}

void MemoryDataSet::InternalOpen() {
    InternalInitFieldDefs();
    if (DefaultFields()) CreateFields();
    BindFields(true);
    open_ = true;
    InternalFirst();
}

void MemoryDataSet::InternalClose() { open_ = false; }

void MemoryDataSet::CopyRow(int index, RowBuffer& buffer) const {
    const Row& row = rows_[static_cast<std::size_t>(index)];
    buffer.values = row.values;
    buffer.id = row.id;
}

bool MemoryDataSet::Accepts(int index, RecordBuffer& buffer) {
    CopyRow(index, RowOf(buffer));
    return RecordFilterAccepts(buffer);
}

GetResult MemoryDataSet::GetRecord(RecordBuffer& buffer, GetMode mode, bool doCheck) {
    const int count = static_cast<int>(rows_.size());
    GetResult result = grOK;
    switch (mode) {
        case gmNext: {
            int pos = cursor_ + 1;
            while (pos < count && !Accepts(pos, buffer)) ++pos;
            cursor_ = std::min(pos, count);
            if (pos >= count) result = grEOF;
            break;
        }
        case gmPrior: {
            int pos = std::min(cursor_, count) - 1;
            while (pos >= 0 && !Accepts(pos, buffer)) --pos;
            cursor_ = std::max(pos, -1);
            if (pos < 0) result = grBOF;
            break;
        }
        case gmCurrent:
            if (cursor_ < 0 || cursor_ >= count || !Accepts(cursor_, buffer)) result = grError;
            break;
    }
    if (result == grError && doCheck) DatabaseError(layout_.rangeMessage);
    if (result != grOK) return result;
    RowBuffer& row = RowOf(buffer);
    CopyRow(cursor_, row);
    row.flag = bfCurrent;
    row.bookmark = BookmarkOf(row.id);
    GetCalcFields(buffer);
    return grOK;
}

int MemoryDataSet::GetRecNo() {
    RecordBuffer* buffer = GetActiveRecordBuffer();
    return buffer != nullptr ? IndexOfId(RowOf(*buffer).id) + 1 : 0;
}

void MemoryDataSet::SetRecNo(int recNo) {
    CheckBrowseMode();
    if (recNo < 1 || recNo > static_cast<int>(rows_.size())) return;
    DoBeforeScroll();
    cursor_ = recNo - 1;
    Resync(rmNone);
    DoAfterScroll();
}

void MemoryDataSet::InternalInitRecord(RecordBuffer& buffer) {
    RowBuffer& row = RowOf(buffer);
    row.values.assign(static_cast<std::size_t>(FieldDefs().Count()), {});
    row.id = 0;
    row.bookmark.clear();
}

void MemoryDataSet::StoreNewRow(const std::vector<FieldValue>& values, int at) {
    rows_.insert(rows_.begin() + at, Row{nextId_++, values, true});
    cursor_ = at;
}

void MemoryDataSet::InternalPost() {
    RowBuffer& active = RowOf(*ActiveBuffer());
    if (State() == dsEdit) {
        int index = IndexOfId(active.id);
        if (index < 0) DatabaseError("Record not found");
        rows_[static_cast<std::size_t>(index)].values = active.values;
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
    StoreNewRow(active.values, at);
}

void MemoryDataSet::InternalAddRecord(RecordBuffer& buffer, bool append) {
    const int count = static_cast<int>(rows_.size());
    StoreNewRow(RowOf(buffer).values, append ? count : std::clamp(cursor_, 0, count));
}

void MemoryDataSet::InternalDelete() {
    int index = IndexOfId(RowOf(*ActiveBuffer()).id);
    if (index < 0) DatabaseError("Record not found");
    rows_.erase(rows_.begin() + index);
    // The next record moves into the deleted one's place; at the end, the previous one.
    cursor_ = std::min(index, static_cast<int>(rows_.size()) - 1);
}

void MemoryDataSet::InternalGotoBookmark(const Bookmark& bookmark) {
    int index = IndexOfId(IdOf(bookmark));
    if (index < 0) DatabaseError("Bookmark not found");
    cursor_ = index;
}

void MemoryDataSet::InternalSetToRecord(RecordBuffer& buffer) {
    const RowBuffer& row = RowOf(buffer);
    int index = IndexOfId(row.flag == bfInserted ? IdOf(row.bookmark) : row.id);
    if (index >= 0) cursor_ = index;
}

Bookmark MemoryDataSet::GetBookmarkData(const RecordBuffer& buffer) const {
    return RowOf(buffer).bookmark;
}

void MemoryDataSet::SetBookmarkData(RecordBuffer& buffer, const Bookmark& bookmark) {
    RowOf(buffer).bookmark = bookmark;
}

BookmarkFlag MemoryDataSet::GetBookmarkFlag(const RecordBuffer& buffer) const {
    return RowOf(buffer).flag;
}

void MemoryDataSet::SetBookmarkFlag(RecordBuffer& buffer, BookmarkFlag flag) {
    RowOf(buffer).flag = flag;
}

RecordBufferPtr MemoryDataSet::AllocRecordBuffer() { return std::make_unique<RowBuffer>(); }

bool MemoryDataSet::BookmarkValid(const Bookmark& bookmark) {
    return IndexOfId(IdOf(bookmark)) >= 0;
}

bool MemoryDataSet::GetFieldData(const Field& field, FieldValue& value) {
    RecordBuffer* buffer = GetActiveRecordBuffer();
    if (buffer == nullptr || field.FieldNo() < 1) return false;
    const auto& values = RowOf(*buffer).values;
    auto slot = static_cast<std::size_t>(field.FieldNo() - 1);
    if (slot >= values.size() || IsNullValue(values[slot])) return false;
    value = values[slot];
    return true;
}

void MemoryDataSet::SetFieldData(Field& field, const FieldValue& value) {
    CheckFieldCanBeSet(field);
    field.Validate(value);
    RecordBuffer* buffer = GetActiveRecordBuffer();
    if (buffer == nullptr) DatabaseError("Dataset not in edit or insert mode");
    auto& values = RowOf(*buffer).values;
    auto slot = static_cast<std::size_t>(field.FieldNo() - 1);
    if (slot >= values.size()) values.resize(slot + 1);
    if (layout_.keepsText && !IsNullValue(value)) {
        values[slot] = field.FormatValue(value);
    } else {
        values[slot] = value;
    }
    if (State() != dsCalcFields && State() != dsFilter && State() != dsNewValue) {
        DataEvent(deFieldChange, &field);
    }
}

}  // namespace data
