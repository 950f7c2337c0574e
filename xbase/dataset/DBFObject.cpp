#include "xbase/dataset/DBFObject.h"

#include "xbase/dataset/XBaseDataSet.h"

namespace xbase {

DBFObject::DBFObject(const std::string& path, XBaseDataSet& dataSet, bool shared, bool writable,
                     const std::string& key)
    : DbfHandler(path, shared, writable, key), dataSet_(dataSet) {}

bool DBFObject::RecordAccepted() {
    if (!dataSet_.Active() || !dataSet_.Filtered() || !dataSet_.OnFilterRecord) return true;
    return dataSet_.FilterAcceptsEngineRecord();
}

void DBFObject::StatusReport(int stat1, int stat2, int stat3) {
    if (dataSet_.OnStatus) dataSet_.OnStatus(stat1, stat2, stat3);
}

bool DBFObject::RereadCurrent() {
    if (CurrentRecord() < 1) return false;
    return ReadRecord(CurrentRecord(), true);
}

}  // namespace xbase
