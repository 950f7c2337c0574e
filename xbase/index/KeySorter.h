// Sorts the keys of a tag being built: fixed-length byte keys in an order-preserving form,
// each with its record number, ascending or descending, equal keys kept in the order they
// were given, and for a unique tag only the first of each key.
//
// The bulk builders of the index formats share it: each gives keys in a form whose
// unsigned byte order is the tag's order, and lays the sorted result out in its own pages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace xbase {

class KeySorter {
public:
    // `keyLength` bytes per key; `expected` reserves room for that many keys.
    KeySorter(std::size_t keyLength, bool descending, bool unique, std::size_t expected = 0);

    // Adds one key of KeyLength() bytes (copied).
    void Add(const std::uint8_t* key, std::uint32_t recno);
    // Orders the keys; afterwards Count(), Key() and Recno() give the sorted result.
    void Sort();

    std::size_t KeyLength() const { return keyLength_; }
    std::size_t Count() const { return order_.size(); }
    const std::uint8_t* Key(std::size_t i) const {
        return keys_.data() + static_cast<std::size_t>(order_[i].index) * keyLength_;
    }
    std::uint32_t Recno(std::size_t i) const { return recnos_[order_[i].index]; }

    // The order-preserving 8-byte form of a double (big-endian, sign bit flipped for
    // positive values, all bits for negative ones): its bytes sort as the numbers do.
    static void SortableDouble(double value, std::uint8_t* out);
    // The double back from its order-preserving form.
    static double DoubleFromSortable(const std::uint8_t* in);

private:
    struct Slot {
        std::uint64_t prefix;  // first 8 key bytes, big-endian (inverted when descending)
        std::uint32_t index;   // position in the order of Add
    };

    std::size_t keyLength_;
    bool descending_;
    bool unique_;
    std::vector<std::uint8_t> keys_;
    std::vector<std::uint32_t> recnos_;
    std::vector<Slot> order_;
};

}  // namespace xbase
