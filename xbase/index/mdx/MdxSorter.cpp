#include "xbase/index/mdx/MdxSorter.h"

#include <cstring>
#include <vector>

#include "xbase/index/BPlusBuild.h"
#include "xbase/index/FieldKey.h"
#include "xbase/index/IndexBytes.h"
#include "xbase/index/PageRun.h"

namespace xbase {

using namespace mdx;

MdxSorter::MdxSorter(const TagHeader& tag, std::size_t blockSize, std::size_t expected)
    : tag_(tag),
      blockSize_(blockSize),
      // Numbers: the sortable double, then the packed decimal carried beside it.
      sorter_(tag.keyType == 'C'   ? tag.keyLength
              : tag.keyType == 'N' ? 8 + kNumericKeyLength
                                   : 8,
              tag.descending, tag.unique, expected, tag.keyType == 'C' ? 0 : 8) {}

void MdxSorter::AddText(std::string_view key, std::uint32_t recno) {
    const std::size_t len = tag_.keyLength;
    scratch_.assign(key.substr(0, len));
    scratch_.resize(len, ' ');
    sorter_.Add(reinterpret_cast<const std::uint8_t*>(scratch_.data()), recno);
}

void MdxSorter::AddNumber(double key, std::uint32_t recno) {
    std::uint8_t* place = sorter_.NewKey(recno);
    if (tag_.keyType == 'N') {
        EncodeNumber(key, place + 8);
        key = DecodeNumber(place + 8);
    }
    KeySorter::SortableDouble(key, place);
}

bool MdxSorter::AddFieldKey(const FieldDescriptor& field, const std::uint8_t* record,
                            std::uint32_t recno) {
    return fieldkey::AddFieldKey(
        field, record, tag_.keyType, tag_.keyLength, [&] { return sorter_.NewKey(recno); },
        [&](double number) { AddNumber(number, recno); });
}

void MdxSorter::StoredKey(std::size_t i, std::uint8_t* out) const {
    const std::uint8_t* key = sorter_.Key(i);
    switch (tag_.keyType) {
        case 'N':
            std::memcpy(out, key + 8, kNumericKeyLength);
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
