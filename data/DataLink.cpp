#include "data/DataLink.h"

#include <algorithm>

#include "data/DataSet.h"
#include "data/DataSource.h"

namespace data {

DataLink::~DataLink() {
    if (source_ != nullptr) source_->RemoveLink(this);
}

void DataLink::SetDataSource(DataSource* source) {
    if (source == source_) return;
    if (source_ != nullptr) source_->RemoveLink(this);
    source_ = source;
    if (source_ != nullptr) source_->AddLink(this);
    Notify(deUpdateState, nullptr);
}

DataSet* DataLink::GetDataSet() const {
    return source_ != nullptr ? source_->GetDataSet() : nullptr;
}

bool DataLink::Active() const { return source_ != nullptr && source_->State() != dsInactive; }

bool DataLink::Editing() const {
    DataSetState state = source_ != nullptr ? source_->State() : dsInactive;
    return state == dsEdit || state == dsInsert;
}

void DataLink::SetBufferCount(int count) {
    bufferCount_ = std::max(1, count);
    if (DataSet* dataSet = GetDataSet()) dataSet->UpdateBufferCount();
}

int DataLink::RecordCount() const {
    DataSet* dataSet = GetDataSet();
    if (dataSet == nullptr || !dataSet->Active()) return 0;
    return std::min(dataSet->BufferedRecordCount(), bufferCount_);
}

int DataLink::ActiveRecord() const {
    DataSet* dataSet = GetDataSet();
    return dataSet != nullptr ? dataSet->ActiveRecord() : 0;
}

void DataLink::SetActiveRecord(int index) {
    if (DataSet* dataSet = GetDataSet()) dataSet->SetActiveRecord(index);
}

void DataLink::Notify(DataEventKind event, const void* info) {
    switch (event) {
        case deUpdateState: {
            bool active = Active();
            if (active != wasActive_) {
                wasActive_ = active;
                ActiveChanged();
            }
            bool editing = Editing();
            if (editing != wasEditing_) {
                wasEditing_ = editing;
                EditingChanged();
            }
            break;
        }
        case deDataSetChange:
            DataSetChanged();
            break;
        case deDataSetScroll:
            DataSetScrolled(info ? *static_cast<const int*>(info) : 0);
            break;
        case deLayoutChange:
            LayoutChanged();
            break;
        case deFieldChange:
            RecordChanged(static_cast<Field*>(const_cast<void*>(info)));
            break;
        case deRecordChange:
            RecordChanged(nullptr);
            break;
        case deUpdateRecord:
            UpdateData();
            break;
        case deCheckBrowseMode:
            CheckBrowseMode();
            break;
    }
}

}  // namespace data
