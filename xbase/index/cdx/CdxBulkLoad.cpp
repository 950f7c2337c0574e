#include "xbase/index/cdx/CdxBulkLoad.h"

#include <cstring>
#include <vector>

#include "xbase/index/cdx/CdxFormat.h"
#include "xbase/index/cdx/CdxNode.h"

namespace xbase::cdx {

namespace {

// One entry of the level being built: the last key of a node below (its place in the
// separator keys) and its page.
struct Separator {
    std::size_t key;
    std::uint32_t record;
    std::uint32_t page;
};

// The pages of the tree in the order they are made, handed on in runs so that a build
// holds a few dozen pages at a time, not the whole tree.
class PageOutput {
public:
    PageOutput(std::uint32_t firstPage, const CdxPageSink& write)
        : firstPage_(firstPage), write_(write), run_(kRunPages * kPageSize) {}

    // A zeroed page for the next place; the pages before it must be finished.
    std::uint8_t* NewPage() {
        if (used_ == kRunPages) Flush();
        std::uint8_t* page = run_.data() + used_++ * kPageSize;
        std::memset(page, 0, kPageSize);
        ++pages_;
        return page;
    }
    void Flush() {
        if (used_ == 0) return;
        write_(At(pages_ - used_), run_.data(), used_ * kPageSize);
        used_ = 0;
    }
    std::size_t Pages() const { return pages_; }
    std::uint32_t At(std::size_t index) const {
        return firstPage_ + static_cast<std::uint32_t>(index * kPageSize);
    }

private:
    static constexpr std::size_t kRunPages = 128;

    std::uint32_t firstPage_;
    const CdxPageSink& write_;
    std::vector<std::uint8_t> run_;
    std::size_t used_ = 0;
    std::size_t pages_ = 0;
};

// Fills interior nodes from `below` and returns the separators of the new level.
std::vector<Separator> BuildLevel(PageOutput& out, const std::vector<Separator>& below,
                                  const std::vector<std::uint8_t>& keys, std::uint16_t L,
                                  std::uint8_t pad, bool top) {
    const std::size_t capacity = InteriorCapacity(L);
    const std::size_t nodes = (below.size() + capacity - 1) / capacity;
    const std::size_t first = out.Pages();
    std::vector<Separator> level;
    for (std::size_t k = 0; k < nodes; ++k) {
        std::uint8_t* page = out.NewPage();
        const std::size_t begin = k * capacity;
        const std::size_t end = begin + capacity < below.size() ? begin + capacity : below.size();
        const bool root = top && nodes == 1;
        PutLe16(page + node::Attributes, root ? attr::Interior | attr::Root : attr::Interior);
        PutLe16(page + node::KeyCount, static_cast<std::uint16_t>(end - begin));
        PutLe32(page + node::Left, k == 0 ? kNoPage : out.At(first + k - 1));
        PutLe32(page + node::Right, k + 1 == nodes ? kNoPage : out.At(first + k + 1));
        std::uint8_t* at = page + node::InteriorEntries;
        std::memset(at, pad, node::InteriorArea);
        for (std::size_t i = begin; i < end; ++i, at += L + 8) {
            std::memcpy(at, keys.data() + below[i].key, L);
            PutBe32(at + L, below[i].record);
            PutBe32(at + L + 4, below[i].page);
        }
        level.push_back({below[end - 1].key, below[end - 1].record, out.At(first + k)});
    }
    return level;
}

}  // namespace

CdxBuiltTree BulkLoad(const CdxSorter& sorted, std::uint8_t pad, std::uint32_t maxRecord,
                      std::uint32_t firstPage, const CdxPageSink& write) {
    PageOutput out(firstPage, write);
    const std::uint16_t L = sorted.KeyLength();
    const LeafParams params = LeafParams::For(L, maxRecord);
    LeafPageWriter writer(L, pad, params);
    const std::size_t closeBelow = 2 * (static_cast<std::size_t>(params.entryBytes) + L);
    const std::size_t count = sorted.Count();

    // Keys are copied out of the sorter into two buffers by turns: the writer compares
    // each key with the one before.
    std::vector<std::uint8_t> key(2 * static_cast<std::size_t>(L));
    std::vector<std::uint8_t> separatorKeys;
    std::vector<Separator> level;
    auto separate = [&](const std::uint8_t* last, std::uint32_t record, std::uint32_t page) {
        level.push_back({separatorKeys.size(), record, page});
        separatorKeys.insert(separatorKeys.end(), last, last + L);
    };
    std::size_t leafIndex = 0;
    writer.Begin(out.NewPage());
    const std::uint8_t* last = key.data();
    for (std::size_t i = 0; i < count; ++i) {
        std::uint8_t* k = key.data() + (i % 2) * L;
        sorted.CopyKey(i, k);
        const std::uint32_t record = sorted.Record(i);
        writer.Add(k, record);
        last = k;
        if (writer.Free() < closeBelow && i + 1 < count) {
            writer.Finish(attr::Leaf, leafIndex == 0 ? kNoPage : out.At(leafIndex - 1),
                          out.At(leafIndex + 1));
            separate(k, record, out.At(leafIndex));
            ++leafIndex;
            writer.Begin(out.NewPage());
        }
    }
    const bool single = level.empty();
    writer.Finish(single ? attr::Leaf | attr::Root : attr::Leaf,
                  leafIndex == 0 ? kNoPage : out.At(leafIndex - 1), kNoPage);
    CdxBuiltTree tree;
    tree.root = firstPage;
    if (!single) {
        separate(last, sorted.Record(count - 1), out.At(leafIndex));
        while (level.size() > 1) {
            const bool top = level.size() <= InteriorCapacity(L);
            level = BuildLevel(out, level, separatorKeys, L, pad, top);
        }
        tree.root = level.front().page;
    }
    out.Flush();
    tree.pages = out.Pages();
    return tree;
}

}  // namespace xbase::cdx
