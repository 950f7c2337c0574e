// One node (page) of a tag in memory: its entries in tag order, its place in the file,
// its siblings, and its link into the single path from the root that its tag holds.
//
// The tag owns the root; every node owns the child below its current entry. Formats fill
// a node in ReadNode and lay it out again in WriteNode; the tree operations of IndexTag
// do all the rest.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "xbase/index/IndexEntry.h"

namespace xbase {

class IndexTag;

class IndexNode {
public:
    // Level kinds below kLeafLevel are interior nodes (formats may keep their own
    // attribute there, such as CDX's 0 or 1); kLeafLevel and above are leaves.
    static constexpr int kInteriorLevel = 0;
    static constexpr int kLeafLevel = 3;

    std::vector<IndexEntry> entries;
    std::int64_t place = 0;  // byte offset or page number in the file; 0 until placed
    std::int64_t left = -1;  // sibling places, -1 for none
    std::int64_t right = -1;
    IndexNode* parent = nullptr;       // one level up on the path; nullptr for the root
    std::unique_ptr<IndexNode> child;  // one level down on the path, loaded on demand
    IndexTag* tag = nullptr;
    int levelKind = kLeafLevel;
    int position = -1;     // the current entry, -1 for none
    bool changed = false;  // must be written back before it is dropped
    bool atFirst = false;  // the current entry is the first / last of the whole tag
    bool atLast = false;
    // Room for a format's own node fields kept from reading to writing (MDX's chain
    // page, CDX's leaf parameters...); the tree operations leave it alone.
    std::uint32_t formatWord = 0;

    bool IsLeaf() const { return levelKind >= kLeafLevel; }
    bool Empty() const { return entries.empty(); }
    int Count() const { return static_cast<int>(entries.size()); }
    bool HasCurrent() const { return position >= 0 && position < Count(); }
    IndexEntry& Current() { return entries[static_cast<std::size_t>(position)]; }
    const IndexEntry& Current() const { return entries[static_cast<std::size_t>(position)]; }
    // Depth of this node below the root (0 for the root).
    int Depth() const {
        int depth = 0;
        for (const IndexNode* p = parent; p != nullptr; p = p->parent) ++depth;
        return depth;
    }
};

}  // namespace xbase
