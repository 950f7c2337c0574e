// The decoded nodes of one tag's tree by page offset: an open-addressing table over node
// objects that outlive their entries, so that emptying the cache (another program's
// change, a trimmed cache) keeps the objects and their buffers for the nodes read next.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "xbase/index/cdx/CdxNode.h"

namespace xbase::cdx {

class CdxNodeCache {
public:
    // The node entered for `offset`; nullptr when there is none.
    CdxNode* Find(std::uint32_t offset) const {
        if (slots_.empty()) return nullptr;
        for (std::size_t i = Home(offset);; i = (i + 1) & mask_) {
            const Slot& s = slots_[i];
            if (s.offset == offset) return s.node;
            if (s.offset == kEmpty) return nullptr;
        }
    }
    // Enters a node for `offset` (a page offset, never 0, not entered yet) and returns it
    // blank with a new generation: the caller fills it. Nodes stay where they are while
    // others come and go; a node taken out has generation 0 until it is taken again.
    CdxNode& Add(std::uint32_t offset);
    // Takes the entry for `offset` out (its node is not reused before Clear).
    void Erase(std::uint32_t offset);
    // Takes every entry out; the node objects wait for reuse.
    void Clear();
    std::size_t Size() const { return size_; }

private:
    struct Slot {
        std::uint32_t offset;
        CdxNode* node;
    };
    static constexpr std::uint32_t kEmpty = 0;  // no node lies at offset 0 (the file header)

    std::size_t Home(std::uint32_t offset) const {
        return static_cast<std::size_t>(((offset >> 9) * 0x9E3779B97F4A7C15ull) >> shift_) & mask_;
    }
    void Rehash(std::size_t capacity);

    std::vector<Slot> slots_;  // a power of two of them, at most half in use
    std::size_t mask_ = 0;
    unsigned shift_ = 63;
    std::size_t size_ = 0;
    std::uint64_t generation_ = 0;
    std::vector<std::unique_ptr<CdxNode>> nodes_;
    std::size_t used_ = 0;  // nodes_[0, used_) were handed out since the last Clear
};

}  // namespace xbase::cdx
