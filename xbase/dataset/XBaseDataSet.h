// XBaseDataSet: a dataset over one dBase table. It turns the dataset framework's requests
// (open, navigation, edit, insert, append, post, cancel, delete, field values, record
// count, bookmarks) into calls on the table handler (DBFObject) it opens for the table.
//
// What callers can rely on:
// - Open fails with "Cannot find file %s" when the table is missing; no file is created.
// - First/Next/Eof visit the live records in record-number order (deleted ones only with
//   UseDeleted); RecordCount is the number of records in the file, deleted ones included.
// - FieldByName(...).AsString reads the text without trailing blanks, translated from the
//   table's OEM code page to UTF-8 (TranslateASCII); assigning it translates back and
//   cuts the text at a character boundary to the field's width.
// - Edit rereads the record and locks it in the file until Post or Cancel; a record
//   another program holds fails with "Record is locked by another user" and the dataset
//   stays in browse state.
// - Insert and Append add the record at the physical end of the file at Post.
// - Delete flags the record at once and shows the next live record, else the last live
//   record before it, else the dataset is empty.
//
// Index order: IndexFiles are opened with the table (".NDX" without an extension, the
// table's directory without a path) and IndexName selects the tag that orders the rows.
// Filter/Filtered/FilterOptions drive the engine's filter set; OnFilterRecord works
// through Filtered too. A detail dataset (MasterSource, MasterFields) keeps its selected
// tag's range on the master's key fields. A table whose header flags a production index
// keeps it current on every write (IgnoreProductionIndex lets writes go on without it).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/DataSet.h"
#include "data/DataSource.h"
#include "xbase/dataset/DBFObject.h"
#include "xbase/dataset/TextTranslation.h"
#include "xbase/dataset/XBaseMasterLink.h"
#include "xbase/dataset/XBaseRecordBuffer.h"
#include "xbase/file/LockProtocol.h"

namespace xbase {

// FilterOptions flags.
enum FilterOption : unsigned {
    foCaseInsensitive = 1,
    foNoPartialCompare = 2,
};

// Locate and Lookup options.
enum LocateOption : unsigned {
    loCaseInsensitive = 1,
    loPartialKey = 2,
};

// One entry of IndexDefs: a tag of the open index files.
struct IndexDef {
    std::string name;
    std::string expression;
    // The key's fields separated by ';' ("+" and "-" of the expression read as
    // separators), or the whole expression for an expression index.
    std::string fields;
    bool isExpression = false;
    bool unique = false;
    bool descending = false;
};

class XBaseDataSet : public data::DataSet {
public:
    using StatusReportEvent = std::function<void(int stat1, int stat2, int stat3)>;

    XBaseDataSet();
    ~XBaseDataSet() override;

