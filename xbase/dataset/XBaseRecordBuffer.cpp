#include "xbase/dataset/XBaseRecordBuffer.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace xbase {

namespace {
constexpr std::size_t kRecNoOffset = 0;
constexpr std::size_t kFlagOffset = 5;
constexpr std::size_t kBookmarkOffset = 8;
}  // namespace

XBaseRecordBuffer::XBaseRecordBuffer(std::size_t recordLength)
    : recordLength_(recordLength), bytes_(recordLength + kRowDataSize, 0) {
    std::fill_n(bytes_.begin(), recordLength_, ' ');
}

bool XBaseRecordBuffer::Deleted() const { return recordLength_ > 0 && bytes_[0] == '*'; }

std::int32_t XBaseRecordBuffer::RecNo() const {
    std::int32_t recNo = 0;
    std::memcpy(&recNo, RowData() + kRecNoOffset, sizeof recNo);
    return recNo;
}

void XBaseRecordBuffer::SetRecNo(std::int32_t recNo) {
    std::memcpy(RowData() + kRecNoOffset, &recNo, sizeof recNo);
}

data::BookmarkFlag XBaseRecordBuffer::Flag() const {
    return static_cast<data::BookmarkFlag>(RowData()[kFlagOffset]);
}

void XBaseRecordBuffer::SetFlag(data::BookmarkFlag flag) {
    RowData()[kFlagOffset] = static_cast<std::uint8_t>(flag);
}

data::Bookmark XBaseRecordBuffer::Bookmark() const {
    const auto* text = reinterpret_cast<const char*>(RowData() + kBookmarkOffset);
    if (text[0] == '\0') return {};
    return data::Bookmark(text, kBookmarkSize);
}

void XBaseRecordBuffer::SetBookmark(const data::Bookmark& bookmark) {
    std::uint8_t* target = RowData() + kBookmarkOffset;
    std::memset(target, 0, kBookmarkSize);
    std::memcpy(target, bookmark.data(), std::min(bookmark.size(), kBookmarkSize - 1));
}

void XBaseRecordBuffer::ClearBookmark() {
    std::memset(RowData() + kBookmarkOffset, 0, kBookmarkSize);
}

data::Bookmark XBaseRecordBuffer::BookmarkFor(std::int32_t recNo) {
    char text[kBookmarkSize + 1] = {};
    std::snprintf(text, sizeof text, "%10d", static_cast<int>(recNo));
    return data::Bookmark(text, kBookmarkSize);
}

std::optional<std::int32_t> XBaseRecordBuffer::RecNoOf(const data::Bookmark& bookmark) {
    std::size_t begin = bookmark.find_first_not_of(' ');
    std::size_t end = bookmark.find('\0');
    if (end == data::Bookmark::npos) end = bookmark.size();
    if (begin == data::Bookmark::npos || begin >= end) return std::nullopt;
    std::int32_t recNo = 0;
    const char* first = bookmark.data() + begin;
    const char* last = bookmark.data() + end;
    auto [ptr, ec] = std::from_chars(first, last, recNo);
    if (ec != std::errc() || ptr != last) return std::nullopt;
    return recNo;
}

}  // namespace xbase
