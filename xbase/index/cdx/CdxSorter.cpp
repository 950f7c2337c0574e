#include "xbase/index/cdx/CdxSorter.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "xbase/file/ByteOrder.h"

namespace xbase::cdx {

namespace {

using byteorder::GetBe32;
using byteorder::PutBe32;

std::uint64_t GetBe64(const std::uint8_t* p) {
    return std::uint64_t{GetBe32(p)} << 32 | GetBe32(p + 4);
}

void PutBe64(std::uint8_t* p, std::uint64_t v) {
    PutBe32(p, static_cast<std::uint32_t>(v >> 32));
    PutBe32(p + 4, static_cast<std::uint32_t>(v));
}

// Buckets this small are ordered by insertion, cheaper than a radix pass's counts.
constexpr std::size_t kInsertionBucket = 32;
// Places of a packed item's record number among its 16 bytes.
constexpr std::size_t kRecordPlace = 12;

}  // namespace

void CdxSorter::Reserve(std::size_t count) {
    if (count > items_.Count()) {
        platform::LargeArray<Item> larger(count);
        std::copy_n(items_.Data(), count_, larger.Data());
        items_ = std::move(larger);
    }
    if (Packed()) return;
    keys_.reserve(count * keyLength_);
    records_.reserve(count);
}

void CdxSorter::Grow() { Reserve(std::max<std::size_t>(1024, 2 * items_.Count())); }

void CdxSorter::Add(const std::uint8_t* key, std::uint32_t record) {
    if (count_ == items_.Count()) Grow();
    if (record < lastRecord_) ascending_ = false;
    lastRecord_ = record;
    std::uint8_t bytes[16] = {};
    if (Packed()) {
        std::memcpy(bytes, key, keyLength_);
        items_[count_++] = {GetBe64(bytes), GetBe64(bytes + 8) | record};
        return;
    }
    std::memcpy(bytes, key, 8);
    items_[count_++] = {GetBe64(bytes), records_.size()};
    keys_.insert(keys_.end(), key, key + keyLength_);
    records_.push_back(record);
}

void CdxSorter::CopyKey(std::size_t i, std::uint8_t* out) const {
    const Item& item = items_[i];
    if (!Packed()) {
        std::memcpy(out, keys_.data() + item.low * keyLength_, keyLength_);
        return;
    }
    std::uint8_t bytes[16];
    PutBe64(bytes, item.high);
    PutBe64(bytes + 8, item.low);
    std::memcpy(out, bytes, keyLength_);
}

// Orders a bucket of `n` packed items whose bytes before `from` are all equal. The items
// stand in `data`; `spare` (as large) takes the radix passes' output. Returns where the
// ordered items ended (data or spare).
CdxSorter::Item* CdxSorter::SortBucket(Item* data, Item* spare, std::size_t n, std::size_t from) {
    if (n < 2) return data;
    if (n <= kInsertionBucket) {
        for (std::size_t i = 1; i < n; ++i) {
            const Item item = data[i];
            std::size_t j = i;
            for (; j > 0 && item < data[j - 1]; --j) data[j] = data[j - 1];
            data[j] = item;
        }
        return data;
    }
    // Byte places least significant first: the record number's when records came out of
    // order (equal keys must end by ascending record), then the key's.
    std::array<std::uint8_t, 16> places{};
    std::size_t count = 0;
    if (!ascending_) {
        for (std::size_t p = 16; p-- > kRecordPlace;)
            places[count++] = static_cast<std::uint8_t>(p);
    }
    for (std::size_t p = keyLength_; p-- > from;) places[count++] = static_cast<std::uint8_t>(p);
    auto byteAt = [](const Item& item, std::size_t p) {
        const std::uint64_t word = p < 8 ? item.high : item.low;
        return static_cast<std::size_t>((word >> (56 - 8 * (p % 8))) & 0xFFu);
    };
    std::array<std::array<std::uint32_t, 256>, 16> counts;
    for (std::size_t k = 0; k < count; ++k) counts[k].fill(0);
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t k = 0; k < count; ++k) ++counts[k][byteAt(data[i], places[k])];
    }
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t p = places[k];
        std::array<std::uint32_t, 256>& c = counts[k];
        // A byte every item of the bucket shares orders nothing.
        if (c[byteAt(data[0], p)] == n) continue;
        std::uint32_t start = 0;
        for (std::uint32_t& slot : c) {
            const std::uint32_t here = slot;
            slot = start;
            start += here;
        }
        for (std::size_t i = 0; i < n; ++i) spare[c[byteAt(data[i], p)]++] = data[i];
        std::swap(data, spare);
    }
    return data;
}

void CdxSorter::RadixSort() {
    const std::size_t n = count_;
    Item* const items = items_.Data();
    if (n <= kInsertionBucket) {
        SortBucket(items, nullptr, n, 0);
        return;
    }
    platform::LargeArray<Item> spareItems(n);
    Item* const spare = spareItems.Data();
    // Buckets by the first two key bytes (a stable scatter keeps the records' order), each
    // then ordered on its own.
    std::vector<std::uint32_t> start(65537, 0);
    for (std::size_t i = 0; i < n; ++i) ++start[(items[i].high >> 48) + 1];
    for (std::size_t b = 1; b < start.size(); ++b) start[b] += start[b - 1];
    std::vector<std::uint32_t> next(start.begin(), start.end() - 1);
    for (std::size_t i = 0; i < n; ++i) spare[next[items[i].high >> 48]++] = items[i];
    for (std::size_t b = 0; b + 1 < start.size(); ++b) {
        const std::size_t begin = start[b];
        const std::size_t size = start[b + 1] - begin;
        if (size == 0) continue;
        const Item* sorted = SortBucket(spare + begin, items + begin, size, 2);
        if (sorted != items + begin) std::copy_n(sorted, size, items + begin);
    }
}

void CdxSorter::CompareSort() {
    const std::size_t L = keyLength_;
    const std::uint8_t* keys = keys_.data();
    const std::uint32_t* records = records_.data();
    std::sort(items_.Data(), items_.Data() + count_, [&](const Item& a, const Item& b) {
        if (a.high != b.high) return a.high < b.high;
        const int c = std::memcmp(keys + a.low * L + 8, keys + b.low * L + 8, L - 8);
        if (c != 0) return c < 0;
        return records[a.low] < records[b.low];
    });
}

void CdxSorter::Sort(bool unique) {
    if (count_ == 0) return;
    if (Packed()) {
        RadixSort();
    } else {
        CompareSort();
    }
    if (!unique) return;
    const std::size_t L = keyLength_;
    const std::uint8_t* keys = keys_.data();
    const bool packed = Packed();
    auto sameKey = [&](const Item& a, const Item& b) {
        if (a.high != b.high) return false;
        if (packed) return a.low >> 32 == b.low >> 32;
        return std::memcmp(keys + a.low * L + 8, keys + b.low * L + 8, L - 8) == 0;
    };
    count_ = static_cast<std::size_t>(std::unique(items_.Data(), items_.Data() + count_, sameKey) -
                                      items_.Data());
}

}  // namespace xbase::cdx