    // --- published properties ---
    // The engine's name and version; assignments are ignored.
    std::string About() const;
    void SetAbout(const std::string&) {}
    bool AutoFlush() const { return autoFlush_; }
    void SetAutoFlush(bool on);
    // An alias of the alias list, a directory, or "Default Directory" (the running
    // program's directory). Only while closed; a new directory name is registered in the
    // alias list (even when the assignment then fails because the dataset is open).
    const std::string& DatabaseName() const { return databaseName_; }
    void SetDatabaseName(const std::string& name);
    const std::string& EncryptionKey() const { return encryptionKey_; }
    void SetEncryptionKey(const std::string& key);  // only while closed
    // RecordCount counts the visible records instead of giving the physical count.
    bool ExactCount() const { return exactCount_; }
    void SetExactCount(bool on) { exactCount_ = on; }
    bool Exclusive() const { return exclusive_; }
    void SetExclusive(bool on) { exclusive_ = on; }
    unsigned FilterOptions() const { return filterOptions_; }
    // While open: the filter is built again with the new options.
    void SetFilterOptions(unsigned options);
    // While open: leave edit mode, build (or drop) the engine filter, go to the first row.
    void SetFiltered(bool filtered) override;
    void SetFilter(std::string filter) override;
    const std::vector<IndexDef>& IndexDefs() const { return indexDefs_; }
    const std::vector<std::string>& IndexFiles() const { return indexFiles_; }
    // While open: every index file is closed and the listed ones opened ("Cannot find file
    // %s", "Index file %s already open", "Error getting %s"); IndexName is selected again.
    // An empty list also clears IndexName.
    void SetIndexFiles(std::vector<std::string> files);
    const std::string& IndexName() const { return indexName_; }
    // While open: selects the tag ("Cannot find index tag %s"), keeps the current row when
    // it is in the tag's scope, else goes to the first row.
    void SetIndexName(const std::string& name);
    xbase::LockProtocol LockProtocol() const { return lockProtocol_; }
    void SetLockProtocol(xbase::LockProtocol protocol);
    const std::string& MasterFields() const { return masterFields_; }
    void SetMasterFields(const std::string& fields);
    data::DataSource* MasterSource() const { return masterSource_; }
    // "Circular datalinks are not allowed" when the source's dataset is this one or
    // follows this one through its own masters.
    void SetMasterSource(data::DataSource* source);
    // Writes go on even when the production index the header flags cannot be kept.
    bool IgnoreProductionIndex() const { return ignoreProductionIndex_; }
    void SetIgnoreProductionIndex(bool on);
    // While open also true when the table file cannot be written.
    bool ReadOnly() const;
    void SetReadOnly(bool on) { data::DataSet::SetReadOnly(on); }
    // The table's file name; ".DBF" is added at open when it has no extension. Only
    // while closed; a changed name clears IndexFiles.
    const std::string& TableName() const { return tableName_; }
    void SetTableName(const std::string& name);
    bool TranslateASCII() const { return translateAscii_; }
    void SetTranslateASCII(bool on) { translateAscii_ = on; }
    // The OEM code page of this table's text (an iconv name such as "CP936"); empty means
    // the process-wide setting (platform::SetOemCodePage).
    const std::string& CodePage() const { return codePage_; }
    void SetCodePage(const std::string& codePage) { codePage_ = codePage; }
    bool UseDeleted() const { return useDeleted_; }
    void SetUseDeleted(bool on);
    std::int32_t UserID() const { return userId_; }
    void SetUserID(std::int32_t id);
    StatusReportEvent OnStatus;

    // --- operations besides the framework's ---
    // Clears the deletion flag of the current record ("Cannot recall the record").
    void Recall();
    // Whether the active record carries the deletion flag.
    bool RecordDeleted();
    // The stored text of a table field of the active record, translated, trailing blanks
    // kept (the field's bytes as they are in the file).
    std::string FieldRawText(const data::Field& field);
    // The translation between the table's code page and program text in use.
    TextTranslation Translation() const;
    // Tags of the open index files (none until index files are opened).
    int TagCount() const { return static_cast<int>(indexDefs_.size()); }
    std::string TagName(int ordinal) const;
    std::string TagExpression(int ordinal) const;
    // Limits the selected tag to the keys from `low` to `high` (texts as the fields show
    // them; empty: no limit), then goes to the first row. CancelRange lifts the limit.
    void SetRange(const std::string& low, const std::string& high);
    void CancelRange();
    // Finds the first row (from the first) whose fields (names separated by ';') hold the
    // values; found: the row becomes the active one; not found: the active row stays.
    bool Locate(const std::string& fields, const std::vector<std::string>& values,
                unsigned options = 0);
    // The result fields' texts of the first row holding the values (exact, case-sensitive),
    // nothing when none; the active row stays.
    std::optional<std::vector<std::string>> Lookup(const std::string& fields,
                                                   const std::vector<std::string>& values,
                                                   const std::string& resultFields);
    // The master moved or changed: the detail's range follows it.
    void MasterChanged();
    // No tag selected and not Filtered: record numbers are the order of the rows.
    bool IsSequenced() const override;

    // The directory DatabaseName resolves to, with a trailing separator (empty for none).
    std::string ResolvedDirectory() const;
    // The table handler while open, nullptr while closed.
    DBFObject* Handler() const { return handler_.get(); }

    // Memo, binary and general fields, read and written through xbase::BlobStream. The
    // contents for the active record, translated for memo fields; a value assigned during
    // an edit or insert is held until Post writes it to the memo file (Cancel drops it,
    // leaving the memo file as it was).
    std::string ReadMemoField(const data::Field& field);
    std::unique_ptr<data::BlobStream> CreateBlobStream(data::Field& field,
                                                       data::BlobStreamMode mode) override;

    void SetRecNo(int recNo) override;
    bool BookmarkValid(const data::Bookmark& bookmark) override;
    bool GetFieldData(const data::Field& field, data::FieldValue& value) override;
    void SetFieldData(data::Field& field, const data::FieldValue& value) override;
    bool GetCurrentRecord(data::RecordBuffer& buffer) override;

