#include "xbase/index/KeySorter.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <utility>
#include <vector>

namespace xbase {

namespace {

// The radix passes look at this many key bytes after those every key shares at its start
// (numeric key texts begin with many zeros); keys that agree on them all are ordered by
// comparing their remaining bytes.
constexpr std::size_t kExamined = 16;
// Bits of the code a radix pass orders by at most (2048 runs, which the caches hold).
constexpr unsigned kPassBits = 11;

struct Item {
    std::uint64_t code;   // the key's examined bytes as one number of the same order
    std::uint32_t index;  // position in the order of adding
    std::uint32_t recno;
};

// Stable least-significant-first radix sort of `items` by the low `bits` of their codes.
void RadixSort(platform::LargeArray<Item>& items, std::size_t n, unsigned bits) {
    if (bits == 0) return;
    const unsigned passes = (bits + kPassBits - 1) / kPassBits;
    const unsigned width = (bits + passes - 1) / passes;
    const std::uint64_t mask = (std::uint64_t{1} << width) - 1;
    std::vector<std::uint32_t> at(static_cast<std::size_t>(passes) << width, 0);
    for (std::size_t i = 0; i < n; ++i) {
        const Item& item = items[i];
        for (unsigned k = 0; k < passes; ++k)
            ++at[(static_cast<std::size_t>(k) << width) + ((item.code >> (k * width)) & mask)];
    }
    platform::LargeArray<Item> sorted(n);
    for (unsigned k = 0; k < passes; ++k) {
        std::uint32_t* start = at.data() + (static_cast<std::size_t>(k) << width);
        const unsigned shift = k * width;
        // A digit every key shares orders nothing.
        if (start[(items[0].code >> shift) & mask] == n) continue;
        std::uint32_t sum = 0;
        for (std::size_t d = 0; d <= mask; ++d) sum += std::exchange(start[d], sum);
        for (std::size_t i = 0; i < n; ++i)
            sorted[start[(items[i].code >> shift) & mask]++] = items[i];
        std::swap(items, sorted);
    }
}

}  // namespace

KeySorter::KeySorter(std::size_t keyLength, bool descending, bool unique, std::size_t expected,
                     std::size_t sortLength)
    : keyLength_(keyLength),
      sortLength_(sortLength == 0 || sortLength > keyLength ? keyLength : sortLength),
      descending_(descending),
      unique_(unique) {
    if (expected > 0) {
        capacity_ = expected;
        keys_ = platform::LargeArray<std::uint8_t>(capacity_ * keyLength_);
        recnos_ = platform::LargeArray<std::uint32_t>(capacity_);
    }
}

void KeySorter::Grow() {
    const std::size_t capacity = std::max<std::size_t>(64, capacity_ * 2);
    platform::LargeArray<std::uint8_t> keys(capacity * keyLength_);
    platform::LargeArray<std::uint32_t> recnos(capacity);
    if (count_ > 0) {
        std::memcpy(keys.Data(), keys_.Data(), count_ * keyLength_);
        std::memcpy(recnos.Data(), recnos_.Data(), count_ * sizeof(std::uint32_t));
    }
    keys_ = std::move(keys);
    recnos_ = std::move(recnos);
    capacity_ = capacity;
}

void KeySorter::Add(const std::uint8_t* key, std::uint32_t recno) {
    std::memcpy(NewKey(recno), key, keyLength_);
}

void KeySorter::Sort() {
    const std::size_t n = count_;
    if (n == 0) return;
    const std::uint8_t* const base = keys_.Data();
    const std::size_t len = keyLength_;
    const std::size_t sortLen = sortLength_;
    // Bytes every key shares at its start order nothing: the examined bytes follow them.
    std::size_t from = sortLen;
    for (std::size_t i = 1; i < n && from > 0; ++i) {
        const std::uint8_t* key = base + i * len;
        std::size_t c = 0;
        while (c < from && key[c] == base[c]) ++c;
        from = c;
    }
    const std::size_t examined = std::min(kExamined, sortLen - from);
    std::vector<std::array<std::uint32_t, 256>> counts(examined, std::array<std::uint32_t, 256>{});
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t* key = base + i * len + from;
        for (std::size_t p = 0; p < examined; ++p) ++counts[p][key[p]];
    }
    // The code of a key: the rank of each examined byte among the bytes present at its
    // place, read as the digits of one number, as many places as a 64-bit code holds.
    struct Place {
        std::size_t at;
        std::uint64_t values;
        std::array<std::uint32_t, 256> rank;
    };
    std::vector<Place> places;
    std::uint64_t span = 1;  // codes lie in [0, span)
    std::size_t covered = 0;
    for (; covered < examined; ++covered) {
        Place place{covered, 0, {}};
        for (std::size_t v = 0; v < 256; ++v) {
            if (counts[covered][v] != 0) place.rank[v] = static_cast<std::uint32_t>(place.values++);
        }
        if (place.values == 1) continue;
        if (span > UINT64_MAX / place.values) break;
        span *= place.values;
        places.push_back(place);
    }
    const std::size_t restAt = from + covered;  // ordering bytes compared, not coded
    const std::size_t rest = sortLen - restAt;
    platform::LargeArray<Item> items(n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t* key = base + i * len + from;
        std::uint64_t code = 0;
        for (const Place& place : places) code = code * place.values + place.rank[key[place.at]];
        items[i] = {descending_ ? span - 1 - code : code, static_cast<std::uint32_t>(i),
                    recnos_[i]};
    }
    RadixSort(items, n, static_cast<unsigned>(std::bit_width(span - 1)));

