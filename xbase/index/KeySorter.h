// Sorts the keys of a tag being built: fixed-length byte keys in an order-preserving form,
// each with its record number, ascending or descending, equal keys kept in the order they
// were given, and for a unique tag only the first of each key.
//
// The bulk builders of the index formats share it: each gives keys in a form whose
// unsigned byte order is the tag's order, and lays the sorted result out in its own pages.
// A key may carry bytes that do not take part in the order (a stored form kept beside the
// sortable one): the first SortLength() bytes order, the rest travel with them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/LargeBuffer.h"

namespace xbase {

class KeySorter {
public:
    // `keyLength` bytes per key, of which the first `sortLength` (all when 0) give the
    // order; `expected` reserves room for that many keys.
    KeySorter(std::size_t keyLength, bool descending, bool unique, std::size_t expected = 0,
              std::size_t sortLength = 0);

    // Adds one key of KeyLength() bytes (copied).
    void Add(const std::uint8_t* key, std::uint32_t recno);
    // Adds a key whose KeyLength() bytes the caller writes at the place returned (valid
    // until the next Add, NewKey or Sort).
    std::uint8_t* NewKey(std::uint32_t recno) {
        if (count_ == capacity_) Grow();
        recnos_[count_] = recno;
        return keys_.Data() + count_++ * keyLength_;
    }
    // Orders the keys; afterwards Count(), Key() and Recno() give the sorted result.
    void Sort();

    std::size_t KeyLength() const { return keyLength_; }
    std::size_t SortLength() const { return sortLength_; }
    std::size_t Count() const { return count_; }
    const std::uint8_t* Key(std::size_t i) const { return keys_.Data() + i * keyLength_; }
    std::uint32_t Recno(std::size_t i) const { return recnos_[i]; }

    // The order-preserving 8-byte form of a double (big-endian, sign bit flipped for
    // positive values, all bits for negative ones): its bytes sort as the numbers do.
    static void SortableDouble(double value, std::uint8_t* out);
    // The double back from its order-preserving form.
    static double DoubleFromSortable(const std::uint8_t* in);

private:
    void Grow();

    std::size_t keyLength_;
    std::size_t sortLength_;
    bool descending_;
    bool unique_;
    std::size_t count_ = 0;
    std::size_t capacity_ = 0;
    platform::LargeArray<std::uint8_t> keys_;     // count_ keys of keyLength_ bytes
    platform::LargeArray<std::uint32_t> recnos_;  // the record number of each
};

}  // namespace xbase
