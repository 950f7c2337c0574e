#include "xbase/index/mdx/MdxSorter.h"

#include <cstring>
#include <vector>

#include "xbase/index/BPlusBuild.h"
#include "xbase/index/PageRun.h"
#include "xbase/index/IndexBytes.h"

namespace xbase {

using namespace mdx;

MdxSorter::MdxSorter(const TagHeader& tag, std::size_t blockSize, std::size_t expected)
    : tag_(tag),
      blockSize_(blockSize),
      sorter_(tag.keyType == 'C' ? tag.keyLength : 8, tag.descending, tag.unique, expected) {}

void MdxSorter::AddText(std::string_view key, std::uint32_t recno) {
    const std::size_t len = tag_.keyLength;
    scratch_.assign(key.substr(0, len));
    scratch_.resize(len, ' ');
    sorter_.Add(reinterpret_cast<const std::uint8_t*>(scratch_.data()), recno);
}

void MdxSorter::AddNumber(double key, std::uint32_t recno) {
    std::uint8_t sortable[8];
    KeySorter::SortableDouble(key, sortable);
    sorter_.Add(sortable, recno);
}

void MdxSorter::StoredKey(std::size_t i, std::uint8_t* out) {
    const std::uint8_t* key = sorter_.Key(i);
    switch (tag_.keyType) {
        case 'N':
            if (lastNumber_ == nullptr || std::memcmp(lastNumber_, key, 8) != 0) {
                EncodeNumber(KeySorter::DoubleFromSortable(key), lastStored_);
                lastNumber_ = key;
            }
            std::memcpy(out, lastStored_, kNumericKeyLength);
            break;
        case 'D':
            EncodeDouble(KeySorter::DoubleFromSortable(key), out);
            break;
        default:
            std::memcpy(out, key, tag_.keyLength);
    }
}

std::uint32_t MdxSorter::Write(std::uint32_t firstPage, TagHeader& tag, const BlockWriter& write,
                               std::uint32_t& nextPage) {
    sorter_.Sort();
    const std::size_t n = sorter_.Count();
    const std::size_t m = tag_.maxKeys;
    const std::size_t size = tag_.entrySize;
    PageRun run(blockSize_, static_cast<std::uint64_t>(firstPage) * kPageSize, write);
    std::uint32_t lastAllocated = tag.lastNodePage;

    std::uint8_t* data = nullptr;
    auto newNode = [&](std::size_t count, bool) {
        data = run.NextPage();
        auto page = static_cast<std::uint32_t>(run.LastOffset() / kPageSize);
        bytes::PutLe32(data + kNodeCountAt, static_cast<std::uint32_t>(count));
        bytes::PutLe32(data + kNodeChainAt, lastAllocated);
        if (tag.firstNodePage == 0) tag.firstNodePage = page;
        lastAllocated = page;
        return page;
    };
    auto putLeaf = [&](std::size_t slot, std::size_t key) {
        std::uint8_t* e = data + kNodeEntriesAt + slot * size;
        bytes::PutLe32(e, sorter_.Recno(key));
        StoredKey(key, e + 4);
    };
    auto putBranch = [&](std::size_t slot, std::uint32_t child, std::size_t key, bool hasKey) {
        std::uint8_t* e = data + kNodeEntriesAt + slot * size;
        bytes::PutLe32(e, child);
        if (hasKey) StoredKey(key, e + 4);
    };
    std::uint32_t root = BuildBPlusTree(n, m, newNode, putLeaf, putBranch);
    run.Flush();
    tag.lastNodePage = lastAllocated;
    tag.rootPage = root;
    nextPage = static_cast<std::uint32_t>(run.End() / kPageSize);
    return root;
}

}  // namespace xbase
