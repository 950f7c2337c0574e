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
    std::uint64_t prefix = 0;
    std::size_t n = keyLength_ < 8 ? keyLength_ : 8;
    for (std::size_t i = 0; i < 8; ++i) prefix = prefix << 8 | (i < n ? key[i] : 0);
    if (descending_) prefix = ~prefix;
    order_.push_back({prefix, static_cast<std::uint32_t>(recnos_.size())});
    keys_.insert(keys_.end(), key, key + keyLength_);
    recnos_.push_back(recno);
}

void KeySorter::Sort() {
    const std::size_t rest = keyLength_ > 8 ? keyLength_ - 8 : 0;
    const std::uint8_t* base = keys_.data();
    const std::size_t len = keyLength_;
    const bool descending = descending_;
    // Compares the keys only: 0 when equal.
    auto compareKeys = [&](const Slot& a, const Slot& b) {
        if (a.prefix != b.prefix) return a.prefix < b.prefix ? -1 : 1;
        if (rest == 0) return 0;
        int c = std::memcmp(base + static_cast<std::size_t>(a.index) * len + 8,
                            base + static_cast<std::size_t>(b.index) * len + 8, rest);
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
