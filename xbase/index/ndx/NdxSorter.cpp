#include "xbase/index/ndx/NdxSorter.h"

#include <cstring>

#include "xbase/index/BPlusBuild.h"
#include "xbase/index/FieldKey.h"
#include "xbase/index/IndexBytes.h"
#include "xbase/index/PageRun.h"
#include "xbase/index/ndx/NdxFormat.h"

namespace xbase {

NdxSorter::NdxSorter(const Layout& layout, std::size_t expected)
    : layout_(layout),
      sorter_(layout.keyType == 'C' ? layout.keyLength : 8, false, layout.unique, expected) {}

void NdxSorter::AddText(std::string_view key, std::uint32_t recno) {
    scratch_.assign(key.substr(0, layout_.keyLength));
    scratch_.resize(layout_.keyLength, ' ');
    sorter_.Add(reinterpret_cast<const std::uint8_t*>(scratch_.data()), recno);
}

void NdxSorter::AddNumber(double key, std::uint32_t recno) {
    std::uint8_t sortable[8];
    KeySorter::SortableDouble(key, sortable);
    sorter_.Add(sortable, recno);
}

bool NdxSorter::AddFieldKey(const FieldDescriptor& field, const std::uint8_t* record,
                            std::uint32_t recno) {
    return fieldkey::AddFieldKey(
        field, record, layout_.keyType, layout_.keyLength, [&] { return sorter_.NewKey(recno); },
        [&](double number) { AddNumber(number, recno); });
}

std::uint32_t NdxSorter::Write(std::uint32_t firstPage, const PageWriter& write,
                               std::uint32_t& nextPage) {
    sorter_.Sort();
    const std::size_t size = layout_.entrySize;
    PageRun run(ndx::kPageSize, static_cast<std::uint64_t>(firstPage) * ndx::kPageSize, write);
    auto storeKey = [&](std::size_t key, std::uint8_t* out) {
        if (layout_.keyType == 'C') {
            std::memcpy(out, sorter_.Key(key), layout_.keyLength);
        } else {
            bytes::PutLeDouble(out, KeySorter::DoubleFromSortable(sorter_.Key(key)));
        }
    };
    std::uint8_t* data = nullptr;
    auto newNode = [&](std::size_t count, bool) {
        data = run.NextPage();
        bytes::PutLe32(data + ndx::node::KeyCount, static_cast<std::uint32_t>(count));
        return static_cast<std::uint32_t>(run.LastOffset() / ndx::kPageSize);
    };
    auto putLeaf = [&](std::size_t slot, std::size_t key) {
        std::uint8_t* e = data + ndx::node::Entries + slot * size;
        bytes::PutLe32(e + ndx::node::RecordNumber, sorter_.Recno(key));
        storeKey(key, e + ndx::node::Key);
    };
    auto putBranch = [&](std::size_t slot, std::uint32_t child, std::size_t key, bool hasKey) {
        std::uint8_t* e = data + ndx::node::Entries + slot * size;
        bytes::PutLe32(e + ndx::node::ChildPage, child);
        if (hasKey) storeKey(key, e + ndx::node::Key);
    };
    const std::uint32_t root =
        BuildBPlusTree(sorter_.Count(), layout_.maxKeys, newNode, putLeaf, putBranch);
    run.Flush();
    nextPage = static_cast<std::uint32_t>(run.End() / ndx::kPageSize);
    return root;
}

}  // namespace xbase
