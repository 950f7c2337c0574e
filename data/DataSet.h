// The generic dataset: a cursor over records with a state machine (browse, edit,
// insert, ...), typed fields, bookmarks, events and data sources. It is abstract; a
// descendant supplies the storage by implementing the protected Internal... hooks and
// the record-buffer, bookmark and field-data hooks below.
//
// Behaviour callers rely on:
// - After Open the dataset is on its first record (Bof true); an empty dataset has Bof and
//   Eof true.
// - Next on the last record sets Eof and stays there; Prior on the first sets Bof.
// - Edit on an empty dataset starts an insert. Moving, or any operation that needs browse
//   mode, while editing or inserting first posts the record when a field was changed and
//   cancels otherwise (CheckBrowseMode).
// - Insert puts a new row before the active one, Append after the last; Post stores it
//   (where is the descendant's business) and the dataset shows the stored record.
// - Cancel drops the changes and rereads the active record.
// - Delete removes the active record; the dataset then shows the next record, or the
//   previous one when none follows, or becomes empty. Delete while inserting cancels.
// - Close while editing or inserting cancels silently (InternalCancel, no events).
//
// The framework keeps a ring of row buffers (one per row of the largest window a data
// link asks for, at least one) plus a spare used for fetching. Each GetRecord call fills
// one buffer; the framework tracks which buffer the descendant's cursor is on and
// repositions it with InternalSetToRecord / InternalFirst / InternalLast when needed.
//
// A descendant must call Close() in its own destructor: the hooks cannot run once the
// descendant part is destroyed.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/BlobStream.h"
#include "data/DataSetTypes.h"
#include "data/Field.h"
#include "data/FieldDefs.h"
#include "data/FieldList.h"

namespace data {

class DataSource;

class DataSet {
public:
    using Event = std::function<void(DataSet&)>;
    using FilterRecordEvent = std::function<void(DataSet&, bool& accept)>;

    DataSet();
    virtual ~DataSet();
    DataSet(const DataSet&) = delete;
    DataSet& operator=(const DataSet&) = delete;

    // A name for messages and diagnostics; not used by the framework otherwise.
    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }

