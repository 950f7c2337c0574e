// The B-tree of one compound-index tag over the file's pages: search, movement along the
// leaves, key insertion with splits and key removal, with a cache of decoded nodes.
//
// Keys are whole stored keys of the tag's key length; equal keys are ordered by record
// number. Every change writes the pages it touched before it returns (the caller holds
// the index file lock), in an order that leaves no page pointing at an unwritten one.
// A page that cannot be read as a node, a child outside the file or back up the path, and
// a sibling chain that loops are reported through the page store as error 2112.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "xbase/index/cdx/CdxNode.h"
#include "xbase/index/cdx/CdxNodeCache.h"
#include "xbase/index/cdx/CdxPageStore.h"

namespace xbase::cdx {

// A place in a tag: an entry of a leaf, or nowhere (before the first or after the last).
struct CdxPosition {
    std::uint32_t leaf = kNoPage;
    std::size_t index = 0;
    bool Valid() const { return leaf != kNoPage; }
};

class CdxTree {
public:
    // Record numbers that bound a search among keys with an equal prefix.
    static constexpr std::uint32_t kBeforeEqual = 0;
    static constexpr std::uint32_t kAfterEqual = 0xFFFFFFFFu;

    CdxTree(CdxPageStore& store, std::uint32_t root, std::uint16_t keyLength, std::uint8_t pad);

    std::uint32_t Root() const { return root_; }
    std::uint16_t KeyLength() const { return keyLength_; }
    std::uint8_t Pad() const { return pad_; }

    // The decoded node at `offset` (cached until Invalidate or the next top-level call
    // that trims the cache).
    const CdxNode& Node(std::uint32_t offset);
    // Drops every cached node (another program changed the file, or a change failed).
    void Invalidate();
    // The node at `offset` when it is cached; nullptr otherwise (nothing is read).
    const CdxNode* Cached(std::uint32_t offset) const {
        if (last_ != nullptr && last_->offset == offset) return last_;
        return cache_.Find(offset);
    }

    // The first entry whose first `keyBytes` bytes and record number are not below
    // (key, record); record kBeforeEqual finds the first of equal keys, kAfterEqual the
    // first key after them. Invalid when every entry is below.
    CdxPosition LowerBound(const std::uint8_t* key, std::size_t keyBytes, std::uint32_t record);
    CdxPosition First();
    CdxPosition Last();
    // Steps along the leaves; false (position made invalid) past either end.
    bool Next(CdxPosition& at);
    bool Prior(CdxPosition& at);
    const std::uint8_t* KeyAt(const CdxPosition& at) { return Node(at.leaf).Key(at.index); }
    std::uint32_t RecordAt(const CdxPosition& at) { return Node(at.leaf).records[at.index]; }

    // Adds (key, record); leaves are written for record numbers up to `maxRecord`.
    void Insert(const std::uint8_t* key, std::uint32_t record, std::uint32_t maxRecord);
    // Removes (key, record); false when the tag holds no such entry.
    bool Remove(const std::uint8_t* key, std::uint32_t record);

private:
    struct Step {
        std::uint32_t offset;
        std::size_t index;
    };

    CdxNode& Mutable(std::uint32_t offset) { return const_cast<CdxNode&>(Node(offset)); }
    // Child i of an interior node, through the node's shortcut when it still holds.
    const CdxNode& Child(const CdxNode& parent, std::size_t i);
    void TrimCache();
    // The leftmost (or rightmost) leaf of the tag.
    std::uint32_t EdgeLeaf(bool last);
    // Descends towards (key, record) recording the interior steps; returns the leaf.
    // With `clampRight` a key above every entry goes down the last child; otherwise the
    // descent stops with kNoPage.
    std::uint32_t Descend(const std::uint8_t* key, std::size_t keyBytes, std::uint32_t record,
                          bool clampRight, std::vector<Step>& path);
    void CheckChild(std::uint32_t child, const std::vector<Step>& path, std::uint32_t from);
    // Sets the separators above path level `level` (the node below path[level - 1]) to
    // that node's last key while it is the last entry of its parent.
    void FixSeparators(const std::vector<Step>& path, std::size_t level, std::uint32_t node);
    void Write(const CdxNode& n, std::uint32_t maxRecord);
    // Writes the changed nodes of the path bottom-up, splitting those that overflow.
    void FlushPath(std::vector<Step>& path, std::uint32_t leaf, std::uint32_t maxRecord);
    bool Fits(const CdxNode& n, std::uint32_t maxRecord) const;
    // Splits the front of node `x` (child `pathLevel` of the path) into a new left node.
    void SplitFront(std::vector<Step>& path, std::size_t parentLevel, std::uint32_t x,
                    std::uint32_t maxRecord);
    // Moves the root's entries to a new page under a new root on the root's page.
    std::uint32_t GrowRoot(std::vector<Step>& path);
    void Unlink(std::vector<Step>& path, std::uint32_t node);
    void MarkDirty(std::uint32_t offset);

    CdxPageStore& store_;
    std::uint32_t root_;
    std::uint16_t keyLength_;
    std::uint8_t pad_;
    CdxNodeCache cache_;
    CdxNode* last_ = nullptr;  // the node looked up last: most lookups ask for it again
    std::vector<std::uint32_t> dirty_;
    std::vector<Step> searchPath_;  // kept between searches so a seek allocates nothing
    std::vector<std::uint8_t> page_;
};

}  // namespace xbase::cdx
