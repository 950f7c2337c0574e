#include "xbase/index/mdx/MdxNode.h"

#include <cstring>

#include "xbase/index/IndexBytes.h"

namespace xbase::mdx {

std::string DecodeNode(const std::uint8_t* block, const TagHeader& tag, const NodeBounds& bounds,
                       std::uint32_t self, TreePage& out, std::uint32_t& chainPage) {
    out.items.clear();
    const std::size_t n = bytes::GetLe32(block + kNodeCountAt);
    if (n > tag.maxKeys) return "key count above the node's capacity";
    chainPage = bytes::GetLe32(block + kNodeChainAt);
    const std::size_t size = tag.entrySize;
    const std::uint8_t* entries = block + kNodeEntriesAt;
    out.interior = bytes::GetLe32(entries + n * size) != 0;
    const std::size_t count = out.interior ? n + 1 : n;
    out.items.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* e = entries + i * size;
        TreeItem& item = out.items[i];
        std::uint32_t number = bytes::GetLe32(e);
        if (i < n) item.key.assign(reinterpret_cast<const char*>(e + 4), tag.keyLength);
        if (!out.interior) {
            if (number == 0) return "record number 0 in a leaf";
            item.recno = number;
            continue;
        }
        if (number < bounds.firstPage || number + bounds.pagesPerBlock > bounds.pages)
            return "child block outside the file";
        if (number == self) return "node names itself as child";
        item.child = number;
    }
    return {};
}

void EncodeNode(const TreePage& node, std::uint32_t chainPage, const TagHeader& tag,
                std::size_t blockSize, std::uint8_t* block) {
    std::memset(block, 0, blockSize);
    bytes::PutLe32(block + kNodeCountAt, static_cast<std::uint32_t>(node.KeyCount()));
    bytes::PutLe32(block + kNodeChainAt, chainPage);
    for (std::size_t i = 0; i < node.items.size(); ++i) {
        std::uint8_t* e = block + kNodeEntriesAt + i * tag.entrySize;
        const TreeItem& item = node.items[i];
        bytes::PutLe32(e, node.interior ? item.child : item.recno);
        std::size_t len = item.key.size() < tag.keyLength ? item.key.size() : tag.keyLength;
        std::memcpy(e + 4, item.key.data(), len);
    }
}

}  // namespace xbase::mdx