    // OnFilterRecord for the record in the engine's buffer (used by DBFObject).
    bool FilterAcceptsEngineRecord();

protected:
    void InternalOpen() override;
    void InternalClose() override;
    void InternalInitFieldDefs() override;
    bool IsCursorOpen() const override { return handler_ != nullptr; }
    void InternalFirst() override;
    void InternalLast() override;
    data::GetResult GetRecord(data::RecordBuffer& buffer, data::GetMode mode,
                              bool doCheck) override;
    int GetRecordCount() override;
    int GetRecNo() override;
    void InternalEdit() override;
    void InternalInitRecord(data::RecordBuffer& buffer) override;
    void InternalPost() override;
    void InternalAddRecord(data::RecordBuffer& buffer, bool append) override;
    void InternalCancel() override;
    void InternalDelete() override;
    void InternalRefresh() override;
    void InternalGotoBookmark(const data::Bookmark& bookmark) override;
    void InternalSetToRecord(data::RecordBuffer& buffer) override;
    data::Bookmark GetBookmarkData(const data::RecordBuffer& buffer) const override;
    void SetBookmarkData(data::RecordBuffer& buffer, const data::Bookmark& bookmark) override;
    data::BookmarkFlag GetBookmarkFlag(const data::RecordBuffer& buffer) const override;
    void SetBookmarkFlag(data::RecordBuffer& buffer, data::BookmarkFlag flag) override;
    data::RecordBufferPtr AllocRecordBuffer() override;
    std::size_t GetRecordSize() const override;
    bool GetCanModify() const override;
    void DoAfterInsert() override;

private:
    // Opens the table file as a handler (shared unless Exclusive, writable unless
    // ReadOnly); checks the name and that the file exists.
    std::unique_ptr<DBFObject> OpenTableObject(bool shared, bool writable);
    // The record bytes field access uses in the present state; nullptr for none.
    std::uint8_t* FieldAccessRecord();
    XBaseRecordBuffer& Row(data::RecordBuffer& buffer) const;
    const XBaseRecordBuffer& Row(const data::RecordBuffer& buffer) const;
    XBaseRecordBuffer* ActiveRow() const;
    // The table's number of the field a dataset field is bound to; 0 for none.
    int TableFieldNo(const data::Field& field) const;
    // Tells the framework that a field changed (outside the states that take no notice).
    void SignalFieldChange(data::Field& field);
    void MoveTo(std::int32_t code);
    // Closes every index file and opens IndexFiles (all or none).
    void ApplyIndexFiles();
    void OpenOneIndexFile(const std::string& file);
    void RebuildIndexDefs();
    // Builds the engine's filter set for `text` (drops it when not filtered or empty).
    void ApplyEngineFilter(bool filtered, const std::string& text, unsigned options);
    void ApplyMasterRange();
    // Leaves edit mode and puts the engine on the active row; its record number.
    std::int32_t PrepareSearch();
    std::vector<std::string> OemValues(const std::vector<std::string>& values) const;
    void ChangeDeletionFlag(bool deleted);
    // Writes the memos assigned to the row in `record` and stores their block numbers.
    void WritePendingMemos(std::uint8_t* record);
    // The memo assigned to table field n of the edited row, nullptr for none.
    const std::string* PendingMemo(int n) const;

    std::string databaseName_;
    std::string encryptionKey_;
    std::string tableName_;
    std::string codePage_;
    std::vector<IndexDef> indexDefs_;
    std::vector<std::string> indexFiles_;
    std::string indexName_;
    std::string masterFields_;
    data::DataSource* masterSource_ = nullptr;
    unsigned filterOptions_ = 0;
    xbase::LockProtocol lockProtocol_ = xbase::LockProtocol::Default;
    std::int32_t userId_ = 0;
    bool autoFlush_ = false;
    bool exactCount_ = false;
    bool exclusive_ = false;
    bool translateAscii_ = true;
    bool useDeleted_ = false;
    bool ignoreProductionIndex_ = false;
    XBaseMasterLink masterLink_{*this};

    std::unique_ptr<DBFObject> handler_;
    // Memos assigned during the present edit or insert: table field number -> stored bytes.
    std::map<int, std::string> pendingMemos_;
    // Table field number of each field definition (definitions skip unknown types).
    std::vector<int> tableFieldNo_;
    std::size_t recordLength_ = 0;
    bool firstPending_ = false;
    bool lastPending_ = false;
    bool editing_ = false;
    // Copy of the engine's old values for reads in the old-value state.
    std::vector<std::uint8_t> oldValues_;
    data::RecordBuffer filterRow_;
};

}  // namespace xbase
