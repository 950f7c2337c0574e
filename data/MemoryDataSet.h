// A dataset over rows held in memory: a vector of rows with ids that never repeat, a
// cursor, bookmarks made from the ids, and the framework's navigation, editing and
// field-data hooks over them. A descendant supplies the field definitions (and, when it
// has any, the source the rows come from) and picks a layout: whether values are kept as
// their text form, how wide bookmarks are and the message of a record request beyond
// the rows. Rows OnFilterRecord refuses are skipped while Filtered is on.
#pragma once

#include <string>
#include <vector>

#include "data/DataSet.h"

namespace data {

class MemoryDataSet : public DataSet {
public:
    struct Row {
        int id = 0;
        std::vector<FieldValue> values;
        // Stored through Post, InsertRecord or AppendRecord rather than loaded; a
        // descendant that sends its new rows elsewhere clears it once they are sent.
        bool pending = false;
    };

    ~MemoryDataSet() override;

    bool GetFieldData(const Field& field, FieldValue& value) override;
    void SetFieldData(Field& field, const FieldValue& value) override;
    void SetRecNo(int recNo) override;
    bool BookmarkValid(const Bookmark& bookmark) override;

protected:
    // What differs between descendants in how rows are kept and named.
    struct Layout {
        // Values set through fields are kept as the field's text form (null stays null).
        bool keepsText = false;
        // Bookmarks are the row id in decimal, zero-padded to this many digits.
        int bookmarkDigits = 0;
        // Raised by a checked record request when the cursor is on no row.
        const char* rangeMessage = "Record request beyond range of dataset";
    };

    // A row buffer: a copy of a row's values, its id, bookmark and flag.
    struct RowBuffer : RecordBuffer {
        std::vector<FieldValue> values;
        int id = 0;
        BookmarkFlag flag = bfCurrent;
        Bookmark bookmark;
    };
    static RowBuffer& RowOf(RecordBuffer& buffer) { return static_cast<RowBuffer&>(buffer); }
    static const RowBuffer& RowOf(const RecordBuffer& buffer) {
        return static_cast<const RowBuffer&>(buffer);
    }

    explicit MemoryDataSet(Layout layout);

    const std::vector<Row>& Rows() const { return rows_; }
    std::vector<Row>& Rows() { return rows_; }
    // Adds a loaded row at the end (does not move the cursor).
    void AddLoadedRow(std::vector<FieldValue> values);
    void ClearRows() { rows_.clear(); }
    // Index of the row with this id, or -1.
    int IndexOfId(int id) const;
    static int IdOf(const Bookmark& bookmark);

    // Makes the field definitions and fields and puts the cursor before the first row;
    // a descendant that loads rows does so before calling it.
    void InternalOpen() override;
    // Marks the cursor closed; the rows stay.
    void InternalClose() override;
    bool IsCursorOpen() const override { return open_; }
    void InternalFirst() override { cursor_ = -1; }
    void InternalLast() override { cursor_ = static_cast<int>(rows_.size()); }
    GetResult GetRecord(RecordBuffer& buffer, GetMode mode, bool doCheck) override;
    int GetRecordCount() override { return static_cast<int>(rows_.size()); }
    int GetRecNo() override;
    void InternalInitRecord(RecordBuffer& buffer) override;
    void InternalPost() override;
    void InternalAddRecord(RecordBuffer& buffer, bool append) override;
    void InternalDelete() override;
    void InternalGotoBookmark(const Bookmark& bookmark) override;
    void InternalSetToRecord(RecordBuffer& buffer) override;
    Bookmark GetBookmarkData(const RecordBuffer& buffer) const override;
    void SetBookmarkData(RecordBuffer& buffer, const Bookmark& bookmark) override;
    BookmarkFlag GetBookmarkFlag(const RecordBuffer& buffer) const override;
    void SetBookmarkFlag(RecordBuffer& buffer, BookmarkFlag flag) override;
    RecordBufferPtr AllocRecordBuffer() override;

private:
    Bookmark BookmarkOf(int id) const;
    void CopyRow(int index, RowBuffer& buffer) const;
    bool Accepts(int index, RecordBuffer& buffer);
    void StoreNewRow(const std::vector<FieldValue>& values, int at);

    Layout layout_;
    std::vector<Row> rows_;
    int nextId_ = 1;
    int cursor_ = -1;
    bool open_ = false;
};

}  // namespace data
