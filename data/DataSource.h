// The link between a dataset and the things that show or follow it (grids, edit boxes,
// windows): passes the dataset's notifications on as OnStateChange / OnDataChange /
// OnUpdateData callbacks and to the data links attached to it.
#pragma once

#include <functional>
#include <vector>

#include "data/DataSetTypes.h"

namespace data {

class DataSet;
class DataLink;
class Field;

class DataSource {
public:
    DataSource() = default;
    explicit DataSource(DataSet* dataSet);
    ~DataSource();
    DataSource(const DataSource&) = delete;
    DataSource& operator=(const DataSource&) = delete;

    DataSet* GetDataSet() const { return dataSet_; }
    void SetDataSet(DataSet* dataSet);
    // A disabled source passes nothing on.
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    // The dataset's state; dsInactive without an open dataset or when disabled.
    DataSetState State() const;
    // Whether controls may put the dataset into edit state on their own (Edit()).
    bool AutoEdit() const { return autoEdit_; }
    void SetAutoEdit(bool autoEdit) { autoEdit_ = autoEdit; }
    // Starts editing when AutoEdit is on and the dataset is browsing.
    void Edit();

    // The field is the changed field for a field change, nullptr otherwise.
    std::function<void(DataSource&, Field*)> OnDataChange;
    std::function<void(DataSource&)> OnStateChange;
    std::function<void(DataSource&)> OnUpdateData;

private:
    friend class DataSet;
    friend class DataLink;
    void Notify(DataEventKind event, const void* info);
    void AddLink(DataLink* link);
    void RemoveLink(DataLink* link);
    // Detaches from a dataset that is being destroyed.
    void DataSetGone();

    DataSet* dataSet_ = nullptr;
    bool enabled_ = true;
    bool autoEdit_ = true;
    DataSetState lastState_ = dsInactive;
    std::vector<DataLink*> links_;
};

}  // namespace data
