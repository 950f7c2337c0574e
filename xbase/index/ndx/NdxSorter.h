// Bulk build of a dBase single index: sorts the keys of every record and writes the nodes
// bottom-up, leaves first, each level filled evenly, every leaf at the same depth.
//
// Character keys are given as text; numeric and date keys as numbers (Julian day for
// dates, the empty date as 1e100). Equal keys keep the order they were given in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "xbase/index/KeySorter.h"

namespace xbase {

struct FieldDescriptor;

class NdxSorter {
public:
    using PageWriter =
        std::function<void(std::uint64_t offset, const std::uint8_t* data, std::size_t count)>;

    // The tag's layout: key type ('C' text, else doubles), stored key length, entry size,
    // keys per node, uniqueness.
    struct Layout {
        char keyType = 'C';
        std::size_t keyLength = 0;
        std::size_t entrySize = 0;
        std::size_t maxKeys = 0;
        bool unique = false;
    };

    explicit NdxSorter(const Layout& layout, std::size_t expected = 0);

    void AddText(std::string_view key, std::uint32_t recno);
    void AddNumber(double key, std::uint32_t recno);
    // The key of `record` read from its field `field` (the whole key expression) where
    // the field's bytes give it plainly; false (nothing added) otherwise.
    bool AddFieldKey(const FieldDescriptor& field, const std::uint8_t* record, std::uint32_t recno);

    // Sorts and writes the nodes from page `firstPage` on; returns the root page and sets
    // `nextPage` to the page after the last. Without keys the root is one empty leaf.
    std::uint32_t Write(std::uint32_t firstPage, const PageWriter& write, std::uint32_t& nextPage);

    std::size_t Count() const { return sorter_.Count(); }

private:
    Layout layout_;
    KeySorter sorter_;
    std::string scratch_;
};

}  // namespace xbase
