// The bulk build of a tag from sorted keys: leaves filled left to right, each level above
// filled from the last keys of the level below, the top node the root. Pages are laid out
// one after another from a first page the caller allocated, and handed to the caller in
// that order as they are finished.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "xbase/index/cdx/CdxSorter.h"

namespace xbase::cdx {

// Takes finished pages: `size` bytes (whole pages) that belong at `offset` of the file.
// Calls come in ascending offsets, each run following the one before.
using CdxPageSink =
    std::function<void(std::uint32_t offset, const std::uint8_t* pages, std::size_t size)>;

struct CdxBuiltTree {
    std::uint32_t root = 0;
    std::size_t pages = 0;  // laid out from the first page, 512 bytes each
};

// Lays out the sorter's keys (after Sort) as a tree starting at `firstPage` and hands the
// pages to `write`; leaves are written for record numbers up to `maxRecord`. An empty
// sorter gives one empty root leaf. What `write` throws ends the build.
CdxBuiltTree BulkLoad(const CdxSorter& sorted, std::uint8_t pad, std::uint32_t maxRecord,
                      std::uint32_t firstPage, const CdxPageSink& write);

}  // namespace xbase::cdx
