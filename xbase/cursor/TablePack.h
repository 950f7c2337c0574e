// Packing a table: the records flagged deleted leave the file for good and the memo file
// keeps only the memos of the records that stay, each once, in record order.
//
// The table must be had to itself: it is opened exclusively, so the pack is refused while
// any other program has it open. The packed table and memo file are written beside the
// originals under temporary names, flushed to the disk, and only then put in place of
// them by renames; any failure before that leaves both files exactly as they were.
#pragma once

#include <cstdint>
#include <string>

namespace xbase {

struct PackResult {
    std::int32_t kept = 0;     // records in the packed table
    std::int32_t removed = 0;  // deleted records left out
    bool hadMemo = false;
    std::uint64_t memoBytesBefore = 0;
    std::uint64_t memoBytesAfter = 0;
};

// Packs the table `name` (".DBF" added when it has no extension). Throws XBaseError when
// the table is in use elsewhere ("... is in use by another program"), carries a production
// index (which the pack would leave pointing at the old records), or cannot be read or
// written; the files are then unchanged.
PackResult PackTable(const std::string& name);

}  // namespace xbase
