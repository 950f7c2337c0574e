// One key entry of an index node in memory.
#pragma once

#include <cstdint>

#include "xbase/index/IndexKey.h"

namespace xbase {

struct IndexEntry {
    IndexKey key;
    // The record the key belongs to. In an interior node the record number of the last key
    // of the child's subtree when the format stores one (CDX), else 0.
    std::uint32_t recNo = 0;
    // In an interior node the child node's place in the file (a byte offset or a page
    // number, by format); in a leaf the record number again (or 0; leaves never read it).
    std::uint32_t child = 0;
};

}  // namespace xbase
