// Gathers the (key, record number) pairs of a tag build and delivers them in key order,
// equal keys by ascending record number; a unique tag keeps the lowest record of each key.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/LargeBuffer.h"

namespace xbase::cdx {

class CdxSorter {
public:
    explicit CdxSorter(std::uint16_t keyLength) : keyLength_(keyLength) {}

    void Reserve(std::size_t count);
    // Copies a key of the tag's key length.
    void Add(const std::uint8_t* key, std::uint32_t record);
    // Orders what was added; with `unique`, later records of an equal key are dropped.
    void Sort(bool unique);

    std::size_t Count() const { return count_; }
    // Copies the i-th key in order (after Sort) into `out` (KeyLength() bytes).
    void CopyKey(std::size_t i, std::uint8_t* out) const;
    std::uint32_t Record(std::size_t i) const {
        const std::uint64_t low = items_[i].low;
        return Packed() ? static_cast<std::uint32_t>(low) : records_[low];
    }
    std::uint16_t KeyLength() const { return keyLength_; }

    // Keys up to this long travel whole inside their items.
    static constexpr std::size_t kLongestPackedKey = 12;

private:
    // Keys of up to 12 bytes are packed: `high` holds key bytes 0-7 and `low` bytes 8-11
    // then the record number, most significant first, so an item orders as its (key,
    // record) pair by plain integer comparison. Longer keys keep `high` as their first 8
    // bytes and `low` as their place in keys_ and records_.
    struct Item {
        std::uint64_t high;
        std::uint64_t low;
        bool operator<(const Item& o) const { return high != o.high ? high < o.high : low < o.low; }
    };

    bool Packed() const { return keyLength_ <= kLongestPackedKey; }
    void Grow();
    // Packed items: buckets by the first two key bytes, then radix passes of one byte
    // within each bucket (small enough to stay in the caches).
    void RadixSort();
    Item* SortBucket(Item* data, Item* spare, std::size_t n, std::size_t from);
    void CompareSort();

    std::uint16_t keyLength_;
    // Items in large-page memory: a build of a million keys fills 16 MB of them.
    platform::LargeArray<Item> items_;
    std::size_t count_ = 0;
    std::vector<std::uint8_t> keys_;      // long keys only
    std::vector<std::uint32_t> records_;  // long keys only
    std::uint32_t lastRecord_ = 0;
    bool ascending_ = true;  // records came in ascending order: equal keys need no pass
};

}  // namespace xbase::cdx
