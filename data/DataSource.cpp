#include "data/DataSource.h"

#include <algorithm>

#include "data/DataLink.h"
#include "data/DataSet.h"

namespace data {

DataSource::DataSource(DataSet* dataSet) { SetDataSet(dataSet); }

DataSource::~DataSource() {
    SetDataSet(nullptr);
    for (DataLink* link : links_) link->source_ = nullptr;
}

void DataSource::SetDataSet(DataSet* dataSet) {
    if (dataSet == dataSet_) return;
    if (dataSet_ != nullptr) dataSet_->RemoveDataSource(this);
    dataSet_ = dataSet;
    if (dataSet_ != nullptr) {
        dataSet_->AddDataSource(this);
        dataSet_->UpdateBufferCount();
    }
    lastState_ = State();
    for (DataLink* link : std::vector<DataLink*>(links_)) link->Notify(deUpdateState, nullptr);
}

void DataSource::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    lastState_ = State();
    if (OnStateChange) OnStateChange(*this);
    for (DataLink* link : std::vector<DataLink*>(links_)) link->Notify(deUpdateState, nullptr);
}

DataSetState DataSource::State() const {
    if (!enabled_ || dataSet_ == nullptr) return dsInactive;
    return dataSet_->State();
}

void DataSource::Edit() {
    if (autoEdit_ && State() == dsBrowse) dataSet_->Edit();
}

void DataSource::Notify(DataEventKind event, const void* info) {
    if (!enabled_) return;
    switch (event) {
        case deUpdateState:
            if (State() != lastState_) {
                lastState_ = State();
                if (OnStateChange) OnStateChange(*this);
            }
            break;
        case deFieldChange:
            if (OnDataChange) OnDataChange(*this, static_cast<Field*>(const_cast<void*>(info)));
            break;
        case deRecordChange:
        case deDataSetChange:
        case deDataSetScroll:
        case deLayoutChange:
            if (OnDataChange) OnDataChange(*this, nullptr);
            break;
        case deUpdateRecord:
            if (OnUpdateData) OnUpdateData(*this);
            break;
        case deCheckBrowseMode:
            break;
    }
    for (DataLink* link : std::vector<DataLink*>(links_)) link->Notify(event, info);
}

void DataSource::AddLink(DataLink* link) {
    links_.push_back(link);
    if (dataSet_ != nullptr) dataSet_->UpdateBufferCount();
}

void DataSource::RemoveLink(DataLink* link) {
    links_.erase(std::remove(links_.begin(), links_.end(), link), links_.end());
    if (dataSet_ != nullptr) dataSet_->UpdateBufferCount();
}

void DataSource::DataSetGone() {
    dataSet_ = nullptr;
    lastState_ = dsInactive;
    for (DataLink* link : std::vector<DataLink*>(links_)) link->Notify(deUpdateState, nullptr);
}

}  // namespace data
