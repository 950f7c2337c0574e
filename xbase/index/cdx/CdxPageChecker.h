// The page checker: reads every node of one tag straight from the file, without the
// tree's cache, and reports the first thing that is not sound: a page that does not
// decode, free bytes that disagree with the entries, keys out of order, an interior key
// that is not the last key of its child, leaves at different depths, sibling links that
// do not chain the nodes of a level in order, record numbers beyond the table, a page
// reached twice.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "xbase/index/cdx/CdxPageStore.h"

namespace xbase::cdx {

struct CdxCheckResult {
    std::string fault;     // empty when the tag is sound
    std::size_t keys = 0;  // keys met in the leaves
    std::size_t nodes = 0;
    int depth = 0;  // levels, leaves included
    bool Sound() const { return fault.empty(); }
};

// Checks the tag whose root is at `root`; keys are `keyLength` bytes padded with `pad`;
// leaf record numbers must lie in 1..maxRecord.
CdxCheckResult CheckTag(CdxPageStore& store, std::uint32_t root, std::uint16_t keyLength,
                        std::uint8_t pad, std::uint32_t maxRecord);

}  // namespace xbase::cdx
