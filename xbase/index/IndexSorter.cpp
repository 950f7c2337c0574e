#include "xbase/index/IndexSorter.h"

#include <algorithm>

namespace xbase {

MemorySorter::MemorySorter(KeyOrder order, bool unique)
    : order_(std::move(order)), unique_(unique) {}

void MemorySorter::Add(IndexKey key, std::uint32_t recNo) {
    entries_.push_back(IndexEntry{std::move(key), recNo, recNo});
}

void MemorySorter::Finish() {
    std::stable_sort(entries_.begin(), entries_.end(),
                     [this](const IndexEntry& a, const IndexEntry& b) {
                         int c = order_(a.key, b.key);
                         if (c != 0) return c < 0;
                         return a.recNo < b.recNo;
                     });
    if (unique_) {
        auto last = std::unique(
            entries_.begin(), entries_.end(),
            [this](const IndexEntry& a, const IndexEntry& b) { return order_(a.key, b.key) == 0; });
        entries_.erase(last, entries_.end());
    }
    next_ = 0;
}

bool MemorySorter::Next(IndexEntry& out) {
    if (next_ >= entries_.size()) return false;
    out = std::move(entries_[next_++]);
    return true;
}

}  // namespace xbase
