#include "xbase/index/cdx/CdxNodeCache.h"

#include <algorithm>
#include <utility>

namespace xbase::cdx {

CdxNode& CdxNodeCache::Add(std::uint32_t offset) {
    if (2 * (size_ + 1) > slots_.size()) Rehash(std::max<std::size_t>(64, 2 * slots_.size()));
    if (used_ == nodes_.size()) nodes_.push_back(std::make_unique<CdxNode>());
    CdxNode& node = *nodes_[used_++];
    // Blank again, keeping the buffers' room.
    std::vector<std::uint8_t> keys = std::move(node.keys);
    std::vector<std::uint32_t> records = std::move(node.records);
    std::vector<std::uint32_t> children = std::move(node.children);
    std::vector<CdxNode::Below> below = std::move(node.below);
    node = CdxNode{};
    node.keys = std::move(keys);
    node.records = std::move(records);
    node.children = std::move(children);
    node.below = std::move(below);
    node.keys.clear();
    node.records.clear();
    node.children.clear();
    node.below.clear();
    node.offset = offset;
    node.generation = ++generation_;
    std::size_t i = Home(offset);
    while (slots_[i].offset != kEmpty) i = (i + 1) & mask_;
    slots_[i] = {offset, &node};
    ++size_;
    return node;
}

void CdxNodeCache::Erase(std::uint32_t offset) {
    if (slots_.empty()) return;
    std::size_t i = Home(offset);
    while (slots_[i].offset != offset) {
        if (slots_[i].offset == kEmpty) return;
        i = (i + 1) & mask_;
    }
    slots_[i].node->generation = 0;
    // Backward shift: entries after the gap whose home does not lie between the gap and
    // their slot move into it, so no search stops early at the gap.
    for (std::size_t j = i;;) {
        j = (j + 1) & mask_;
        if (slots_[j].offset == kEmpty) break;
        const std::size_t home = Home(slots_[j].offset);
        const bool stays = i <= j ? (i < home && home <= j) : (i < home || home <= j);
        if (stays) continue;
        slots_[i] = slots_[j];
        i = j;
    }
    slots_[i] = {kEmpty, nullptr};
    --size_;
}

void CdxNodeCache::Clear() {
    std::fill(slots_.begin(), slots_.end(), Slot{kEmpty, nullptr});
    for (std::size_t n = 0; n < used_; ++n) nodes_[n]->generation = 0;
    size_ = 0;
    used_ = 0;
}

void CdxNodeCache::Rehash(std::size_t capacity) {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(capacity, Slot{kEmpty, nullptr});
    mask_ = capacity - 1;
    unsigned bits = 0;
    while ((std::size_t{1} << bits) < capacity) ++bits;
    shift_ = 64 - bits;
    for (const Slot& s : old) {
        if (s.offset == kEmpty) continue;
        std::size_t i = Home(s.offset);
        while (slots_[i].offset != kEmpty) i = (i + 1) & mask_;
        slots_[i] = s;
    }
}

}  // namespace xbase::cdx
