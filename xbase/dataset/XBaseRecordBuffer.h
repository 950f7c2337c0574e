// One row of the xBase dataset's buffer ring: the record bytes exactly as in the file
// (deletion flag first), then 19 bytes of row data: the physical record number (int32),
// the framework's bookmark flag 5 bytes after it, and the 11-byte bookmark 8 bytes after
// it (the record number in ten right-aligned characters, then a NUL). Calculated fields
// live in the framework's own per-row values, so the calculated area here is empty.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "data/DataSetTypes.h"

namespace xbase {

class XBaseRecordBuffer : public data::RecordBuffer {
public:
    static constexpr std::size_t kRowDataSize = 19;
    static constexpr std::size_t kBookmarkSize = 11;

    explicit XBaseRecordBuffer(std::size_t recordLength);

    std::uint8_t* Record() { return bytes_.data(); }
    const std::uint8_t* Record() const { return bytes_.data(); }
    std::size_t RecordLength() const { return recordLength_; }
    bool Deleted() const;

    std::int32_t RecNo() const;
    void SetRecNo(std::int32_t recNo);
    data::BookmarkFlag Flag() const;
    void SetFlag(data::BookmarkFlag flag);
    // The 11-byte bookmark text; empty when none was written.
    data::Bookmark Bookmark() const;
    void SetBookmark(const data::Bookmark& bookmark);
    void ClearBookmark();

    // "%10d" followed by a NUL.
    static data::Bookmark BookmarkFor(std::int32_t recNo);
    // The record number a bookmark names; nullopt when the text is no number.
    static std::optional<std::int32_t> RecNoOf(const data::Bookmark& bookmark);

private:
    std::uint8_t* RowData() { return bytes_.data() + recordLength_; }
    const std::uint8_t* RowData() const { return bytes_.data() + recordLength_; }

    std::size_t recordLength_;
    std::vector<std::uint8_t> bytes_;
};

}  // namespace xbase
