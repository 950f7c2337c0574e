#include "MemDataSet.h"

#include <algorithm>
#include <cstdio>

#include "data/DataError.h"

namespace datatest {

using namespace data;

namespace {

struct MemBuffer : RecordBuffer {
    std::vector<FieldValue> values;
    int id = 0;
    BookmarkFlag flag = bfCurrent;
    Bookmark bookmark;
};

MemBuffer& Mem(RecordBuffer& buffer) { return static_cast<MemBuffer&>(buffer); }
const MemBuffer& Mem(const RecordBuffer& buffer) { return static_cast<const MemBuffer&>(buffer); }

Bookmark BookmarkOf(int id) {
    char text[16];
    std::snprintf(text, sizeof text, "%010d", id);
    return text;
}

}  // namespace

MemDataSet::MemDataSet(std::vector<FieldDef> defs, bool textStore)
    : defs_(std::move(defs)), textStore_(textStore) {}

MemDataSet::~MemDataSet() { CloseFromDestructor(); }

void MemDataSet::AddRow(std::vector<FieldValue> values) {
    values.resize(defs_.size());
    rows_.push_back({nextId_++, std::move(values)});
}

void MemDataSet::InternalOpen() {
    InternalInitFieldDefs();
    if (DefaultFields()) CreateFields();
    BindFields(true);
    open_ = true;
    InternalFirst();
}

void MemDataSet::InternalClose() { open_ = false; }

void MemDataSet::InternalInitFieldDefs() {
    FieldDefs().Clear();
    for (const auto& def : defs_) FieldDefs().Add(def.name, def.dataType, def.size, def.required);
}

int MemDataSet::IndexOfId(int id) const {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].id == id) return static_cast<int>(i);
    }
    return -1;
}

int MemDataSet::IdOf(const Bookmark& bookmark) {
    return bookmark.empty() ? 0 : std::stoi(bookmark);
}

bool MemDataSet::Accepts(int index, RecordBuffer& buffer) {
    MemBuffer& mem = Mem(buffer);
    mem.values = rows_[static_cast<std::size_t>(index)].values;
    mem.id = rows_[static_cast<std::size_t>(index)].id;
    return RecordFilterAccepts(buffer);
}

GetResult MemDataSet::GetRecord(RecordBuffer& buffer, GetMode mode, bool doCheck) {
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
    if (result == grError && doCheck) DatabaseError("Record request beyond range of table");
    if (result != grOK) return result;
    MemBuffer& mem = Mem(buffer);
    mem.values = rows_[static_cast<std::size_t>(cursor_)].values;
    mem.id = rows_[static_cast<std::size_t>(cursor_)].id;
    mem.flag = bfCurrent;
    mem.bookmark = BookmarkOf(mem.id);
    GetCalcFields(buffer);
    return grOK;
}

int MemDataSet::GetRecNo() {
    RecordBuffer* buffer = GetActiveRecordBuffer();
    if (buffer == nullptr) return 0;
    return IndexOfId(Mem(*buffer).id) + 1;
}

void MemDataSet::SetRecNo(int recNo) {
    CheckBrowseMode();
    if (recNo < 1 || recNo > static_cast<int>(rows_.size())) return;
    DoBeforeScroll();
    cursor_ = recNo - 1;
    Resync(rmNone);
    DoAfterScroll();
}

void MemDataSet::InternalEdit() {
    MemBuffer& active = Mem(*ActiveBuffer());
    if (lockedIds.count(active.id) != 0) DatabaseError("Record is locked by another user");
    int index = IndexOfId(active.id);
    if (index >= 0) active.values = rows_[static_cast<std::size_t>(index)].values;
    auto old = std::make_unique<MemBuffer>(active);
    oldValues_ = std::move(old);
}

void MemDataSet::InternalInitRecord(RecordBuffer& buffer) {
    MemBuffer& mem = Mem(buffer);
    mem.values.assign(defs_.size(), {});
    mem.id = 0;
    mem.bookmark.clear();
}

void MemDataSet::InternalPost() {
    MemBuffer& active = Mem(*ActiveBuffer());
    if (State() == dsEdit) {
        int index = IndexOfId(active.id);
        if (index < 0) DatabaseError("Record not found");
        rows_[static_cast<std::size_t>(index)].values = active.values;
        cursor_ = index;
        oldValues_.reset();
        return;
    }
    Row row{nextId_++, active.values};
    int at = static_cast<int>(rows_.size());
    if (active.flag == bfBOF) {
        at = 0;
    } else if (active.flag == bfInserted) {
        int before = IndexOfId(IdOf(active.bookmark));
        if (before >= 0) at = before;
    }
    rows_.insert(rows_.begin() + at, std::move(row));
    cursor_ = at;
}

