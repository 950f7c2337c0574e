// Bulk build of a Clipper index tag: sorts the keys of every record and writes the tree
// bottom-up, leaves first, each level filled evenly, every leaf at the same depth.
//
// The keys given are the stored key texts (NtxFormat), whose byte order is the tag's
// order; equal keys keep the order they were given in (record order during a build).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "xbase/index/KeySorter.h"
#include "xbase/index/ntx/NtxFormat.h"

namespace xbase {

struct FieldDescriptor;

class NtxSorter {
public:
    // Writes `count` bytes at byte `offset` of the index file.
    using PageWriter =
        std::function<void(std::uint64_t offset, const std::uint8_t* data, std::size_t count)>;

    // `header` gives key length, page capacity, order and uniqueness.
    explicit NtxSorter(const ntx::Header& header, std::size_t expected = 0);

    // Adds one key: its stored text (padded or cut to the key length) and record number.
    void AddText(std::string_view key, std::uint32_t recno);
    // The key of `record` read from its field `field` (the whole key expression) where
    // the field's bytes give it plainly; false (nothing added) otherwise.
    bool AddFieldKey(const FieldDescriptor& field, const std::uint8_t* record, std::uint32_t recno);

    // Sorts and writes the pages from byte `firstPage` on (a multiple of the page size);
    // returns the root page's offset and sets `end` to the byte after the last page.
    // Without keys the root is one empty leaf.
    std::uint32_t Write(std::uint32_t firstPage, const PageWriter& write, std::uint64_t& end);

    std::size_t Count() const { return sorter_.Count(); }

private:
    ntx::Header header_;
    KeySorter sorter_;
    std::string scratch_;
};

}  // namespace xbase