    // --- opening and closing ---
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }
    bool Active() const { return state_ != dsInactive; }
    void SetActive(bool active);
    DataSetState State() const { return state_; }

    // --- navigation ---
    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    // Moves up to distance records forward (negative: back); returns the distance moved.
    int MoveBy(int distance);
    bool Eof() const { return eof_; }
    bool Bof() const { return bof_; }
    bool IsEmpty() const { return bufferedCount_ == 0; }
    // The descendant's count (GetRecordCount); "Cannot perform this operation on a closed
    // dataset" when closed.
    int RecordCount();
    // The descendant's record number of the active record (GetRecNo), or moves to one.
    int RecNo();
    // Hook: moves to a record number. A descendant leaves edit mode (CheckBrowseMode),
    // positions its cursor, calls Resync(rmNone) and DoAfterScroll (default: nothing).
    virtual void SetRecNo(int recNo);
    // Rereads the records from storage, keeping the current record where possible.
    void Refresh();

    // --- editing ---
    void Edit();
    void Insert();
    void Append();
    virtual void Post();
    void Cancel();
    void Delete();
    // Inserts / appends a record with the given values (in field order; missing values
    // stay as InternalInitRecord made them) and posts it at once.
    void InsertRecord(const std::vector<FieldValue>& values);
    void AppendRecord(const std::vector<FieldValue>& values);
    // Posts (when modified) or cancels a pending edit or insert; raises when closed.
    void CheckBrowseMode();
    bool Modified() const { return modified_; }
    // Not read-only and the descendant allows changes (GetCanModify).
    bool CanModify() const { return !readOnly_ && GetCanModify(); }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }

    // --- bookmarks ---
    // The active record's bookmark; empty when none is available (closed, empty, or a new
    // record not yet posted).
    Bookmark GetBookmark();
    bool BookmarkAvailable();
    // Makes the bookmarked record the active one; an empty bookmark does nothing.
    void GotoBookmark(const Bookmark& bookmark);
    // <0, 0, >0; empty bookmarks are equal and sort before any other. Default: bytes.
    virtual int CompareBookmarks(const Bookmark& a, const Bookmark& b);
    // Whether the bookmark still names a record. Default: false.
    virtual bool BookmarkValid(const Bookmark& bookmark);

    // --- fields ---
    FieldList& Fields() { return fields_; }
    const FieldList& Fields() const { return fields_; }
    int FieldCount() const { return fields_.Count(); }
    // Without regard to case; "Field 'NAME' not found" when unknown.
    Field& FieldByName(std::string_view name) const { return fields_.FieldByName(name); }
    Field* FindField(std::string_view name) const { return fields_.FindField(name); }
    FieldDefList& FieldDefs() { return fieldDefs_; }
    const FieldDefList& FieldDefs() const { return fieldDefs_; }
    // Adds a persistent field while closed (a field of a definition, or a calculated
    // one); returns it. Persistent fields stay across Close/Open; when none exist at Open
    // the framework makes one per definition and frees them at Close. A persistent field
    // binds to the definition of its name; the types must agree, except that a string
    // definition (a dataset that keeps text) takes a field of any non-blob type.
    Field& AddField(std::unique_ptr<Field> field);
    // Reads / writes values of all fields in order; a null value clears the field,
    // values beyond the given ones are left alone.
    std::vector<FieldValue> GetFieldValues() const;
    void SetFields(const std::vector<FieldValue>& values);

    // Opens a stream over a blob or memo field of the active row. The default works on
    // datasets whose GetFieldData delivers the bytes (BlobBytes or text) and whose
    // SetFieldData accepts BlobBytes. A write stream needs edit or insert state
    // ("Dataset not in edit or insert mode") and a writable field ("Field '%s' cannot be
    // modified").
    virtual std::unique_ptr<BlobStream> CreateBlobStream(Field& field, BlobStreamMode mode);

    // Field data access for the fields. GetFieldData returns false (value null) when the
    // field has no value; it reads the row chosen by state (GetActiveRecordBuffer) and may
    // deliver the field type's alternative or text. SetFieldData receives the alternative
    // of the field's type (or null), must check the state (CheckFieldCanBeSet helps),
    // call field.Validate(value), store the value and then call DataEvent(deFieldChange,
    // &field) outside the calc-fields, filter and new-value states.
    virtual bool GetFieldData(const Field& field, FieldValue& value) = 0;
    virtual void SetFieldData(Field& field, const FieldValue& value) = 0;
    // Fills buffer with the current record when there is one (default: false).
    virtual bool GetCurrentRecord(RecordBuffer& buffer);

    // --- controls and data sources ---
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return disableCount_ > 0; }

    // --- filtering (the descendant's GetRecord applies it through RecordFilterAccepts) ---
    bool Filtered() const { return filtered_; }
    virtual void SetFiltered(bool filtered);
    const std::string& Filter() const { return filter_; }
    virtual void SetFilter(std::string filter);

    // --- calculated fields ---
    bool AutoCalcFields() const { return autoCalcFields_; }
    void SetAutoCalcFields(bool value) { autoCalcFields_ = value; }

    // --- buffer window (grids) ---
    // Rows of the buffer window and the active row's index in it.
    int BufferCount() const { return bufferCount_; }
    int BufferedRecordCount() const { return bufferedCount_; }
    int ActiveRecord() const { return activeRecord_; }
    // Visits every record from the first, with controls disabled, and returns to the
    // record that was active (by bookmark, when one was available).
    void ForEachRecord(const std::function<void()>& visit);

    // --- events ---
    Event BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    Event BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    Event BeforePost, AfterPost, BeforeCancel, AfterCancel;
    Event BeforeDelete, AfterDelete, BeforeScroll, AfterScroll, BeforeRefresh, AfterRefresh;
    Event OnNewRecord, OnCalcFields;
    FilterRecordEvent OnFilterRecord;

