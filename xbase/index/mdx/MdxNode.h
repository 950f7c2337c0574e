// One node (block) of an MDX tag decoded into its items, and laid out again.
//
// A leaf holds n keys, each with its record number. An interior node holds n keys and
// n + 1 children (page numbers): key i is the last key of child i's subtree, and the entry
// after the last key carries only the rightmost child.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "xbase/index/TreePage.h"
#include "xbase/index/mdx/MdxFormat.h"

namespace xbase::mdx {

// Where a tag's nodes may lie: blocks of `blockSize` bytes (`pagesPerBlock` pages) in a
// file of `pages` pages, after the header region.
struct NodeBounds {
    std::size_t blockSize = kDefaultBlockSize;
    std::uint32_t pagesPerBlock = 2;
    std::uint64_t pages = 0;
    std::uint32_t firstPage = 4;  // first page after the header region
};

// Decodes the block at page `self`; `chainPage` gets bytes 4-7. Returns an empty text, or
// why it cannot be a node of this tag: more keys than the header allows, a child outside
// the file, inside the header region or at `self`, a record number 0 in a leaf.
std::string DecodeNode(const std::uint8_t* block, const TagHeader& tag, const NodeBounds& bounds,
                       std::uint32_t self, TreePage& out, std::uint32_t& chainPage);

// Lays `node` out in one block (zeroed first). Requires KeyCount() <= tag.maxKeys.
void EncodeNode(const TreePage& node, std::uint32_t chainPage, const TagHeader& tag,
                std::size_t blockSize, std::uint8_t* block);

}  // namespace xbase::mdx
