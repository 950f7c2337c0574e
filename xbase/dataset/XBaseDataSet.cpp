#include "xbase/dataset/XBaseDataSet.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <exception>
#include <limits>

#include "data/DataError.h"
#include "data/DataMessages.h"
#include "data/ValueText.h"
#include "platform/DateText.h"
#include "platform/OsFile.h"
#include "platform/Paths.h"
#include "xbase/dataset/AliasList.h"
#include "xbase/dataset/BlobStream.h"
#include "xbase/dataset/FieldDefMapping.h"
#include "xbase/dataset/XBaseDataSetMessages.h"
#include "xbase/file/EngineError.h"
#include "xbase/index/IndexFile.h"
#include "xbase/index/IndexTag.h"
#include "xbase/table/DbfDate.h"

namespace xbase {

namespace {

// Raises the dataset's message; an engine error that caused it travels along as the
// nested exception, so its own message (code, file) is not lost.
[[noreturn]] void RaiseKeepingCause(const std::string& message, std::exception_ptr cause) {
    if (!cause) data::DatabaseError(message);
    try {
        std::rethrow_exception(cause);
    } catch (...) {
        std::throw_with_nested(data::DataError(message));
    }
}

// Points the table's record buffer at a caller's bytes (nullptr: the table's own) for
// the length of a scope, then back at whatever it used before.
class EngineRecordScope {
public:
    EngineRecordScope(DbfFile& table, std::uint8_t* record)
        : table_(table), previous_(table.RecordBuffer()) {
        table_.UseRecordBuffer(record);
    }
    ~EngineRecordScope() { table_.UseRecordBuffer(previous_); }
    EngineRecordScope(const EngineRecordScope&) = delete;
    EngineRecordScope& operator=(const EngineRecordScope&) = delete;

private:
    DbfFile& table_;
    std::uint8_t* previous_;
};

// A date-time field's value in the handler is a time stamp in milliseconds whose day 1
// is 0001-01-01; the framework counts days from 1899-12-30.
constexpr double kMillisecondsPerDay = 86400000.0;
constexpr double kStampDayOfFrameworkEpoch = 693594.0;

double DayCountFromStamp(double stamp) {
    return stamp / kMillisecondsPerDay - kStampDayOfFrameworkEpoch;
}

double StampFromDayCount(double dayCount) {
    return std::round((dayCount + kStampDayOfFrameworkEpoch) * kMillisecondsPerDay);
}

double NumberOf(const data::FieldValue& value) {
    if (auto* d = std::get_if<double>(&value)) return *d;
    if (auto* i = std::get_if<std::int32_t>(&value)) return *i;
    if (auto* b = std::get_if<bool>(&value)) return *b ? 1.0 : 0.0;
    return 0.0;
}

std::int32_t RoundedInteger(double value) {
    double rounded = std::round(value);
    if (!(rounded >= std::numeric_limits<std::int32_t>::min())) {
        return std::numeric_limits<std::int32_t>::min();
    }
    if (rounded > std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(rounded);
}

std::string TrimRight(std::string text) {
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

// Whether the last component of a path has an extension.
bool HasExtension(const std::string& name) {
    std::size_t start = name.find_last_of("\\/:");
    std::size_t dot = name.rfind('.');
    return dot != std::string::npos && (start == std::string::npos || dot > start);
}

// The names of a list separated by ';', blanks around each removed, empty ones skipped.
std::vector<std::string> FieldNames(const std::string& list) {
    std::vector<std::string> names;
    std::string name;
    for (std::size_t i = 0; i <= list.size(); ++i) {
        if (i == list.size() || list[i] == ';') {
            name = TrimRight(name);
            if (!name.empty()) names.push_back(name);
            name.clear();
        } else if (!(name.empty() && list[i] == ' ')) {
            name += list[i];
        }
    }
    return names;
}

bool HasDirectory(const std::string& name) {
    return name.find_first_of("\\/:") != std::string::npos;
}

}  // namespace

XBaseDataSet::XBaseDataSet() = default;

XBaseDataSet::~XBaseDataSet() { CloseFromDestructor(); }

// ---------------------------------------------------------------- properties

std::string XBaseDataSet::About() const { return "taxbridge xBase engine 1.0"; }

void XBaseDataSet::SetAutoFlush(bool on) {
    autoFlush_ = on;
    if (handler_) handler_->SetAutoFlush(on);
}

void XBaseDataSet::SetDatabaseName(const std::string& name) {
    if (name == databaseName_) return;
    std::string stored = AliasList::Global().Register(name);
    CheckInactive();
    databaseName_ = std::move(stored);
}

void XBaseDataSet::SetEncryptionKey(const std::string& key) {
    CheckInactive();
    encryptionKey_ = key;
}

void XBaseDataSet::SetLockProtocol(xbase::LockProtocol protocol) {
    lockProtocol_ = protocol;
    if (handler_) handler_->SetLockProtocol(protocol);
}

bool XBaseDataSet::ReadOnly() const {
    return data::DataSet::ReadOnly() || (handler_ && !handler_->IsReadWrite());
}

void XBaseDataSet::SetTableName(const std::string& name) {
    CheckInactive();
    if (name != tableName_) indexFiles_.clear();
    tableName_ = name;
}

void XBaseDataSet::SetUseDeleted(bool on) {
    useDeleted_ = on;
    if (handler_) handler_->SetUseDeleted(on);
}

void XBaseDataSet::SetUserID(std::int32_t id) {
    userId_ = id;
    if (handler_) handler_->SetUserId(id);
}

std::string XBaseDataSet::TagName(int ordinal) const {
    if (ordinal < 0 || ordinal >= TagCount()) return {};
    return indexDefs_[static_cast<std::size_t>(ordinal)].name;
}

std::string XBaseDataSet::TagExpression(int ordinal) const {
    if (ordinal < 0 || ordinal >= TagCount()) return {};
    return indexDefs_[static_cast<std::size_t>(ordinal)].expression;
}

void XBaseDataSet::SetIgnoreProductionIndex(bool on) {
    ignoreProductionIndex_ = on;
    if (handler_) handler_->SetIgnoreProductionIndex(on);
}

std::string XBaseDataSet::ResolvedDirectory() const {
    return AliasList::Global().Resolve(databaseName_);
}

TextTranslation XBaseDataSet::Translation() const {
    return TextTranslation(translateAscii_, codePage_);
}

// ---------------------------------------------------------------- open and close

std::unique_ptr<DBFObject> XBaseDataSet::OpenTableObject(bool shared, bool writable) {
    if (tableName_.empty()) data::DatabaseError(dsmsg::TableNameMissing);
    if (!HasExtension(tableName_)) tableName_ += ".DBF";
    std::string path = ResolvedDirectory() + tableName_;
    try {
        return std::make_unique<DBFObject>(path, *this, shared, writable, encryptionKey_);
    } catch (const XBaseError& e) {
        // The engine found no such file (or no such directory): the dataset's own words.
        if (e.code() != err::FileNotFound && e.code() != err::PathNotFound) throw;
        RaiseKeepingCause(data::FormatMessage(dsmsg::CannotFindFile, {platform::ExpandPath(path)}),
                          std::current_exception());
    }
}

void XBaseDataSet::InternalOpen() {
    handler_ = OpenTableObject(!exclusive_, !data::DataSet::ReadOnly());
    handler_->SetAutoFlush(autoFlush_);
    handler_->SetUseDeleted(useDeleted_);
    handler_->SetLockProtocol(lockProtocol_);
    handler_->SetUserId(userId_);
    recordLength_ = static_cast<std::size_t>(handler_->RecordLength());

    InternalInitFieldDefs();
    if (DefaultFields()) CreateFields();
    BindFields(true);

    handler_->SetIgnoreProductionIndex(ignoreProductionIndex_);
    if (Filtered()) ApplyEngineFilter(true, Filter(), filterOptions_);
    InternalFirst();
    if (!indexFiles_.empty()) {
        ApplyIndexFiles();
        if (!indexName_.empty()) {
            EngineRecordScope scope(*handler_, nullptr);
            handler_->SelectTag(indexName_, false);
        }
    }
    editing_ = false;
    ApplyMasterRange();
}

void XBaseDataSet::InternalClose() {
    pendingMemos_.clear();
    indexDefs_.clear();
    handler_.reset();
    editing_ = false;
    firstPending_ = lastPending_ = false;
    oldValues_.clear();
}

void XBaseDataSet::InternalInitFieldDefs() {
    FieldDefs().Clear();
    tableFieldNo_.clear();
    std::unique_ptr<DBFObject> temporary;
    DBFObject* table = handler_.get();
    if (table == nullptr) {
        temporary = OpenTableObject(true, false);
        table = temporary.get();
    }
    for (int n = 1; n <= table->FieldCount(); ++n) {
        const FieldDescriptor* field = table->FieldAt(n);
        data::FieldType type = DataSetFieldType(*field, table->Version());
        if (type == data::ftUnknown) continue;
        // Names are stored in the table's code page like its text.
        data::FieldDef& def =
            FieldDefs().Add(Translation().FromOem(field->name), type, DataSetFieldSize(*field));
        def.precision = DataSetFieldPrecision(*field);
        tableFieldNo_.push_back(n);
    }
}

// ---------------------------------------------------------------- rows and buffers

XBaseRecordBuffer& XBaseDataSet::Row(data::RecordBuffer& buffer) const {
    return static_cast<XBaseRecordBuffer&>(buffer);
}

const XBaseRecordBuffer& XBaseDataSet::Row(const data::RecordBuffer& buffer) const {
    return static_cast<const XBaseRecordBuffer&>(buffer);
}

XBaseRecordBuffer* XBaseDataSet::ActiveRow() const {
    data::RecordBuffer* buffer = ActiveBuffer();
    return buffer ? &Row(*buffer) : nullptr;
}

data::RecordBufferPtr XBaseDataSet::AllocRecordBuffer() {
    return std::make_unique<XBaseRecordBuffer>(recordLength_);
}

std::size_t XBaseDataSet::GetRecordSize() const { return recordLength_; }

bool XBaseDataSet::GetCanModify() const { return handler_ == nullptr || handler_->IsReadWrite(); }

data::Bookmark XBaseDataSet::GetBookmarkData(const data::RecordBuffer& buffer) const {
    return Row(buffer).Bookmark();
}

void XBaseDataSet::SetBookmarkData(data::RecordBuffer& buffer, const data::Bookmark& bookmark) {
    Row(buffer).SetBookmark(bookmark);
}

data::BookmarkFlag XBaseDataSet::GetBookmarkFlag(const data::RecordBuffer& buffer) const {
    return Row(buffer).Flag();
}

void XBaseDataSet::SetBookmarkFlag(data::RecordBuffer& buffer, data::BookmarkFlag flag) {
    Row(buffer).SetFlag(flag);
}

std::uint8_t* XBaseDataSet::FieldAccessRecord() {
    XBaseRecordBuffer* active = ActiveRow();
    switch (State()) {
        case data::dsBrowse:
            return IsEmpty() || !active ? nullptr : active->Record();
        case data::dsEdit:
        case data::dsInsert:
        case data::dsNewValue:
            return active ? active->Record() : nullptr;
        case data::dsOldValue:
            if (editing_ && oldValues_.size() == recordLength_) return oldValues_.data();
            return active ? active->Record() : nullptr;
        case data::dsCalcFields:
            return CalcBuffer() ? Row(*CalcBuffer()).Record() : nullptr;
        case data::dsFilter:
            return handler_ ? handler_->RecordBuffer() : nullptr;
        default:
            return nullptr;
    }
}

int XBaseDataSet::TableFieldNo(const data::Field& field) const {
    int fieldNo = field.FieldNo();
    if (fieldNo < 1 || fieldNo > static_cast<int>(tableFieldNo_.size())) return 0;
    return tableFieldNo_[static_cast<std::size_t>(fieldNo - 1)];
}

// ---------------------------------------------------------------- navigation

void XBaseDataSet::MoveTo(std::int32_t code) {
    EngineRecordScope scope(*handler_, nullptr);
    handler_->GoTo(code);
}

void XBaseDataSet::InternalFirst() {
    firstPending_ = true;
    lastPending_ = false;
}

void XBaseDataSet::InternalLast() {
    MoveTo(move::Last);
    lastPending_ = true;
}

data::GetResult XBaseDataSet::GetRecord(data::RecordBuffer& buffer, data::GetMode mode,
                                        bool doCheck) {
    XBaseRecordBuffer& row = Row(buffer);
    data::GetResult result = data::grOK;
    std::exception_ptr engineError;
    try {
        EngineRecordScope scope(*handler_, row.Record());
        switch (mode) {
            case data::gmNext:
                handler_->GoTo(firstPending_ ? move::First : move::Next);
                firstPending_ = lastPending_ = false;
                break;
            case data::gmPrior:
                handler_->GoTo(lastPending_ ? move::Last : move::Prior);
                lastPending_ = false;
                break;
            case data::gmCurrent:
                if (firstPending_ || lastPending_) {
                    result = data::grError;
                } else {
                    handler_->GoTo(move::Reread);
                }
                break;
        }
    } catch (const XBaseError&) {
        engineError = std::current_exception();
        result = data::grError;
    } catch (...) {
        result = data::grError;
    }
    if (result != data::grError) {
        if (handler_->Eof()) {
            result = data::grEOF;
        } else if (handler_->Bof()) {
            result = data::grBOF;
        } else {
            std::int32_t recNo = handler_->CurrentRecord();
            row.SetRecNo(recNo);
            row.SetFlag(data::bfCurrent);
            GetCalcFields(row);
            row.SetBookmark(XBaseRecordBuffer::BookmarkFor(recNo));
        }
    }
    if (result == data::grError && doCheck) RaiseKeepingCause(dsmsg::RecordOutOfRange, engineError);
    return result;
}

int XBaseDataSet::GetRecordCount() {
    if (!handler_) data::DatabaseError(data::msg::DataSetClosed);
    if (!exactCount_) {
        // The count as the file says now: other programs may have appended.
        handler_->RefreshHeader();
        return handler_->RecordCount();
    }
    std::int32_t remembered = handler_->CurrentRecord();
    int count = 0;
    MoveTo(move::First);
    while (!handler_->Eof() && !handler_->Bof()) {
        ++count;
        MoveTo(move::Next);
    }
    if (remembered > 0) MoveTo(remembered);
    CursorPosChanged();
    return count;
}

int XBaseDataSet::GetRecNo() {
    if (!handler_) data::DatabaseError(data::msg::DataSetClosed);
    data::RecordBuffer* buffer = nullptr;
    if (State() == data::dsCalcFields) {
        buffer = CalcBuffer();
    } else if (!IsEmpty()) {
        buffer = ActiveBuffer();
    }
    return buffer ? Row(*buffer).RecNo() : 0;
}

void XBaseDataSet::SetRecNo(int recNo) {
    CheckBrowseMode();
    firstPending_ = lastPending_ = false;
    MoveTo(recNo);
    Resync(data::rmNone);
    DoAfterScroll();
}

void XBaseDataSet::InternalGotoBookmark(const data::Bookmark& bookmark) {
    std::optional<std::int32_t> recNo = XBaseRecordBuffer::RecNoOf(bookmark);
    bool found = recNo && *recNo > 0;
    std::exception_ptr engineError;
    if (found) {
        try {
            firstPending_ = lastPending_ = false;
            MoveTo(*recNo);
            found = !handler_->Eof() && !handler_->Bof();
        } catch (const XBaseError&) {
            engineError = std::current_exception();
            found = false;
        } catch (...) {
            found = false;
        }
    }
    if (!found) RaiseKeepingCause(dsmsg::InvalidBookmark + tableName_, engineError);
}

void XBaseDataSet::InternalSetToRecord(data::RecordBuffer& buffer) {
    std::optional<std::int32_t> recNo = XBaseRecordBuffer::RecNoOf(Row(buffer).Bookmark());
    if (!recNo || *recNo < 1) return;
    firstPending_ = lastPending_ = false;
    MoveTo(*recNo);
}

bool XBaseDataSet::BookmarkValid(const data::Bookmark& bookmark) {
    if (!handler_) return false;
    std::optional<std::int32_t> recNo = XBaseRecordBuffer::RecNoOf(bookmark);
    return recNo && *recNo >= 1 && *recNo <= handler_->RecordCount();
}

bool XBaseDataSet::GetCurrentRecord(data::RecordBuffer& buffer) {
    auto* target = dynamic_cast<XBaseRecordBuffer*>(&buffer);
    XBaseRecordBuffer* active = ActiveRow();
    if (target == nullptr || IsEmpty() || active == nullptr || active->Flag() != data::bfCurrent) {
        return false;
    }
    UpdateCursorPos();
    std::copy_n(handler_->RecordBuffer(), std::min(recordLength_, target->RecordLength()),
                target->Record());
    return true;
}

// ---------------------------------------------------------------- editing

void XBaseDataSet::InternalEdit() {
    XBaseRecordBuffer& row = *ActiveRow();
    EngineRecordScope scope(*handler_, row.Record());
    // The row is read again so that the edit starts from the record as it is in the file.
    handler_->GoTo(row.RecNo());
    if (!handler_->RecordLock()) data::DatabaseError(dsmsg::RecordLocked);
    // Read once more under the lock: another program may have posted in between.
    handler_->RereadCurrent();
    oldValues_.assign(handler_->OldRecord(), handler_->OldRecord() + recordLength_);
    editing_ = true;
}

void XBaseDataSet::InternalInitRecord(data::RecordBuffer& buffer) {
    XBaseRecordBuffer& row = Row(buffer);
    {
        EngineRecordScope scope(*handler_, row.Record());
        handler_->BlankRecord();
    }
    row.SetRecNo(0);
    row.ClearBookmark();
}

void XBaseDataSet::InternalPost() {
    XBaseRecordBuffer& row = *ActiveRow();
    {
        EngineRecordScope scope(*handler_, row.Record());
        WritePendingMemos(row.Record());
        if (State() == data::dsEdit) {
            handler_->ReplaceRecord(row.RecNo());
        } else {
            handler_->AppendRecord();
        }
    }
    handler_->UnlockRegion();
    editing_ = false;
    firstPending_ = lastPending_ = false;
}

void XBaseDataSet::InternalAddRecord(data::RecordBuffer& buffer, bool /*append*/) {
    {
        EngineRecordScope scope(*handler_, Row(buffer).Record());
        WritePendingMemos(Row(buffer).Record());
        handler_->AppendRecord();
    }
    handler_->UnlockRegion();
    editing_ = false;
}

void XBaseDataSet::InternalCancel() {
    pendingMemos_.clear();
    if (handler_) handler_->UnlockRegion();
    editing_ = false;
}

void XBaseDataSet::ChangeDeletionFlag(bool deleted) {
    XBaseRecordBuffer& row = *ActiveRow();
    bool failed = false;
    std::exception_ptr engineError;
    {
        EngineRecordScope scope(*handler_, row.Record());
        handler_->SetUseDeleted(true);
        try {
            // During an edit the row holds unposted values: the flag goes onto the record
            // as the file has it (this dataset holds its lock).
            if (State() == data::dsEdit) handler_->RereadCurrent();
            if (deleted) {
                handler_->DeleteRecord();
            } else {
                handler_->RecallRecord();
            }
        } catch (const XBaseError&) {
            engineError = std::current_exception();
            failed = true;
        } catch (...) {
            failed = true;
        }
        handler_->SetUseDeleted(useDeleted_);
    }
    if (failed) RaiseKeepingCause(deleted ? dsmsg::CannotDelete : dsmsg::CannotRecall, engineError);
}

void XBaseDataSet::InternalDelete() {
    ChangeDeletionFlag(true);
    MoveTo(move::Reread);
    if (handler_->Eof()) {
        MoveTo(move::Prior);
        handler_->SetAtEnd();
    }
}

void XBaseDataSet::Recall() {
    CheckBrowseMode();
    if (IsEmpty()) data::DatabaseError(data::msg::DataSetEmpty);
    UpdateCursorPos();
    ChangeDeletionFlag(false);
    DataEvent(data::deRecordChange);
}

bool XBaseDataSet::RecordDeleted() {
    std::uint8_t* record = FieldAccessRecord();
    return record != nullptr && recordLength_ > 0 && record[0] == kDeletedFlag;
}

void XBaseDataSet::InternalRefresh() {
    XBaseRecordBuffer* row = ActiveRow();
    if (row != nullptr && !IsEmpty() && row->Flag() == data::bfCurrent) {
        EngineRecordScope scope(*handler_, row->Record());
        handler_->GoTo(row->RecNo());
    }
    EngineRecordScope scope(*handler_, nullptr);
    handler_->RebuildFilter();
}

void XBaseDataSet::DoAfterInsert() {
    if (handler_) handler_->SetAtEnd();
    data::DataSet::DoAfterInsert();
}

bool XBaseDataSet::FilterAcceptsEngineRecord() { return RecordFilterAccepts(filterRow_); }

// ---------------------------------------------------------------- field data

bool XBaseDataSet::GetFieldData(const data::Field& field, data::FieldValue& value) {
    value = std::monostate{};
    if (!handler_) return false;
    std::uint8_t* record = FieldAccessRecord();
    int n = TableFieldNo(field);
    if (record == nullptr || n == 0) return false;
    EngineRecordScope scope(*handler_, record);
    if (handler_->FieldIsNull(n)) return false;
    if (handler_->FieldType(n) == 'Q') return !handler_->GetFieldRaw(n).empty();
    switch (field.DataType()) {
        case data::ftString: {
            std::string text = Translation().FromOem(handler_->GetFieldTextView(n));
            if (text.empty()) return false;
            value = std::move(text);
            return true;
        }
        case data::ftSmallint:
        case data::ftInteger:
            value = RoundedInteger(handler_->GetFieldNumber(n));
            return true;
        case data::ftBoolean:
            value = handler_->GetFieldLogical(n);
            return true;
        case data::ftFloat:
            value = handler_->GetFieldNumber(n);
            return true;
        case data::ftDate: {
            std::string raw = TrimRight(handler_->GetFieldRaw(n));
            platform::CivilDate date;
            if (raw.size() != 8 || raw == "00000000" || !DbfDate::ReadStorageDigits(raw, date) ||
                !platform::IsValidDate(date.year, date.month, date.day)) {
                return false;
            }
            value = static_cast<double>(platform::DayCountFromDate(date));
            return true;
        }
        case data::ftDateTime:
            value = DayCountFromStamp(handler_->GetFieldNumber(n));
            return true;
        case data::ftMemo:
        case data::ftBlob: {
            // The field holds the memo's block number; the text itself comes through a
            // blob stream.
            if (const std::string* pending = PendingMemo(n)) return !pending->empty();
            try {
                return handler_->GetFieldNumber(n) != 0.0;
            } catch (const XBaseError&) {
                return false;
            }
        }
        default:
            return false;
    }
}

void XBaseDataSet::SetFieldData(data::Field& field, const data::FieldValue& value) {
    CheckFieldCanBeSet(field);
    if (State() == data::dsSetKey) {
        data::DatabaseErrorFmt(dsmsg::FieldNotIndexed, {field.DisplayLabel()});
    }
    field.Validate(value);
    std::uint8_t* record = FieldAccessRecord();
    int n = TableFieldNo(field);
    if (record == nullptr || n == 0) data::DatabaseError(data::msg::NotEditing);
    {
        EngineRecordScope scope(*handler_, record);
        // A Visual FoxPro column that can hold null takes it; any value clears the flag.
        if (handler_->SetFieldNull(n, data::IsNullValue(value)) && data::IsNullValue(value)) {
            SignalFieldChange(field);
            return;
        }
        if (handler_->FieldType(n) == 'Q') {
            const auto* blob = std::get_if<data::BlobBytes>(&value);
            const auto* text = std::get_if<std::string>(&value);
            handler_->PutFieldRaw(n, blob ? blob->bytes : text ? *text : std::string());
            SignalFieldChange(field);
            return;
        }
        switch (field.DataType()) {
            case data::ftString: {
                const auto* text = std::get_if<std::string>(&value);
                std::size_t width = static_cast<std::size_t>(handler_->FieldLength(n));
                handler_->PutFieldText(n, Translation().ToOem(text ? *text : std::string(), width));
                break;
            }
            case data::ftSmallint:
            case data::ftInteger:
            case data::ftFloat:
                handler_->PutFieldNumber(n, NumberOf(value));
                break;
            case data::ftBoolean: {
                const auto* flag = std::get_if<bool>(&value);
                handler_->PutFieldLogical(n, flag != nullptr && *flag);
                break;
            }
            case data::ftDateTime:
                handler_->PutFieldNumber(
                    n, data::IsNullValue(value) ? 0.0 : StampFromDayCount(NumberOf(value)));
                break;
            case data::ftDate: {
                std::string stored(8, ' ');
                const auto* dayCount = std::get_if<double>(&value);
                if (dayCount != nullptr && data::DayCountInRange(*dayCount)) {
                    platform::CivilDate date = platform::DateFromDayCount(
                        static_cast<std::int64_t>(std::floor(*dayCount)));
                    stored = DbfDate::JulianToStorage(DbfDate::JulianFromDate(date));
                }
                handler_->PutFieldRaw(n, stored);
                break;
            }
            case data::ftMemo:
            case data::ftBlob: {
                // Held until Post writes the memo file. A table whose version keeps no
                // memo file cannot take one.
                if (handler_->Memo() == nullptr) {
                    data::DatabaseErrorFmt(data::msg::FieldReadOnly, {field.DisplayLabel()});
                }
                std::string bytes;
                if (const auto* blob = std::get_if<data::BlobBytes>(&value)) bytes = blob->bytes;
                if (const auto* text = std::get_if<std::string>(&value)) bytes = *text;
                if (field.DataType() == data::ftMemo) bytes = Translation().ToOem(bytes);
                pendingMemos_[n] = std::move(bytes);
                break;
            }
            default:
                data::DatabaseErrorFmt(data::msg::FieldReadOnly, {field.DisplayLabel()});
        }
    }
    SignalFieldChange(field);
}

void XBaseDataSet::SignalFieldChange(data::Field& field) {
    switch (State()) {
        case data::dsCalcFields:
        case data::dsFilter:
        case data::dsNewValue:
        case data::dsSetKey:
            break;
        default:
            DataEvent(data::deFieldChange, &field);
    }
}

// ---------------------------------------------------------------- memo fields

const std::string* XBaseDataSet::PendingMemo(int n) const {
    switch (State()) {
        case data::dsEdit:
        case data::dsInsert:
        case data::dsNewValue:
            break;
        default:
            return nullptr;
    }
    auto it = pendingMemos_.find(n);
    return it == pendingMemos_.end() ? nullptr : &it->second;
}

std::string XBaseDataSet::ReadMemoField(const data::Field& field) {
    if (!handler_) data::DatabaseError(data::msg::DataSetClosed);
    std::uint8_t* record = FieldAccessRecord();
    int n = TableFieldNo(field);
    if (record == nullptr || n == 0) return {};
    std::string stored;
    if (const std::string* pending = PendingMemo(n)) {
        stored = *pending;
    } else {
        EngineRecordScope scope(*handler_, record);
        // Varbinary values stand in the record itself.
        stored = handler_->FieldType(n) == 'Q' ? handler_->GetFieldRaw(n) : handler_->GetMemo(n);
    }
    return field.DataType() == data::ftMemo ? Translation().FromOem(stored) : stored;
}

std::unique_ptr<data::BlobStream> XBaseDataSet::CreateBlobStream(data::Field& field,
                                                                 data::BlobStreamMode mode) {
    if (mode != data::bmRead) CheckFieldCanBeSet(field);
    return std::make_unique<BlobStream>(*this, field, mode);
}

void XBaseDataSet::WritePendingMemos(std::uint8_t* record) {
    if (pendingMemos_.empty()) return;
    EngineRecordScope scope(*handler_, record);
    for (const auto& [n, bytes] : pendingMemos_) handler_->PutMemo(n, bytes);
    pendingMemos_.clear();
}

std::string XBaseDataSet::FieldRawText(const data::Field& field) {
    if (!handler_) data::DatabaseError(data::msg::DataSetClosed);
    std::uint8_t* record = FieldAccessRecord();
    int n = TableFieldNo(field);
    if (record == nullptr || n == 0) return {};
    EngineRecordScope scope(*handler_, record);
    return Translation().FromOem(handler_->GetFieldRaw(n));
}

// ---------------------------------------------------------------- index files and tags

void XBaseDataSet::ApplyIndexFiles() {
    handler_->CloseIndexFiles();
    indexDefs_.clear();
    try {
        for (const std::string& file : indexFiles_) OpenOneIndexFile(file);
    } catch (...) {
        // None of the list stays open: a half-opened list would keep some tags current
        // and leave the others stale.
        handler_->CloseIndexFiles();
        throw;
    }
    RebuildIndexDefs();
}

void XBaseDataSet::OpenOneIndexFile(const std::string& file) {
    std::string name = HasExtension(file) ? file : file + ".NDX";
    if (!HasDirectory(name)) name = ResolvedDirectory() + name;
    const std::string shown = platform::ExpandPath(name);
    if (!platform::FileExists(platform::ResolveHostPath(platform::ExpandFullPath(name)))) {
        data::DatabaseErrorFmt(dsmsg::CannotFindFile, {shown});
    }
    int result = 0;
    try {
        EngineRecordScope scope(*handler_, nullptr);
        result = handler_->OpenIndexFile(name);
    } catch (const XBaseError&) {
        RaiseKeepingCause(data::FormatMessage(dsmsg::ErrorGetting, {shown}),
                          std::current_exception());
    }
    if (result == -1) data::DatabaseErrorFmt(dsmsg::IndexAlreadyOpen, {shown});
    if (result != 0) data::DatabaseErrorFmt(dsmsg::ErrorGetting, {shown});
}

void XBaseDataSet::RebuildIndexDefs() {
    indexDefs_.clear();
    if (!handler_) return;
    for (int n = 1; n <= handler_->TagCount(); ++n) {
        const IndexTag* tag = handler_->TagByOrdinal(n);
        IndexDef def;
        def.name = tag->Name();
        def.expression = tag->KeyExpressionText();
        def.unique = tag->Unique();
        def.descending = tag->Descending();
        def.isExpression = def.expression.find('(') != std::string::npos;
        if (def.isExpression) {
            def.fields = def.expression;
        } else {
            for (char c : def.expression) {
                if (c == '+' || c == '-') {
                    def.fields += ';';
                } else if (c != ' ') {
                    def.fields += c;
                }
            }
        }
        indexDefs_.push_back(std::move(def));
    }
}

void XBaseDataSet::SetIndexFiles(std::vector<std::string> files) {
    indexFiles_ = std::move(files);
    if (indexFiles_.empty()) indexName_.clear();
    // While closed the list is opened with the table.
    if (!handler_) return;
    CheckBrowseMode();
    try {
        ApplyIndexFiles();
    } catch (...) {
        // No index file is open now: the rows follow record numbers again.
        try {
            First();
        } catch (...) {
        }
        throw;
    }
    if (!indexName_.empty()) {
        SetIndexName(indexName_);
    } else {
        First();
    }
}

void XBaseDataSet::SetIndexName(const std::string& name) {
    if (!handler_) {
        indexName_ = name;
        return;
    }
    CheckBrowseMode();
    if (!IsEmpty()) UpdateCursorPos();
    {
        EngineRecordScope scope(*handler_, nullptr);
        handler_->SelectTag(name, true);
    }
    indexName_ = name;
    ApplyMasterRange();
    if (handler_->OutOfScope() || handler_->Eof() || handler_->Bof()) {
        try {
            First();
        } catch (...) {
            // The dataset stays where the tag left it.
        }
    } else {
        firstPending_ = lastPending_ = false;
        Resync(data::rmNone);
    }
    DoAfterScroll();
}

void XBaseDataSet::SetRange(const std::string& low, const std::string& high) {
    if (!handler_) data::DatabaseError(data::msg::DataSetClosed);
    CheckBrowseMode();
    {
        EngineRecordScope scope(*handler_, nullptr);
        handler_->SetRange(Translation().ToOem(low), Translation().ToOem(high));
    }
    First();
}

void XBaseDataSet::CancelRange() {
    if (!handler_) return;
    CheckBrowseMode();
    handler_->ClearRange();
    First();
}

bool XBaseDataSet::IsSequenced() const {
    return handler_ == nullptr || (handler_->CurrentTag() == nullptr && !Filtered());
}

// ---------------------------------------------------------------- filter

void XBaseDataSet::ApplyEngineFilter(bool filtered, const std::string& text, unsigned options) {
    EngineRecordScope scope(*handler_, nullptr);
    // A bad expression raises here, before the engine's filter or this dataset changes.
    if (filtered && !text.empty()) {
        handler_->SetFilter(Translation().ToOem(text), (options & foCaseInsensitive) != 0,
                            (options & foNoPartialCompare) == 0);
    } else {
        handler_->SetFilter({});
    }
    handler_->SetFilterActive(filtered);
}

void XBaseDataSet::SetFiltered(bool filtered) {
    if (filtered != Filtered() && handler_) {
        CheckBrowseMode();
        ApplyEngineFilter(filtered, Filter(), filterOptions_);
    }
    // Goes to the first row that passes when open.
    data::DataSet::SetFiltered(filtered);
}

void XBaseDataSet::SetFilter(std::string filter) {
    if (handler_ && Filtered()) {
        CheckBrowseMode();
        ApplyEngineFilter(true, filter, filterOptions_);
    }
    data::DataSet::SetFilter(std::move(filter));
}

void XBaseDataSet::SetFilterOptions(unsigned options) {
    if (handler_ && Filtered()) {
        CheckBrowseMode();
        ApplyEngineFilter(true, Filter(), options);
        filterOptions_ = options;
        First();
        return;
    }
    filterOptions_ = options;
}

// ---------------------------------------------------------------- master/detail

void XBaseDataSet::SetMasterSource(data::DataSource* source) {
    for (data::DataSource* s = source; s != nullptr;) {
        data::DataSet* dataSet = s->GetDataSet();
        if (dataSet == this) data::DatabaseError(dsmsg::CircularDataLink);
        auto* xbaseSet = dynamic_cast<XBaseDataSet*>(dataSet);
        s = xbaseSet != nullptr ? xbaseSet->MasterSource() : nullptr;
    }
    masterSource_ = source;
    masterLink_.SetDataSource(source);
    if (handler_) MasterChanged();
}

void XBaseDataSet::SetMasterFields(const std::string& fields) {
    masterFields_ = fields;
    if (handler_) MasterChanged();
}

void XBaseDataSet::MasterChanged() {
    if (!handler_ || masterSource_ == nullptr || masterFields_.empty()) return;
    data::DataSet* master = masterSource_->GetDataSet();
    if (master == nullptr || !master->Active()) return;
    // While the master inserts, its new row has no key yet: the range stays.
    if (master->State() == data::dsInsert) return;
    CheckBrowseMode();
    ApplyMasterRange();
    First();
}

void XBaseDataSet::ApplyMasterRange() {
    if (!handler_ || masterSource_ == nullptr || masterFields_.empty()) return;
    data::DataSet* master = masterSource_->GetDataSet();
    if (master == nullptr || !master->Active() || master->IsEmpty()) return;
    IndexTag* tag = handler_->CurrentTag();
    if (tag == nullptr) data::DatabaseErrorFmt(dsmsg::MasterNoIndex, {tableName_});
    const std::vector<std::string> masterNames = FieldNames(masterFields_);
    // The detail's key fields: the table's fields named in the key expression, in order.
    std::vector<std::string> keyFields;
    {
        const std::string& expression = tag->KeyExpressionText();
        std::string word;
        for (std::size_t i = 0; i <= expression.size(); ++i) {
            const char c = i < expression.size() ? expression[i] : ' ';
            if (std::isalnum(static_cast<unsigned char>(c)) || c == '_') {
                word += c;
                continue;
            }
            if (!word.empty() && c != '(' && handler_->FieldNumber(word) > 0)
                keyFields.push_back(word);
            word.clear();
        }
    }
    if (keyFields.size() < masterNames.size())
        data::DatabaseErrorFmt(dsmsg::MasterFieldMismatch, {tableName_});
    std::vector<std::optional<std::string>> values;
    std::string list;
    for (std::size_t i = 0; i < masterNames.size(); ++i) {
        values.push_back(Translation().ToOem(master->FieldByName(masterNames[i]).AsString()));
        list += (i == 0 ? "" : ";") + keyFields[i];
    }
    std::vector<std::uint8_t> scratch(recordLength_ + 1, ' ');
    handler_->BuildRecordImage(scratch.data(), list, values, false);
    KeyValue raw;
    IndexKey key;
    {
        EngineRecordScope scope(*handler_, scratch.data());
        raw = tag->KeyExpression()->Evaluate();
        key = tag->ConvertKey(raw);
    }
    if (keyFields.size() == masterNames.size()) {
        tag->SetRange(key, key, false);
        return;
    }
    // Fewer master fields than key fields: the keys that begin with the master's part.
    // For a key made of fields alone that part has a known width, so the range is that
    // part with the blanks it is stored with ("C1" must not take "C10"): from the part
    // itself to the part followed by the greatest byte.
    const bool plainFields = tag->KeyType() == 'C' && raw.type == 'C' &&
                             tag->KeyExpressionText().find_first_of("(-") == std::string::npos;
    std::size_t width = 0;
    for (std::size_t i = 0; i < masterNames.size(); ++i) {
        width +=
            static_cast<std::size_t>(handler_->FieldLength(handler_->FieldNumber(keyFields[i])));
    }
    if (!plainFields || width > raw.text.size()) {
        tag->SetRange(key, key, true);
        return;
    }
    KeyValue part = raw;
    part.text.resize(width);
    IndexKey low = tag->ConvertKey(part);
    IndexKey high = IndexKey::Text(part.text + std::string(8, '\xFF'));
    if (tag->Descending()) std::swap(low, high);
    tag->SetRange(low, high, false);
}

// ---------------------------------------------------------------- locate and lookup

std::int32_t XBaseDataSet::PrepareSearch() {
    if (!handler_) data::DatabaseError(data::msg::DataSetClosed);
    CheckBrowseMode();
    UpdateCursorPos();
    return handler_->CurrentRecord();
}

std::vector<std::string> XBaseDataSet::OemValues(const std::vector<std::string>& values) const {
    std::vector<std::string> oem;
    for (const std::string& v : values) oem.push_back(Translation().ToOem(v));
    return oem;
}

bool XBaseDataSet::Locate(const std::string& fields, const std::vector<std::string>& values,
                          unsigned options) {
    const std::int32_t remembered = PrepareSearch();
    const std::vector<std::string> oem = OemValues(values);
    bool found = false;
    {
        EngineRecordScope scope(*handler_, nullptr);
        found = handler_->LocateRecord(fields, oem, (options & loPartialKey) != 0,
                                       (options & loCaseInsensitive) != 0);
    }
    if (found) {
        DoBeforeScroll();
        firstPending_ = lastPending_ = false;
        Resync(data::rmExact | data::rmCenter);
        DoAfterScroll();
    } else if (remembered > 0) {
        MoveTo(remembered);
    }
    return found;
}

std::optional<std::vector<std::string>> XBaseDataSet::Lookup(const std::string& fields,
                                                             const std::vector<std::string>& values,
                                                             const std::string& resultFields) {
    const std::int32_t remembered = PrepareSearch();
    const std::vector<std::string> oem = OemValues(values);
    std::optional<std::vector<std::string>> result;
    {
        EngineRecordScope scope(*handler_, nullptr);
        if (handler_->LocateRecord(fields, oem, false, false)) {
            std::vector<std::string> texts;
            for (const std::string& name : FieldNames(resultFields)) {
                texts.push_back(Translation().FromOem(handler_->GetFieldText(name)));
            }
            result = std::move(texts);
        }
        if (remembered > 0) handler_->GoTo(remembered);
    }
    return result;
}

}  // namespace xbase
