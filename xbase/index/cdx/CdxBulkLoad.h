// The bulk build of a tag from sorted keys: leaves filled left to right, each level above
// filled from the last keys of the level below, the top node the root. Pages are laid out
// one after another from a first page the caller allocated, so the caller writes them in
// one piece.
#pragma once

#include <cstdint>
#include <vector>

#include "xbase/index/cdx/CdxSorter.h"

namespace xbase::cdx {

struct CdxBuiltTree {
    std::uint32_t firstPage = 0;
    std::uint32_t root = 0;
    std::vector<std::uint8_t> pages;  // page k lies at firstPage + 512 * k
};

// Lays out the sorter's keys (after Sort) as a tree starting at `firstPage`; leaves are
// written for record numbers up to `maxRecord`. An empty sorter gives one empty root leaf.
CdxBuiltTree BulkLoad(const CdxSorter& sorted, std::uint8_t pad, std::uint32_t maxRecord,
                      std::uint32_t firstPage);

}  // namespace xbase::cdx
