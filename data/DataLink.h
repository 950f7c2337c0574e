// A data-aware client of a data source (a grid, an edit box): receives the dataset's
// notifications as virtual calls and, for a grid, asks for a window of BufferCount rows
// and reads them by moving ActiveRecord over that window.
#pragma once

#include "data/DataSetTypes.h"

namespace data {

class DataSet;
class DataSource;
class Field;

class DataLink {
public:
    DataLink() = default;
    virtual ~DataLink();
    DataLink(const DataLink&) = delete;
    DataLink& operator=(const DataLink&) = delete;

    DataSource* GetDataSource() const { return source_; }
    void SetDataSource(DataSource* source);
    DataSet* GetDataSet() const;
    // The source has an open dataset.
    bool Active() const;
    bool Editing() const;

    // Rows this link wants buffered (at least 1). The dataset buffers the largest window
    // its links ask for.
    int BufferCount() const { return bufferCount_; }
    void SetBufferCount(int count);
    // Rows of the window that hold records.
    int RecordCount() const;
    // Index in the window of the row fields read from; setting it lets a grid read each
    // row's fields in turn (set it back to the old value afterwards).
    int ActiveRecord() const;
    void SetActiveRecord(int index);

protected:
    virtual void ActiveChanged() {}
    virtual void DataSetChanged() {}
    virtual void DataSetScrolled(int /*distance*/) { DataSetChanged(); }
    virtual void RecordChanged(Field* /*field*/) {}
    virtual void EditingChanged() {}
    virtual void LayoutChanged() { DataSetChanged(); }
    virtual void UpdateData() {}
    virtual void CheckBrowseMode() {}

private:
    friend class DataSource;
    void Notify(DataEventKind event, const void* info);

    DataSource* source_ = nullptr;
    int bufferCount_ = 1;
    bool wasActive_ = false;
    bool wasEditing_ = false;
};

}  // namespace data
