// The table handler an XBaseDataSet opens for its table: a DbfHandler bound to that
// dataset. Records the cursor walks onto are offered to the dataset's OnFilterRecord
// while the dataset is filtered, and long operations report progress to its OnStatus.
#pragma once

#include <cstdint>
#include <string>

#include "xbase/cursor/DbfHandler.h"

namespace xbase {

class XBaseDataSet;

class DBFObject : public DbfHandler {
public:
    DBFObject(const std::string& path, XBaseDataSet& dataSet, bool shared, bool writable,
              const std::string& key = {});

    XBaseDataSet& DataSet() const { return dataSet_; }

    // Accepts a record only when the filtered dataset's OnFilterRecord does.
    bool RecordAccepted() override;
    // Progress of a long engine operation, passed to the dataset's OnStatus.
    void StatusReport(int stat1, int stat2, int stat3);

    // Reads the current record again from the disk into the record buffer, staying on
    // that record even when it is deleted and hidden.
    bool RereadCurrent();
    // Marks the cursor as standing after the last visible record.
    void SetAtEnd() { SetCursorFlags(true, false); }

private:
    XBaseDataSet& dataSet_;
};

}  // namespace xbase
