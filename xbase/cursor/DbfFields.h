// The field layer of a table: fields by number or name, their values in the current
// record buffer through the conversions of FieldCodec, the changed marks, blank records,
// deletion flags and record images built in a caller's buffer.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/table/DbfFile.h"
#include "xbase/table/FieldCodec.h"

namespace xbase {

class MemoFile;

class DbfFields : public DbfFile {
public:
    // Opens the table as DbfFile does (same reports); the memo file is opened on the
    // first memo access and owned by this table, which passes it its name, modes and lock
    // protocol. A memo failure is reported with the memo file's path and becomes this
    // table's last error as well.
    DbfFields(const std::string& name, bool shared, bool writable, const std::string& key = {});
    ~DbfFields() override;

    // Movement clears the changed marks.
    void GoTo(std::int32_t code) override;

    // Fills the record buffer as an empty record: spaces, numeric fields zero, all marks set.
    virtual void BlankRecord();
    // Sets or clears the deletion flag of the current record and rewrites it. The record
    // lock is taken around the change (unless this table already holds it or the file
    // lock) and the record is read again under it; a refused lock is error 33.
    virtual void DeleteRecord();
    virtual void RecallRecord();

    // The field of that name (trailing blanks ignored, any letter case); error 1003 when
    // there is none.
    const FieldDescriptor* LookupField(std::string_view name);
    // 0 when there is no such field (no error).
    int FieldNumber(std::string_view name) const;
    // The field with number n (from 1), nullptr outside 1..FieldCount().
    const FieldDescriptor* FieldAt(int n) const {
        if (n < 1 || n > FieldCount()) return nullptr;
        return &Fields()[static_cast<std::size_t>(n - 1)];
    }
    std::string FieldName(int n) const;
    char FieldType(int n) const;
    int FieldLength(int n) const;
    int FieldDecimals(int n) const;
    int FieldOffset(int n) const;
    // The field last looked up by name or number.
    const FieldDescriptor* LastField() const { return lastField_; }

    // Values by field number; numbers outside the table give the empty result, no error.
    std::string GetFieldRaw(int n);
    bool PutFieldRaw(int n, std::string_view text);
    std::string GetFieldText(int n);
    // Same, into a string whose storage is reused (no allocation per read in scans).
    void GetFieldText(int n, std::string& out);
    // Same without a copy: a view valid until the next read of a field's text or the next
    // change of the record buffer (movement, Put…). Scans read every field through this.
    std::string_view GetFieldTextView(int n) {
        const FieldDescriptor* f = Field(n);
        return f != nullptr ? FieldCodec::TextView(*f, RecordBuffer(), Context(), textScratch_)
                            : std::string_view();
    }
    bool PutFieldText(int n, std::string_view text);
    double GetFieldNumber(int n);
    bool PutFieldNumber(int n, double value);
    std::int32_t GetFieldDate(int n);
    bool PutFieldDate(int n, std::int32_t julian);
    bool GetFieldLogical(int n);
    bool PutFieldLogical(int n, bool flag);
    // Whether field n holds no value (a Visual FoxPro null flag, a blank date-time).
    bool FieldIsNull(int n);
    // Sets or clears field n's null flag; false when the field has none.
    bool SetFieldNull(int n, bool null);

    // Values by field name; the number, date and logical forms check the field's type.
    std::string GetFieldRaw(std::string_view name);
    bool PutFieldRaw(std::string_view name, std::string_view text);
    std::string GetFieldText(std::string_view name);
    bool PutFieldText(std::string_view name, std::string_view text);
    double GetFieldNumber(std::string_view name);
    bool PutFieldNumber(std::string_view name, double value);
    std::int32_t GetFieldDate(std::string_view name);
    bool PutFieldDate(std::string_view name, std::int32_t julian);
    bool GetFieldLogical(std::string_view name);
    bool PutFieldLogical(std::string_view name, bool flag);

    // Error 1004 unless the field's type is (or stands in for) `wanted`.
    bool CheckFieldType(std::string_view name, char wanted);

    // Memo, binary and general fields keep their contents in the memo file beside the
    // table, opened on the first access; the record holds the first block's number.
    // The memo file, nullptr when the table's version carries none.
    MemoFile* Memo();
    // The memo of field n in the record buffer ("" for none or a field that keeps none).
    std::string GetMemo(int n);
    std::uint32_t GetMemoSize(int n);
    // Writes field n's memo and stores where it now starts in the record buffer; an empty
    // text leaves no reference (blanks; 0 in binary-numbered Visual FoxPro fields).
    bool PutMemo(int n, std::string_view text);
    // Renames the table and its memo file with it.
    bool DiskRename(const std::string& newName) override;

    // Changed marks: index 0 the deletion flag, then one per field.
    bool FieldChanged(int n) const;
    const std::vector<std::uint8_t>& ChangedMarks() const { return marks_; }
    bool RecordChanged() const { return recordChanged_; }
    void ClearChangedMarks();

    // Builds a record image in `buffer` (RecordLength() bytes): a blank record with the
    // named fields set from the values (see FieldCodec::BuildRecordImage). The table's own
    // record buffer and its current record stay untouched, whatever fails.
    void BuildRecordImage(std::uint8_t* buffer, std::string_view fieldList,
                          std::span<const std::optional<std::string>> values, bool valuesAreArray);

protected:
    void FlushMemo() override;
    void PassLockProtocolToMemo(LockProtocol protocol) override;
    TableContext Context() const { return TableContext{Version(), DisplayPath()}; }
    void MarkChanged(int n) {
        marks_[static_cast<std::size_t>(n)] = 1;
        recordChanged_ = true;
    }

private:
    const FieldDescriptor* Field(int n) {
        const FieldDescriptor* f = FieldAt(n);
        if (f != nullptr) lastField_ = f;
        return f;
    }
    const FieldDescriptor* TypedField(std::string_view name, char wanted);
    void ChangeDeletionFlag(std::uint8_t flag);

    // Runs a memo operation; a failure it reports becomes this table's last error too.
    template <typename Op>
    auto WithMemo(MemoFile& memo, Op op);
    // Block number of field n's memo; -1 when the field holds no usable number.
    std::int32_t MemoBlock(int n);

    std::vector<std::uint8_t> marks_;
    bool recordChanged_ = false;
    std::unique_ptr<MemoFile> memo_;
    const FieldDescriptor* lastField_ = nullptr;
    std::string textScratch_;  // GetFieldTextView's display forms that are not stored as such
};

}  // namespace xbase