    // A run of keys of one code is sorted by the bytes past the coded ones, stably, so
    // that equal keys keep their order.
    auto compareRest = [&](const Item& a, const Item& b) {
        const int c = std::memcmp(base + static_cast<std::size_t>(a.index) * len + restAt,
                                  base + static_cast<std::size_t>(b.index) * len + restAt, rest);
        return descending_ ? -c : c;
    };
    if (rest > 0) {
        for (std::size_t i = 0; i < n;) {
            std::size_t j = i + 1;
            while (j < n && items[j].code == items[i].code) ++j;
            if (j - i > 1)
                std::stable_sort(
                    items.Data() + i, items.Data() + j,
                    [&](const Item& a, const Item& b) { return compareRest(a, b) < 0; });
            i = j;
        }
    }
    std::size_t kept = n;
    if (unique_) {
        kept = 1;
        for (std::size_t i = 1; i < n; ++i) {
            const Item& last = items[kept - 1];
            if (last.code != items[i].code || (rest > 0 && compareRest(last, items[i]) != 0))
                items[kept++] = items[i];
        }
    }

    // The sorted keys and record numbers laid out in order, so that the pages are written
    // from consecutive memory.
    constexpr std::size_t kAhead = 16;
    platform::LargeArray<std::uint8_t> keys(kept * len);
    for (std::size_t i = 0; i < kept; ++i) {
        if (i + kAhead < kept)
            __builtin_prefetch(base + static_cast<std::size_t>(items[i + kAhead].index) * len);
        std::memcpy(keys.Data() + i * len, base + static_cast<std::size_t>(items[i].index) * len,
                    len);
        recnos_[i] = items[i].recno;
    }
    keys_ = std::move(keys);
    count_ = kept;
    capacity_ = kept;
}

void KeySorter::SortableDouble(double value, std::uint8_t* out) {
    if (value == 0) value = 0;  // -0 sorts with +0
    std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
    bits = (bits & 0x8000000000000000ULL) != 0 ? ~bits : bits | 0x8000000000000000ULL;
    for (int i = 7; i >= 0; --i) {
        out[i] = static_cast<std::uint8_t>(bits);
        bits >>= 8;
    }
}

double KeySorter::DoubleFromSortable(const std::uint8_t* in) {
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits = bits << 8 | in[i];
    bits = (bits & 0x8000000000000000ULL) != 0 ? bits & ~0x8000000000000000ULL : ~bits;
    return std::bit_cast<double>(bits);
}

}  // namespace xbase
