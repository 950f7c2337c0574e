// A small in-memory dataset for the framework's tests: rows of values kept in a vector,
// bookmarks from row ids, optional text storage (every value kept as its text form, as a
// client dataset of fetched text rows would), an edit refusal switch that stands in for a
// record lock held elsewhere, and an optional filter through OnFilterRecord.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "data/DataSet.h"

namespace datatest {

class MemDataSet : public data::DataSet {
  public:
    struct Row {
        int id = 0;
        std::vector<data::FieldValue> values;
    };

    explicit MemDataSet(std::vector<data::FieldDef> defs, bool textStore = false);
    ~MemDataSet() override;

    // Adds a row while closed or open (does not move the cursor).
    void AddRow(std::vector<data::FieldValue> values);
    const std::vector<Row>& Rows() const { return rows_; }
    // Ids of rows whose edit is refused with "Record is locked by another user".
    std::set<int> lockedIds;
    int cancels = 0;  // InternalCancel calls

  protected:
    void InternalOpen() override;
    void InternalClose() override;
    void InternalInitFieldDefs() override;
    bool IsCursorOpen() const override { return open_; }
    void InternalFirst() override { cursor_ = -1; }
    void InternalLast() override { cursor_ = static_cast<int>(rows_.size()); }
    data::GetResult GetRecord(data::RecordBuffer& buffer, data::GetMode mode,
                              bool doCheck) override;
    int GetRecordCount() override { return static_cast<int>(rows_.size()); }
    int GetRecNo() override;
    void InternalEdit() override;
    void InternalInitRecord(data::RecordBuffer& buffer) override;
    void InternalPost() override;
    void InternalAddRecord(data::RecordBuffer& buffer, bool append) override;
    void InternalCancel() override;
    void InternalDelete() override;
    void InternalGotoBookmark(const data::Bookmark& bookmark) override;
    void InternalSetToRecord(data::RecordBuffer& buffer) override;
    data::Bookmark GetBookmarkData(const data::RecordBuffer& buffer) const override;
    void SetBookmarkData(data::RecordBuffer& buffer, const data::Bookmark& bookmark) override;
    data::BookmarkFlag GetBookmarkFlag(const data::RecordBuffer& buffer) const override;
    void SetBookmarkFlag(data::RecordBuffer& buffer, data::BookmarkFlag flag) override;
    data::RecordBufferPtr AllocRecordBuffer() override;
    data::RecordBuffer* GetActiveRecordBuffer() override;

  public:
    void SetRecNo(int recNo) override;
    bool BookmarkValid(const data::Bookmark& bookmark) override;
    bool GetFieldData(const data::Field& field, data::FieldValue& value) override;
    void SetFieldData(data::Field& field, const data::FieldValue& value) override;

  private:
    int IndexOfId(int id) const;
    static int IdOf(const data::Bookmark& bookmark);
    bool Accepts(int index, data::RecordBuffer& buffer);

    std::vector<data::FieldDef> defs_;
    bool textStore_;
    std::vector<Row> rows_;
    int nextId_ = 1;
    int cursor_ = -1;
    bool open_ = false;
    data::RecordBufferPtr oldValues_;
};

// A dataset of `rows` records: ID (integer 1..rows), NAME (string "n1".."nN", size 10),
// PRICE (float id * 1.5).
std::unique_ptr<MemDataSet> MakeNumbered(int rows, bool textStore = false);

// The NAME values of all records in order, walked with First/Next (restoring nothing).
std::vector<std::string> Names(data::DataSet& dataSet);

}  // namespace datatest