void MemDataSet::InternalAddRecord(RecordBuffer& buffer, bool append) {
    int at = append ? static_cast<int>(rows_.size())
                    : std::clamp(cursor_, 0, static_cast<int>(rows_.size()));
    rows_.insert(rows_.begin() + at, Row{nextId_++, Mem(buffer).values});
    cursor_ = at;
}

void MemDataSet::InternalCancel() {
    ++cancels;
    oldValues_.reset();
}

void MemDataSet::InternalDelete() {
    int index = IndexOfId(Mem(*ActiveBuffer()).id);
    if (index < 0) DatabaseError("Record not found");
    rows_.erase(rows_.begin() + index);
    // The next record moves into the deleted one's place; at the end, the previous one.
    cursor_ = std::min(index, static_cast<int>(rows_.size()) - 1);
}

void MemDataSet::InternalGotoBookmark(const Bookmark& bookmark) {
    int index = IndexOfId(IdOf(bookmark));
    if (index < 0) DatabaseError("Bookmark not found");
    cursor_ = index;
}

void MemDataSet::InternalSetToRecord(RecordBuffer& buffer) {
    const MemBuffer& mem = Mem(buffer);
    int id = mem.flag == bfInserted ? IdOf(mem.bookmark) : mem.id;
    int index = IndexOfId(id);
    if (index >= 0) cursor_ = index;
}

Bookmark MemDataSet::GetBookmarkData(const RecordBuffer& buffer) const {
    return Mem(buffer).bookmark;
}

void MemDataSet::SetBookmarkData(RecordBuffer& buffer, const Bookmark& bookmark) {
    Mem(buffer).bookmark = bookmark;
}

BookmarkFlag MemDataSet::GetBookmarkFlag(const RecordBuffer& buffer) const {
    return Mem(buffer).flag;
}

void MemDataSet::SetBookmarkFlag(RecordBuffer& buffer, BookmarkFlag flag) {
    Mem(buffer).flag = flag;
}

RecordBufferPtr MemDataSet::AllocRecordBuffer() { return std::make_unique<MemBuffer>(); }

RecordBuffer* MemDataSet::GetActiveRecordBuffer() {
    if (State() == dsOldValue && oldValues_) return oldValues_.get();
    return DataSet::GetActiveRecordBuffer();
}

bool MemDataSet::BookmarkValid(const Bookmark& bookmark) { return IndexOfId(IdOf(bookmark)) >= 0; }

bool MemDataSet::GetFieldData(const Field& field, FieldValue& value) {
    RecordBuffer* buffer = GetActiveRecordBuffer();
    if (buffer == nullptr || field.FieldNo() < 1) return false;
    const auto& values = Mem(*buffer).values;
    auto slot = static_cast<std::size_t>(field.FieldNo() - 1);
    if (slot >= values.size() || IsNullValue(values[slot])) return false;
    value = values[slot];
    return true;
}

void MemDataSet::SetFieldData(Field& field, const FieldValue& value) {
    CheckFieldCanBeSet(field);
    field.Validate(value);
    RecordBuffer* buffer = GetActiveRecordBuffer();
    if (buffer == nullptr) DatabaseError("Dataset not in edit or insert mode");
    auto& values = Mem(*buffer).values;
    auto slot = static_cast<std::size_t>(field.FieldNo() - 1);
    if (slot >= values.size()) values.resize(slot + 1);
    if (textStore_ && !IsNullValue(value)) {
        values[slot] = field.FormatValue(value);
    } else {
        values[slot] = value;
    }
    if (State() != dsCalcFields && State() != dsFilter && State() != dsNewValue) {
        DataEvent(deFieldChange, &field);
    }
}

std::unique_ptr<MemDataSet> MakeNumbered(int rows, bool textStore) {
    std::vector<FieldDef> defs(3);
    defs[0].name = "ID";
    defs[0].dataType = ftInteger;
    defs[1].name = "NAME";
    defs[1].dataType = ftString;
    defs[1].size = 10;
    defs[2].name = "PRICE";
    defs[2].dataType = ftFloat;
    auto dataSet = std::make_unique<MemDataSet>(defs, textStore);
    for (int i = 1; i <= rows; ++i) {
        dataSet->AddRow({std::int32_t{i}, "n" + std::to_string(i), i * 1.5});
    }
    return dataSet;
}

std::vector<std::string> Names(DataSet& dataSet) {
    std::vector<std::string> names;
    dataSet.First();
    while (!dataSet.Eof()) {
        names.push_back(dataSet.FieldByName("NAME").AsString());
        dataSet.Next();
    }
    return names;
}

}  // namespace datatest
