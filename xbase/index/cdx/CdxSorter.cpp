#include "xbase/index/cdx/CdxSorter.h"

#include <algorithm>
#include <cstring>

namespace xbase::cdx {

void CdxSorter::Reserve(std::size_t count) {
    keys_.reserve(count * keyLength_);
    records_.reserve(count);
    order_.reserve(count);
}

void CdxSorter::Add(const std::uint8_t* key, std::uint32_t record) {
    std::uint64_t prefix = 0;
    const std::size_t n = keyLength_ < 8 ? keyLength_ : 8;
    for (std::size_t i = 0; i < 8; ++i) prefix = prefix << 8 | (i < n ? key[i] : 0);
    order_.push_back({prefix, static_cast<std::uint32_t>(records_.size())});
    keys_.insert(keys_.end(), key, key + keyLength_);
    records_.push_back(record);
}

void CdxSorter::Sort(bool unique) {
    const std::size_t rest = keyLength_ > 8 ? keyLength_ - 8u : 0u;
    const std::uint8_t* keys = keys_.data();
    const std::uint32_t* records = records_.data();
    const std::size_t L = keyLength_;
    auto less = [&](const Item& a, const Item& b) {
        if (a.prefix != b.prefix) return a.prefix < b.prefix;
        if (rest != 0) {
            const int c = std::memcmp(keys + a.ordinal * L + 8, keys + b.ordinal * L + 8, rest);
            if (c != 0) return c < 0;
        }
        return records[a.ordinal] < records[b.ordinal];
    };
    std::sort(order_.begin(), order_.end(), less);
    if (!unique) return;
    auto sameKey = [&](const Item& a, const Item& b) {
        return a.prefix == b.prefix &&
               (rest == 0 || std::memcmp(keys + a.ordinal * L + 8, keys + b.ordinal * L + 8, rest) == 0);
    };
    order_.erase(std::unique(order_.begin(), order_.end(), sameKey), order_.end());
}

}  // namespace xbase::cdx
