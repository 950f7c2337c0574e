// A small in-memory dataset for the framework's tests: rows of values kept in a vector,
// bookmarks from row ids, optional text storage (every value kept as its text form, as a
// client dataset of fetched text rows would), an edit refusal switch that stands in for a
// record lock held elsewhere, and an optional filter through OnFilterRecord.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "data/MemoryDataSet.h"

namespace datatest {

class MemDataSet : public data::MemoryDataSet {
public:
    explicit MemDataSet(std::vector<data::FieldDef> defs, bool textStore = false);
    ~MemDataSet() override;

    // Adds a row while closed or open (does not move the cursor).
    void AddRow(std::vector<data::FieldValue> values);
    const std::vector<Row>& Rows() const { return MemoryDataSet::Rows(); }
    // Ids of rows whose edit is refused with "Record is locked by another user".
    std::set<int> lockedIds;
    int cancels = 0;  // InternalCancel calls

protected:
    void InternalInitFieldDefs() override;
    // Keeps a copy of the row as it was for the old-value state.
    void InternalEdit() override;
    void InternalPost() override;
    void InternalCancel() override;
    data::RecordBuffer* GetActiveRecordBuffer() override;

private:
    std::vector<data::FieldDef> defs_;
    data::RecordBufferPtr oldValues_;
};

// A dataset of `rows` records: ID (integer 1..rows), NAME (string "n1".."nN", size 10),
// PRICE (float id * 1.5).
std::unique_ptr<MemDataSet> MakeNumbered(int rows, bool textStore = false);

// The NAME values of all records in order, walked with First/Next (restoring nothing).
std::vector<std::string> Names(data::DataSet& dataSet);

}  // namespace datatest
