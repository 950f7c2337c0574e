// One page of a Clipper index file decoded into its items, and laid out again.
//
// A page holds n keys. In a leaf every item's child is 0; in an interior page every one of
// its n + 1 items names a child page (by byte offset), and the last item carries only the
// child of the keys above the last key. Interior keys are entries of the index: each has
// its record number.
#pragma once

#include <cstdint>
#include <string>

#include "xbase/index/TreePage.h"
#include "xbase/index/ntx/NtxFormat.h"

namespace xbase::ntx {

// Decodes the page at `data` (kPageSize bytes) of a file of `fileSize` bytes, reading the
// items through the page's own offset table. Returns an empty text, or why the page cannot
// be a page of this tag: more keys than the header allows, an item outside the page, a
// child that is no page of the file or is `self`, a mix of leaf and interior items.
std::string DecodePage(const std::uint8_t* data, const Header& header, std::uint64_t fileSize,
                       std::uint64_t self, TreePage& out);

// Lays `page` out in kPageSize bytes in this engine's own layout (offset table in item
// order, keys padded with blanks). Requires KeyCount() <= header.maxKeys.
void EncodePage(const TreePage& page, const Header& header, std::uint8_t* data);

}  // namespace xbase::ntx
