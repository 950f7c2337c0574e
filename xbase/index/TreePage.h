// One page (node) of an index tree decoded from any of the single-tree formats: its items
// in order, each with a child page, a record number and a stored key.
//
// In a leaf every item is a key with its record number. In an interior page the last item
// carries only the child that holds the keys above the others; the other items carry a
// child and a key (and, where the format keeps interior keys as entries of the index, the
// key's own record number).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace xbase {

struct TreeItem {
    std::uint32_t child = 0;  // page id of the child (format's unit), 0 in a leaf
    std::uint32_t recno = 0;
    std::string key;  // stored bytes; empty on the child-only item
};

struct TreePage {
    bool interior = false;
    std::vector<TreeItem> items;

    std::size_t KeyCount() const { return interior ? items.size() - 1 : items.size(); }
};

}  // namespace xbase