protected:
    // ---- hooks a descendant implements ----
    // Cursor lifetime. InternalOpen opens the storage, calls InternalInitFieldDefs, then
    // CreateFields() when DefaultFields() and BindFields(true), and positions the cursor
    // before the first record. InternalClose frees the storage; the framework unbinds
    // and frees default fields after it.
    virtual void InternalOpen() = 0;
    virtual void InternalClose() = 0;
    virtual void InternalInitFieldDefs() = 0;
    virtual bool IsCursorOpen() const = 0;
    // Put the cursor on the crack before the first / after the last record.
    virtual void InternalFirst() = 0;
    virtual void InternalLast() = 0;
    // Fetches the record at (gmCurrent), after (gmNext) or before (gmPrior) the cursor
    // into buffer, moves the cursor there, and sets the buffer's bookmark and flag
    // (bfCurrent). With doCheck, a failure (grError) raises instead of returning. A
    // filtering descendant skips records RecordFilterAccepts refuses; GetCalcFields(buffer)
    // computes calculated fields.
    virtual GetResult GetRecord(RecordBuffer& buffer, GetMode mode, bool doCheck) = 0;
    // Number of records; -1 when unknown (default).
    virtual int GetRecordCount() { return -1; }
    // Record number of the active record; -1 when unknown (default).
    virtual int GetRecNo() { return -1; }
    // Prepares the active row (ActiveBuffer()) for changes; raise to refuse the edit.
    virtual void InternalEdit() {}
    virtual void InternalInsert() {}
    // Fills a new row with the blank record.
    virtual void InternalInitRecord(RecordBuffer& buffer) = 0;
    // Stores the active row: replaces the record in edit state, adds it in insert state.
    // Where a new row goes is the descendant's choice; its bookmark flag says where it
    // was made: bfEOF by Append, bfBOF by Insert into an empty dataset, bfInserted by
    // Insert before the record whose bookmark the row carries. Afterwards the cursor must
    // be on the stored record (the framework rereads it with gmCurrent).
    virtual void InternalPost() = 0;
    // Stores a filled row as a new record (InsertRecord: before the cursor's record;
    // AppendRecord: at the end), leaving the cursor on it.
    virtual void InternalAddRecord(RecordBuffer& buffer, bool append) = 0;
    // Ends an edit or insert without storing it (release what InternalEdit took). Also
    // called after deleting a record that was in edit state.
    virtual void InternalCancel() {}
    // Removes the cursor's record and leaves the cursor where Resync finds the record to
    // show next (the next one, else the previous one).
    virtual void InternalDelete() = 0;
    // Drops cached data before Refresh rereads (default: nothing).
    virtual void InternalRefresh() {}
    virtual void InternalGotoBookmark(const Bookmark& bookmark) = 0;
    // Puts the cursor on the record held by buffer. Also called for a new row (flag
    // bfInserted), whose bookmark is that of the record it was inserted before.
    virtual void InternalSetToRecord(RecordBuffer& buffer) = 0;
    // Called with an exception the framework cannot pass on (while a destructor closes);
    // default: nothing.
    virtual void InternalHandleException() {}
    // Bookmark of a buffered row, and its flag.
    virtual Bookmark GetBookmarkData(const RecordBuffer& buffer) const = 0;
    virtual void SetBookmarkData(RecordBuffer& buffer, const Bookmark& bookmark) = 0;
    virtual BookmarkFlag GetBookmarkFlag(const RecordBuffer& buffer) const = 0;
    virtual void SetBookmarkFlag(RecordBuffer& buffer, BookmarkFlag flag) = 0;
    // Row buffers: created at open (and when the window grows), freed at close.
    virtual RecordBufferPtr AllocRecordBuffer() = 0;
    virtual void FreeRecordBuffer(RecordBufferPtr& buffer) { buffer.reset(); }
    // Length of a record in the descendant's storage, informational (default 0).
    virtual std::size_t GetRecordSize() const { return 0; }
    // Empties the calculated values of a row (default: all null).
    virtual void ClearCalcFields(RecordBuffer& buffer);
    // Whether record numbers are positions in order (default true).
    virtual bool IsSequenced() const { return true; }
    virtual bool GetCanModify() const { return true; }
    // The row field access uses in the present state: browse: the active row (none when
    // empty); edit, insert, new value, old value: the active row; calc fields: the
    // calculation row; filter: the row under test. A descendant that keeps an old-value
    // copy overrides it for dsOldValue.
    virtual RecordBuffer* GetActiveRecordBuffer();

    // ---- event points (override to add behaviour; call the base to raise the event) ----
    virtual void DoBeforeOpen() { Fire(BeforeOpen); }
    virtual void DoAfterOpen() { Fire(AfterOpen); }
    virtual void DoBeforeClose() { Fire(BeforeClose); }
    virtual void DoAfterClose() { Fire(AfterClose); }
    virtual void DoBeforeInsert() { Fire(BeforeInsert); }
    virtual void DoAfterInsert() { Fire(AfterInsert); }
    virtual void DoBeforeEdit() { Fire(BeforeEdit); }
    virtual void DoAfterEdit() { Fire(AfterEdit); }
    virtual void DoBeforePost() { Fire(BeforePost); }
    virtual void DoAfterPost() { Fire(AfterPost); }
    virtual void DoBeforeCancel() { Fire(BeforeCancel); }
    virtual void DoAfterCancel() { Fire(AfterCancel); }
    virtual void DoBeforeDelete() { Fire(BeforeDelete); }
    virtual void DoAfterDelete() { Fire(AfterDelete); }
    virtual void DoBeforeScroll() { Fire(BeforeScroll); }
    virtual void DoAfterScroll() { Fire(AfterScroll); }
    virtual void DoOnNewRecord() { Fire(OnNewRecord); }

    // ---- helpers for descendants ----
    RecordBuffer* ActiveBuffer() const;  // nullptr when nothing is buffered
    RecordBuffer* CalcBuffer() const { return calcBuffer_; }
    RecordBuffer* FilterBuffer() const { return filterBuffer_; }
    bool DefaultFields() const { return defaultFields_; }
    // One field per definition (fields of unknown type are skipped).
    void CreateFields();
    // Binds data fields to the definitions of the same name ("Field '%s' not found",
    // "Type mismatch for field '%s'") and assigns calculation slots; or unbinds.
    void BindFields(bool binding);
    // Refetches the buffer window around the cursor's record (see ResyncMode).
    void Resync(int mode);
    // The descendant's cursor no longer matches any buffered row.
    void CursorPosChanged() { currentRecord_ = -1; }
    // Puts the descendant's cursor on the active row's record.
    void UpdateCursorPos();
    void SetState(DataSetState state);
    // Switches the state for a field access without notifications; returns the old one.
    DataSetState SetTempState(DataSetState state);
    void RestoreState(DataSetState state) { state_ = state; }
    // Handles a notification (a field change marks the record modified and runs the
    // field's OnChange) and passes it to the data sources.
    void DataEvent(DataEventKind event, const void* info = nullptr);
    void CheckActive() const;
    void CheckInactive() const;
    // Raises "Dataset not in edit or insert mode" / "Field '%s' cannot be modified" when
    // the field cannot be set in the present state.
    void CheckFieldCanBeSet(const Field& field) const;
    // Runs OnFilterRecord for a candidate row (state dsFilter, FilterBuffer() = buffer);
    // true when there is no handler or it accepts.
    bool RecordFilterAccepts(RecordBuffer& buffer);
    // Runs OnCalcFields for a row (state dsCalcFields) after clearing its calculated
    // values, when the dataset has calculated fields and AutoCalcFields is on.
    void GetCalcFields(RecordBuffer& buffer);
    // Closes from a descendant's destructor: failures go to InternalHandleException.
    void CloseFromDestructor() noexcept;

