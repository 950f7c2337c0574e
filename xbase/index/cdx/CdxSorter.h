// Gathers the (key, record number) pairs of a tag build and delivers them in key order,
// equal keys by ascending record number; a unique tag keeps the lowest record of each key.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace xbase::cdx {

class CdxSorter {
public:
    explicit CdxSorter(std::uint16_t keyLength) : keyLength_(keyLength) {}

    void Reserve(std::size_t count);
    // Copies a key of the tag's key length.
    void Add(const std::uint8_t* key, std::uint32_t record);
    // Orders what was added; with `unique`, later records of an equal key are dropped.
    void Sort(bool unique);

    std::size_t Count() const { return order_.size(); }
    // The i-th pair in order (after Sort).
    const std::uint8_t* Key(std::size_t i) const {
        return keys_.data() + static_cast<std::size_t>(order_[i].ordinal) * keyLength_;
    }
    std::uint32_t Record(std::size_t i) const { return records_[order_[i].ordinal]; }
    std::uint16_t KeyLength() const { return keyLength_; }

private:
    struct Item {
        std::uint64_t prefix;   // the key's first 8 bytes, most significant first
        std::uint64_t second;   // its bytes 8 to 15 (zeros past the key's end)
        std::uint32_t ordinal;  // place in keys_ and records_
    };

    // Keys of up to 16 bytes are wholly held in their items: sorted by LSD radix passes
    // of one byte (stable, so equal keys keep the ascending record order they came in).
    void RadixSort();
    void CompareSort();

    std::uint16_t keyLength_;
    std::vector<std::uint8_t> keys_;
    std::vector<std::uint32_t> records_;
    std::vector<Item> order_;
};

}  // namespace xbase::cdx
