#include "jobs/RecordLockSet.h"

#include <stdexcept>

#include "xbase/dataset/XBaseDataSet.h"
#include "xbase/dataset/XBaseDataSetMessages.h"

namespace jobs {

void RecordLockSet::LockLiveRecords(xbase::XBaseDataSet& table, const std::string& fileName) {
    // A production index that cannot be kept would refuse the first write to this table,
    // after the tables before it were already replaced: it is found out here instead.
    try {
        table.Handler()->CheckProductionIndex();
    } catch (const std::exception& e) {
        ReleaseAll();
        throw std::runtime_error(std::string(e.what()) + ". No table was changed.");
    }
    std::vector<std::int32_t> live;
    for (table.First(); !table.Eof(); table.Next()) live.push_back(table.RecNo());
    tables_.push_back(&table);
    const std::int32_t refused = table.Handler()->LockRecords(live);
    if (refused == 0) return;
    ReleaseAll();
    throw std::runtime_error(std::string(xbase::dsmsg::RecordLocked) + ": " + fileName +
                             " record " + std::to_string(refused) + ". No table was changed.");
}

void RecordLockSet::ReleaseAll() {
    for (xbase::XBaseDataSet* table : tables_) {
        if (table->Active()) table->Handler()->UnlockRecords();
    }
    tables_.clear();
}

}  // namespace jobs
