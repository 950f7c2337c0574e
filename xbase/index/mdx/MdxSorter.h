// Bulk build of one MDX tag: sorts the keys of every record and writes the tag's nodes
// bottom-up, leaves first, each level filled evenly, every leaf at the same depth.
//
// Character keys are given as text; numeric and date keys as numbers (Julian day for
// dates, the empty date as 1e100). Equal keys keep the order they were given in. A number
// is packed once, when it is added, and sorted by the value its packed form holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "xbase/index/KeySorter.h"
#include "xbase/index/mdx/MdxFormat.h"

namespace xbase {

struct FieldDescriptor;

class MdxSorter {
public:
    using BlockWriter =
        std::function<void(std::uint64_t offset, const std::uint8_t* data, std::size_t count)>;

    // `tag` gives key type, length, node capacity, order and uniqueness.
    MdxSorter(const mdx::TagHeader& tag, std::size_t blockSize, std::size_t expected = 0);

    void AddText(std::string_view key, std::uint32_t recno);
    // A numeric key as evaluated (rounded to what its packed form holds here) or a date.
    void AddNumber(double key, std::uint32_t recno);
    // The key of `record` read from its field `field` (the whole key expression) where
    // the field's bytes give it plainly; false (nothing added) otherwise.
    bool AddFieldKey(const FieldDescriptor& field, const std::uint8_t* record, std::uint32_t recno);

    // Sorts and writes the nodes in blocks from page `firstPage` on; returns the root page
    // and updates `tag`'s first and last node pages; `nextPage` gets the page after the last
    // block. Each block's chain page is the tag's last allocated page before it. Without
    // keys the root is one empty leaf.
    std::uint32_t Write(std::uint32_t firstPage, mdx::TagHeader& tag, const BlockWriter& write,
                        std::uint32_t& nextPage);

    std::size_t Count() const { return sorter_.Count(); }

private:
    // The stored form of sorted key i.
    void StoredKey(std::size_t i, std::uint8_t* out) const;

    mdx::TagHeader tag_;
    std::size_t blockSize_;
    KeySorter sorter_;
    std::string scratch_;
};

}  // namespace xbase
