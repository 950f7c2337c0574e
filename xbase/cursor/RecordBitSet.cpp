#include "xbase/cursor/RecordBitSet.h"

#include <bit>

namespace xbase {

void RecordBitSet::Resize(std::int32_t count) {
    if (count < 0) count = 0;
    words_.resize((static_cast<std::size_t>(count) + 63) / 64, 0);
    // Bits past the new end must not stay members.
    if (count < capacity_ && count % 64 != 0 && !words_.empty()) {
        words_.back() &= (std::uint64_t{1} << (count % 64)) - 1;
    }
    capacity_ = count;
}

void RecordBitSet::Set(std::int32_t record, bool member) {
    if (record < 1) return;
    if (record > capacity_) {
        if (!member) return;
        Resize(record);
    }
    const auto bit = static_cast<std::size_t>(record - 1);
    const std::uint64_t mask = std::uint64_t{1} << (bit % 64);
    if (member) {
        words_[bit / 64] |= mask;
    } else {
        words_[bit / 64] &= ~mask;
    }
}

bool RecordBitSet::Test(std::int32_t record) const {
    if (record < 1 || record > capacity_) return false;
    const auto bit = static_cast<std::size_t>(record - 1);
    return (words_[bit / 64] >> (bit % 64)) & 1u;
}

std::int32_t RecordBitSet::First() const { return NextAfter(0); }

std::int32_t RecordBitSet::Last() const { return PriorBefore(capacity_ + 1); }

std::int32_t RecordBitSet::NextAfter(std::int32_t record) const {
    if (record < 0) record = 0;
    if (record >= capacity_) return 0;
    auto bit = static_cast<std::size_t>(record);  // bit of record + 1
    std::size_t word = bit / 64;
    std::uint64_t bits = words_[word] & (~std::uint64_t{0} << (bit % 64));
    for (;;) {
        if (bits != 0)
            return static_cast<std::int32_t>(word * 64 +
                                             static_cast<std::size_t>(std::countr_zero(bits)) + 1);
        if (++word >= words_.size()) return 0;
        bits = words_[word];
    }
}

std::int32_t RecordBitSet::PriorBefore(std::int32_t record) const {
    if (record > capacity_ + 1) record = capacity_ + 1;
    if (record <= 1) return 0;
    auto bit = static_cast<std::size_t>(record - 2);  // bit of record - 1
    std::size_t word = bit / 64;
    const unsigned shift = static_cast<unsigned>(63 - bit % 64);
    std::uint64_t bits = words_[word] & (~std::uint64_t{0} >> shift);
    for (;;) {
        if (bits != 0)
            return static_cast<std::int32_t>(word * 64 + 63 -
                                             static_cast<std::size_t>(std::countl_zero(bits)) + 1);
        if (word == 0) return 0;
        bits = words_[--word];
    }
}

std::int32_t RecordBitSet::Count() const {
    std::int32_t n = 0;
    for (std::uint64_t w : words_) n += std::popcount(w);
    return n;
}

}  // namespace xbase
