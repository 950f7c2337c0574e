#include "xbase/index/ntx/NtxPage.h"

#include <cstring>

#include "xbase/index/IndexBytes.h"

namespace xbase::ntx {

std::string DecodePage(const std::uint8_t* data, const Header& header, std::uint64_t fileSize,
                       std::uint64_t self, TreePage& out) {
    out.items.clear();
    out.interior = false;
    const std::size_t n = bytes::GetLe16(data + kCountAt);
    if (n > header.maxKeys) return "key count above the page's capacity";
    const std::size_t itemSize = header.itemSize;
    const std::size_t tableEnd =
        kOffsetTableAt + 2 * (static_cast<std::size_t>(header.maxKeys) + 1);
    out.items.resize(n + 1);
    for (std::size_t i = 0; i <= n; ++i) {
        std::size_t at = bytes::GetLe16(data + kOffsetTableAt + 2 * i);
        if (at < tableEnd || at + itemSize > kPageSize) return "item outside the page";
        TreeItem& item = out.items[i];
        item.child = bytes::GetLe32(data + at + kItemChildAt);
        item.recno = bytes::GetLe32(data + at + kItemRecnoAt);
        if (i < n)
            item.key.assign(reinterpret_cast<const char*>(data + at + kItemKeyAt),
                            header.keyLength);
    }
    out.interior = out.items[0].child != 0;
    for (std::size_t i = 0; i <= n; ++i) {
        std::uint32_t child = out.items[i].child;
        if (!out.interior) {
            if (i < n && child != 0) return "leaf and interior items mixed";
            continue;
        }
        if (child == 0) return "leaf and interior items mixed";
        if (child % kPageSize != 0 || child < kPageSize || child + kPageSize > fileSize)
            return "child page outside the file";
        if (child == self) return "page names itself as child";
    }
    if (!out.interior) out.items.resize(n);
    return {};
}

void EncodePage(const TreePage& page, const Header& header, std::uint8_t* data) {
    std::memset(data, 0, kPageSize);
    const std::size_t n = page.KeyCount();
    const std::size_t itemSize = header.itemSize;
    const std::size_t maxKeys = header.maxKeys;
    bytes::PutLe16(data + kCountAt, static_cast<std::uint16_t>(n));
    for (std::size_t i = 0; i <= maxKeys; ++i) {
        bytes::PutLe16(data + kOffsetTableAt + 2 * i,
                       static_cast<std::uint16_t>(ItemOffset(i, itemSize, maxKeys)));
    }
    for (std::size_t i = 0; i < page.items.size(); ++i) {
        const TreeItem& item = page.items[i];
        std::uint8_t* at = data + ItemOffset(i, itemSize, maxKeys);
        bytes::PutLe32(at + kItemChildAt, item.child);
        bytes::PutLe32(at + kItemRecnoAt, item.recno);
        if (i < n) {
            std::size_t len =
                item.key.size() < header.keyLength ? item.key.size() : header.keyLength;
            std::memcpy(at + kItemKeyAt, item.key.data(), len);
            std::memset(at + kItemKeyAt + len, ' ', header.keyLength - len);
        }
    }
}

}  // namespace xbase::ntx
