#include "xbase/index/KeySorter.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace xbase {

KeySorter::KeySorter(std::size_t keyLength, bool descending, bool unique, std::size_t expected)
    : keyLength_(keyLength), descending_(descending), unique_(unique) {
    keys_.reserve(expected * keyLength);
    recnos_.reserve(expected);
    order_.reserve(expected);
}

void KeySorter::Add(const std::uint8_t* key, std::uint32_t recno) {
    order_.push_back({0, static_cast<std::uint32_t>(recnos_.size())});
    keys_.insert(keys_.end(), key, key + keyLength_);
    recnos_.push_back(recno);
}

void KeySorter::Sort() {
    const std::uint8_t* base = keys_.data();
    const std::size_t len = keyLength_;
    const bool descending = descending_;
    // Bytes every key shares at its start order nothing: the 8-byte prefix that the sort
    // compares first begins after them (numeric key texts begin with many zeros).
    std::size_t common = order_.empty() ? 0 : len;
    for (std::size_t i = 1; i < order_.size() && common > 0; ++i) {
        const std::uint8_t* key = base + i * len;
        std::size_t n = 0;
        while (n < common && key[n] == base[n]) ++n;
        common = n;
    }
    const std::size_t from = len > 8 ? std::min(common, len - 8) : 0;
    const std::size_t rest = len > from + 8 ? len - from - 8 : 0;
    for (Slot& slot : order_) {
        const std::uint8_t* key = base + static_cast<std::size_t>(slot.index) * len + from;
        std::uint64_t prefix = 0;
        for (std::size_t i = 0; i < 8; ++i) prefix = prefix << 8 | (from + i < len ? key[i] : 0);
        slot.prefix = descending ? ~prefix : prefix;
    }
    // Compares the keys only: 0 when equal.
    auto compareKeys = [&](const Slot& a, const Slot& b) {
        if (a.prefix != b.prefix) return a.prefix < b.prefix ? -1 : 1;
        if (rest == 0) return 0;
        int c = std::memcmp(base + static_cast<std::size_t>(a.index) * len + from + 8,
                            base + static_cast<std::size_t>(b.index) * len + from + 8, rest);
        return descending ? -c : c;
    };
    std::sort(order_.begin(), order_.end(), [&](const Slot& a, const Slot& b) {
        int c = compareKeys(a, b);
        return c != 0 ? c < 0 : a.index < b.index;
    });
    if (unique_ && !order_.empty()) {
        std::size_t kept = 1;
        for (std::size_t i = 1; i < order_.size(); ++i) {
            if (compareKeys(order_[kept - 1], order_[i]) != 0) order_[kept++] = order_[i];
        }
        order_.resize(kept);
    }
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
