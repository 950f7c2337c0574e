// Points a table's record buffer at other bytes (a blank record, a record read in a chunk,
// one being copied) for one scope, so that field reads and expressions see those bytes,
// and back at what it pointed to before when the scope ends, also on an exception.
#pragma once

#include <cstdint>

#include "xbase/table/DbfFile.h"

namespace xbase {

class RecordBufferScope {
public:
    // Requires: `record` holds at least the table's record length and outlives the scope.
    RecordBufferScope(DbfFile& table, std::uint8_t* record)
        : table_(table), previous_(table.UsesOwnRecordBuffer() ? nullptr : table.RecordBuffer()) {
        table_.UseRecordBuffer(record);
    }
    ~RecordBufferScope() { table_.UseRecordBuffer(previous_); }
    RecordBufferScope(const RecordBufferScope&) = delete;
    RecordBufferScope& operator=(const RecordBufferScope&) = delete;

private:
    DbfFile& table_;
    std::uint8_t* previous_;  // nullptr: the table's own buffer
};

}  // namespace xbase
