#include "xbase/cursor/DbfFields.h"

#include <algorithm>
#include <cstring>

#include "xbase/file/EngineError.h"
#include "xbase/file/NameText.h"
#include "xbase/memo/MemoFactory.h"

namespace xbase {

namespace {

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

}  // namespace

DbfFields::DbfFields(const std::string& name, bool shared, bool writable, const std::string& key)
    : DbfFile(name, shared, writable, key) {
    marks_.assign(static_cast<std::size_t>(FieldCount()) + 1, 0);
}

DbfFields::~DbfFields() = default;

// ---------------------------------------------------------------- memo fields

MemoFile* DbfFields::Memo() {
    if (memo_ != nullptr) return memo_.get();
    bool hasMemoFields = false;
    for (const FieldDescriptor& field : Fields()) {
        if (IsMemoFieldType(field.type, Version())) hasMemoFields = true;
    }
    MemoOptions options;
    options.tableName = DisplayPath();
    options.tableVersion = Version();
    options.shared = IsShared();
    options.readWrite = IsReadWrite();
    options.lockProtocol = LockProtocolValue();
    try {
        memo_ = OpenMemoFile(MemoKindFor(Version(), TableFlags(), hasMemoFields), options);
    } catch (...) {
        SetLastError(LastEngineFileError());  // the memo's failure is the table's too
        throw;
    }
    return memo_.get();
}

template <typename Op>
auto DbfFields::WithMemo(MemoFile& memo, Op op) {
    try {
        return op(memo);
    } catch (...) {
        SetLastError(memo.LastError());  // the memo's failure is the table's too
        throw;
    }
}

std::int32_t DbfFields::MemoBlock(int n) {
    double block = GetFieldNumber(n);
    if (!(block >= 0.0 && block <= 2147483647.0)) return -1;
    return static_cast<std::int32_t>(block);
}

std::string DbfFields::GetMemo(int n) {
    const FieldDescriptor* field = FieldAt(n);
    if (field == nullptr || !IsMemoFieldType(field->type, Version())) return {};
    MemoFile* memo = Memo();
    if (memo == nullptr) return {};
    std::int32_t block = MemoBlock(n);
    if (block == 0) return {};
    return WithMemo(*memo, [block](MemoFile& m) { return m.ReadMemoText(block); });
}

std::uint32_t DbfFields::GetMemoSize(int n) {
    const FieldDescriptor* field = FieldAt(n);
    if (field == nullptr || !IsMemoFieldType(field->type, Version())) return 0;
    MemoFile* memo = Memo();
    if (memo == nullptr) return 0;
    std::int32_t block = MemoBlock(n);
    if (block == 0) return 0;
    return WithMemo(*memo, [block](MemoFile& m) { return m.MemoSize(block); });
}

bool DbfFields::PutMemo(int n, std::string_view text) {
    const FieldDescriptor* field = FieldAt(n);
    if (field == nullptr) return false;
    if (!IsMemoFieldType(field->type, Version())) {
        ReportEngineError(err::FieldTypeIncorrect, sub::FieldType, field->name);
        return false;
    }
    MemoFile* memo = Memo();
    if (memo == nullptr) {  // the table's version keeps no memo file
        ReportEngineError(err::FieldTypeIncorrect, sub::FieldType, field->name);
        return false;
    }
    std::int32_t block = MemoBlock(n);
    if (block < 0) block = 0;  // an unreadable reference is replaced, never followed
    // A block number the field cannot hold is refused before anything is written, so that
    // no memo is left in the file without a record pointing at it.
    if (!text.empty() && !FieldCodec::IsBinary(field->type, Version())) {
        const double highest = static_cast<double>(
            std::max<std::uint64_t>(static_cast<std::uint64_t>(block), memo->HighestNewBlock()));
        std::string formatted;
        FieldCodec::FormatNumber(highest, 0, field->decimals, formatted);
        if (formatted.size() > static_cast<std::size_t>(field->length)) {
            ReportEngineError(err::NumberTooLarge, sub::NumberWrite,
                              field->name + " - " + formatted);
            return false;
        }
    }
    WithMemo(*memo, [text, &block](MemoFile& m) { return m.WriteMemo(text, block); });
    // No memo: blanks, as other programs write it, where the number is stored as text.
    if (block == 0 && !IsVisualFoxVersion(Version())) return PutFieldRaw(n, "");
    return PutFieldNumber(n, block);
}

bool DbfFields::DiskRename(const std::string& newName) {
    // The memo file is found by the table's present name, so it is opened first.
    MemoFile* memo = Memo();
    if (!DbfFile::DiskRename(newName)) return false;
    return memo == nullptr ||
           WithMemo(*memo, [this](MemoFile& m) { return m.RenameWithTable(DisplayPath()); });
}

void DbfFields::FlushMemo() {
    if (memo_ != nullptr) WithMemo(*memo_, [](MemoFile& m) { m.DiskFlush(); });
}

void DbfFields::PassLockProtocolToMemo(LockProtocol protocol) {
    if (memo_ != nullptr) memo_->SetLockProtocol(protocol);
}

// ---------------------------------------------------------------- movement

void DbfFields::GoTo(std::int32_t code) {
    DbfFile::GoTo(code);
    ClearChangedMarks();
}

void DbfFields::ClearChangedMarks() {
    std::fill(marks_.begin(), marks_.end(), std::uint8_t{0});
    recordChanged_ = false;
}

bool DbfFields::FieldChanged(int n) const {
    return n >= 0 && static_cast<std::size_t>(n) < marks_.size() &&
           marks_[static_cast<std::size_t>(n)] != 0;
}

// ---------------------------------------------------------------- lookup

const FieldDescriptor* DbfFields::LookupField(std::string_view name) {
    std::string_view wanted = TrimTrailingBlanks(name);
    // A descriptor holds at most 11 name bytes: a longer name can never match.
    if (wanted.size() <= 11) {
        for (const FieldDescriptor& f : Fields()) {
            if (SameName(f.name, wanted)) {
                lastField_ = &f;
                return &f;
            }
        }
    }
    ReportEngineError(err::FieldNameInvalid, sub::FieldName,
                      DisplayPath() + "->" + std::string(name));
    return nullptr;
}

int DbfFields::FieldNumber(std::string_view name) const {
    std::string_view wanted = TrimTrailingBlanks(name);
    for (const FieldDescriptor& f : Fields()) {
        if (SameName(f.name, wanted)) return f.number;
    }
    return 0;
}

std::string DbfFields::FieldName(int n) const {
    const FieldDescriptor* f = FieldAt(n);
    return f != nullptr ? f->name : std::string();
}

char DbfFields::FieldType(int n) const {
    const FieldDescriptor* f = FieldAt(n);
    return f != nullptr ? f->type : '\0';
}

int DbfFields::FieldLength(int n) const {
    const FieldDescriptor* f = FieldAt(n);
    return f != nullptr ? f->length : 0;
}

int DbfFields::FieldDecimals(int n) const {
    const FieldDescriptor* f = FieldAt(n);
    return f != nullptr ? f->decimals : 0;
}

int DbfFields::FieldOffset(int n) const {
    const FieldDescriptor* f = FieldAt(n);
    return f != nullptr ? f->offset : 0;
}

bool DbfFields::CheckFieldType(std::string_view name, char wanted) {
    const FieldDescriptor* f = LookupField(name);
    if (f == nullptr) return false;
    return FieldCodec::CheckFieldType(*f, wanted, name);
}

const FieldDescriptor* DbfFields::TypedField(std::string_view name, char wanted) {
    const FieldDescriptor* f = LookupField(name);
    if (f == nullptr || !FieldCodec::CheckFieldType(*f, wanted, name)) return nullptr;
    return f;
}

// ---------------------------------------------------------------- values by number

std::string DbfFields::GetFieldRaw(int n) {
    const FieldDescriptor* f = Field(n);
    return f != nullptr ? FieldCodec::GetRaw(*f, RecordBuffer()) : std::string();
}

bool DbfFields::PutFieldRaw(int n, std::string_view text) {
    const FieldDescriptor* f = Field(n);
    if (f == nullptr || !FieldCodec::PutRaw(*f, RecordBuffer(), text)) return false;
    MarkChanged(n);
    return true;
}

std::string DbfFields::GetFieldText(int n) {
    std::string out;
    GetFieldText(n, out);
    return out;
}

void DbfFields::GetFieldText(int n, std::string& out) {
    const FieldDescriptor* f = Field(n);
    if (f == nullptr) {
        out.clear();
        return;
    }
    FieldCodec::GetText(*f, RecordBuffer(), Context(), out);
}

bool DbfFields::PutFieldText(int n, std::string_view text) {
    const FieldDescriptor* f = Field(n);
    if (f == nullptr || !FieldCodec::PutText(*f, RecordBuffer(), Context(), text)) return false;
    MarkChanged(n);
    return true;
}

double DbfFields::GetFieldNumber(int n) {
    const FieldDescriptor* f = Field(n);
    return f != nullptr ? FieldCodec::GetNumber(*f, RecordBuffer(), Context()) : 0.0;
}

bool DbfFields::PutFieldNumber(int n, double value) {
    const FieldDescriptor* f = Field(n);
    if (f == nullptr || !FieldCodec::PutNumber(*f, RecordBuffer(), Context(), value)) {
        return false;
    }
    MarkChanged(n);
    return true;
}

bool DbfFields::FieldIsNull(int n) {
    const FieldDescriptor* f = Field(n);
    return f != nullptr && FieldCodec::IsNull(*f, RecordBuffer(), Context());
}

bool DbfFields::SetFieldNull(int n, bool null) {
    const FieldDescriptor* f = Field(n);
    if (f == nullptr || f->nullBit < 0) return false;
    FieldCodec::SetNull(*f, RecordBuffer(), null);
    MarkChanged(n);
    return true;
}

std::int32_t DbfFields::GetFieldDate(int n) {
    const FieldDescriptor* f = Field(n);
    return f != nullptr ? FieldCodec::GetDate(*f, RecordBuffer(), Context()) : 0;
}

bool DbfFields::PutFieldDate(int n, std::int32_t julian) {
    const FieldDescriptor* f = Field(n);
    if (f == nullptr || !FieldCodec::PutDate(*f, RecordBuffer(), julian)) return false;
    MarkChanged(n);
    return true;
}

bool DbfFields::GetFieldLogical(int n) {
    const FieldDescriptor* f = Field(n);
    return f != nullptr && FieldCodec::GetLogical(*f, RecordBuffer());
}

bool DbfFields::PutFieldLogical(int n, bool flag) {
    const FieldDescriptor* f = Field(n);
    if (f == nullptr || !FieldCodec::PutLogical(*f, RecordBuffer(), flag)) return false;
    MarkChanged(n);
    return true;
}

// ---------------------------------------------------------------- values by name

std::string DbfFields::GetFieldRaw(std::string_view name) {
    const FieldDescriptor* f = LookupField(name);
    return f != nullptr ? GetFieldRaw(f->number) : std::string();
}

bool DbfFields::PutFieldRaw(std::string_view name, std::string_view text) {
    const FieldDescriptor* f = LookupField(name);
    return f != nullptr && PutFieldRaw(f->number, text);
}

std::string DbfFields::GetFieldText(std::string_view name) {
    const FieldDescriptor* f = LookupField(name);
    return f != nullptr ? GetFieldText(f->number) : std::string();
}

bool DbfFields::PutFieldText(std::string_view name, std::string_view text) {
    const FieldDescriptor* f = LookupField(name);
    return f != nullptr && PutFieldText(f->number, text);
}

double DbfFields::GetFieldNumber(std::string_view name) {
    const FieldDescriptor* f = TypedField(name, 'N');
    return f != nullptr ? GetFieldNumber(f->number) : 0.0;
}

bool DbfFields::PutFieldNumber(std::string_view name, double value) {
    const FieldDescriptor* f = TypedField(name, 'N');
    return f != nullptr && PutFieldNumber(f->number, value);
}

std::int32_t DbfFields::GetFieldDate(std::string_view name) {
    const FieldDescriptor* f = TypedField(name, 'D');
    return f != nullptr ? GetFieldDate(f->number) : 0;
}

bool DbfFields::PutFieldDate(std::string_view name, std::int32_t julian) {
    const FieldDescriptor* f = TypedField(name, 'D');
    return f != nullptr && PutFieldDate(f->number, julian);
}

bool DbfFields::GetFieldLogical(std::string_view name) {
    const FieldDescriptor* f = TypedField(name, 'L');
    return f != nullptr && GetFieldLogical(f->number);
}

bool DbfFields::PutFieldLogical(std::string_view name, bool flag) {
    const FieldDescriptor* f = TypedField(name, 'L');
    return f != nullptr && PutFieldLogical(f->number, flag);
}

// ---------------------------------------------------------------- records

void DbfFields::BlankRecord() {
    FieldCodec::BlankRecord(RecordBuffer(), static_cast<std::size_t>(RecordLength()), Fields(),
                            Context());
    std::fill(marks_.begin(), marks_.end(), std::uint8_t{1});
    recordChanged_ = true;
    Notify(event::RecordBlanked, CurrentRecord());
}

void DbfFields::DeleteRecord() { ChangeDeletionFlag(kDeletedFlag); }

void DbfFields::RecallRecord() { ChangeDeletionFlag(kLiveFlag); }

void DbfFields::ChangeDeletionFlag(std::uint8_t flag) {
    const std::int32_t n = CurrentRecord();
    if (n > RecordCount()) RefreshHeader();
    if (n < 1 || n > RecordCount()) {
        ReportError(err::BeyondEof, sub::RecordRead);
        return;
    }
    std::uint64_t offset = 0;
    const bool held = FileLocked() || (RecordLockOffset(n, offset) && HoldsRegion(offset, 1));
    const bool heldInSet = !held && HoldsRecordLock(n);
    if (!held && !heldInSet) {
        if (!RecordLock()) {
            // Writing without the lock could overwrite another program's edit.
            ReportError(err::LockViolation, sub::DiskWrite);
            return;
        }
    }
    const bool lockedHere = !held && !heldInSet;
    try {
        if (!held) {
            // Another program may have changed the record since it was read.
            if (!ReadRecord(n, true)) {
                if (lockedHere) Unlock();
                return;
            }
            ClearChangedMarks();
        }
        if (RecordBuffer()[0] != flag) {
            RecordBuffer()[0] = flag;
            MarkChanged(0);
            ReplaceRecord(n);
        }
    } catch (...) {
        if (lockedHere) Unlock();
        throw;
    }
    if (lockedHere) Unlock();
}

void DbfFields::BuildRecordImage(std::uint8_t* buffer, std::string_view fieldList,
                                 std::span<const std::optional<std::string>> values,
                                 bool valuesAreArray) {
    FieldCodec::BuildRecordImage(buffer, static_cast<std::size_t>(RecordLength()), Fields(),
                                 Context(), fieldList, values, valuesAreArray,
                                 [this](std::string_view name) { return LookupField(name); });
}

}  // namespace xbase
