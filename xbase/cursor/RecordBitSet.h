// A set of record numbers (1..count) as bits: the records that pass the table's filter.
#pragma once

#include <cstdint>
#include <vector>

namespace xbase {

class RecordBitSet {
public:
    // Makes room for records 1..count; records added by the growth are not members.
    void Resize(std::int32_t count);
    void Clear() { words_.assign(words_.size(), 0); }
    std::int32_t Capacity() const { return capacity_; }

    void Set(std::int32_t record, bool member);
    bool Test(std::int32_t record) const;
    // Lowest / highest member, 0 for none.
    std::int32_t First() const;
    std::int32_t Last() const;
    // Lowest member above `record` / highest below it, 0 for none.
    std::int32_t NextAfter(std::int32_t record) const;
    std::int32_t PriorBefore(std::int32_t record) const;
    std::int32_t Count() const;

private:
    std::vector<std::uint64_t> words_;  // bit (r - 1) for record r
    std::int32_t capacity_ = 0;
};

}  // namespace xbase
