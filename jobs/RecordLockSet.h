// The record locks of every live record of the tables a refresh replaces, held from
// before the first delete until the refill is written, so that the machine's program
// cannot be editing a record the refresh deletes and a record it holds stops the refresh
// before any table has changed.
#pragma once

#include <string>
#include <vector>

namespace xbase {
class XBaseDataSet;
}

namespace jobs {

class RecordLockSet {
public:
    RecordLockSet() = default;
    ~RecordLockSet() { ReleaseAll(); }
    RecordLockSet(const RecordLockSet&) = delete;
    RecordLockSet& operator=(const RecordLockSet&) = delete;

    // Locks every live record of the open table (`fileName` names it in the message).
    // A refused lock gives back every lock of the set, of every table, and raises
    // "Record is locked by another user" naming the table and the record. A production
    // index the table's header flags that cannot be kept is refused the same way first.
    void LockLiveRecords(xbase::XBaseDataSet& table, const std::string& fileName);
    // Gives back every lock of the set.
    void ReleaseAll();

private:
    std::vector<xbase::XBaseDataSet*> tables_;
};

}  // namespace jobs
