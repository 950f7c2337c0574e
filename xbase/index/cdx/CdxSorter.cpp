#include "xbase/index/cdx/CdxSorter.h"

#include <algorithm>
#include <cstring>

namespace xbase::cdx {

namespace {

// Bytes [from, from + 8) of a key, big-endian, zeros past its end.
std::uint64_t Word(const std::uint8_t* key, std::size_t length, std::size_t from) {
    std::uint64_t word = 0;
    for (std::size_t i = from; i < from + 8; ++i) word = word << 8 | (i < length ? key[i] : 0u);
    return word;
}

constexpr std::size_t kLongestRadixKey = 16;

}  // namespace

void CdxSorter::Reserve(std::size_t count) {
    keys_.reserve(count * keyLength_);
    records_.reserve(count);
    order_.reserve(count);
}

void CdxSorter::Add(const std::uint8_t* key, std::uint32_t record) {
    order_.push_back({Word(key, keyLength_, 0), Word(key, keyLength_, 8), static_cast<std::uint32_t>(records_.size())});
    keys_.insert(keys_.end(), key, key + keyLength_);
    records_.push_back(record);
}

void CdxSorter::RadixSort() {
    std::vector<Item> other(order_.size());
    std::vector<std::uint32_t> counts(256);
    // Least significant byte first: byte 15 of the key (in `second`) up to byte 0 (in
    // `prefix`). Byte-wide digits keep the scatter within 256 runs the caches can hold.
    for (std::size_t d = keyLength_; d-- > 0;) {
        const bool inPrefix = d < 8;
        const unsigned shift = static_cast<unsigned>(56 - 8 * (d % 8));
        auto digit = [&](const Item& item) {
            return static_cast<std::uint32_t>(((inPrefix ? item.prefix : item.second) >> shift) & 0xFFu);
        };
        std::fill(counts.begin(), counts.end(), 0u);
        for (const Item& item : order_) ++counts[digit(item)];
        // A digit every key shares (blanks at the end of short keys) orders nothing.
        if (counts[digit(order_.front())] == order_.size()) continue;
        std::uint32_t start = 0;
        for (std::uint32_t& c : counts) {
            const std::uint32_t n = c;
            c = start;
            start += n;
        }
        for (const Item& item : order_) other[counts[digit(item)]++] = item;
        order_.swap(other);
    }
}

void CdxSorter::CompareSort() {
    const std::size_t L = keyLength_;
    const std::size_t rest = L > kLongestRadixKey ? L - kLongestRadixKey : 0u;
    const std::uint8_t* keys = keys_.data();
    const std::uint32_t* records = records_.data();
    auto less = [&](const Item& a, const Item& b) {
        if (a.prefix != b.prefix) return a.prefix < b.prefix;
        if (a.second != b.second) return a.second < b.second;
        if (rest != 0) {
            const int c = std::memcmp(keys + a.ordinal * L + kLongestRadixKey, keys + b.ordinal * L + kLongestRadixKey, rest);
            if (c != 0) return c < 0;
        }
        return records[a.ordinal] < records[b.ordinal];
    };
    std::sort(order_.begin(), order_.end(), less);
}

void CdxSorter::Sort(bool unique) {
    if (order_.empty()) return;
    if (keyLength_ <= kLongestRadixKey) {
        RadixSort();
    } else {
        CompareSort();
    }
    if (!unique) return;
    const std::size_t L = keyLength_;
    const std::size_t rest = L > kLongestRadixKey ? L - kLongestRadixKey : 0u;
    const std::uint8_t* keys = keys_.data();
    auto sameKey = [&](const Item& a, const Item& b) {
        return a.prefix == b.prefix && a.second == b.second &&
               (rest == 0 ||
                std::memcmp(keys + a.ordinal * L + kLongestRadixKey, keys + b.ordinal * L + kLongestRadixKey, rest) == 0);
    };
    order_.erase(std::unique(order_.begin(), order_.end(), sameKey), order_.end());
}

}  // namespace xbase::cdx