private:
    friend class Field;
    friend class DataSource;
    friend class DataLink;

    void Fire(const Event& event) {
        if (event) event(*this);
    }
    // Field reads and writes route here: calculated fields use the row's calc values.
    bool ReadFieldValue(const Field& field, FieldValue& value);
    void WriteFieldValue(Field& field, const FieldValue& value);

    void OpenCursor();
    void CloseCursor();
    void SetBufferCount(int count);
    void UpdateBufferCount();
    void AllocateBuffers(int count);
    void FreeBuffers();
    void ClearBuffers();
    void ActivateBuffers();
    void MoveBuffer(int from, int to);
    void SetCurrentRecord(int index);
    bool GetNextRecord();
    bool GetPriorRecord();
    int GetNextRecords();
    int GetPriorRecords();
    // First (true) or Last: fills the buffers from that end; its BOF or EOF flag is set
    // even when reading fails.
    void MoveToEnd(bool first);
    void InitRecord(RecordBuffer& buffer);
    void BeginInsertAppend();
    void EndInsertAppend();
    void AddRecordWithValues(const std::vector<FieldValue>& values, bool append);
    void UpdateRecord();
    void CheckRequiredFields();
    void CheckCanModify() const;
    void DestroyDefaultFields();
    void SetActiveRecord(int index);
    void AddDataSource(DataSource* source);
    void RemoveDataSource(DataSource* source);
    void NotifySources(DataEventKind event, const void* info);

    std::string name_;
    DataSetState state_ = dsInactive;
    FieldList fields_;
    FieldDefList fieldDefs_;
    bool defaultFields_ = false;
    int calcFieldCount_ = 0;

    // The ring: buffers_[0 .. bufferCount_-1] are the window, buffers_[bufferCount_] is
    // the spare used for fetching.
    std::vector<RecordBufferPtr> buffers_;
    int bufferCount_ = 0;
    int bufferedCount_ = 0;  // rows of the window that hold records
    int activeRecord_ = 0;
    int currentRecord_ = -1;  // window row the descendant's cursor is on; -1 unknown
    bool bof_ = true;
    bool eof_ = true;
    bool modified_ = false;
    bool readOnly_ = false;
    bool filtered_ = false;
    std::string filter_;
    bool autoCalcFields_ = true;
    RecordBuffer* calcBuffer_ = nullptr;
    RecordBuffer* filterBuffer_ = nullptr;

    int disableCount_ = 0;
    bool pendingChange_ = false;
    DataSetState disabledState_ = dsInactive;
    std::vector<DataSource*> sources_;
};

}  // namespace data
