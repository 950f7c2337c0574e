// The bulk-build hook: a tag's build hands every (key, record number) to a sorter and
// then takes them back in tag order to write the pages bottom-up.
//
// The order delivered is fixed: keys in the tag's order, equal keys by ascending record
// number. A unique sorter delivers only the first record of each key.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "xbase/index/IndexEntry.h"

namespace xbase {

struct FieldDescriptor;

class IndexSorter {
public:
    virtual ~IndexSorter() = default;
    // Adds one key; records arrive in ascending record-number order.
    virtual void Add(IndexKey key, std::uint32_t recNo) = 0;
    // Adds the key of `record` (a record image) of a tag whose key expression is the one
    // field `field`, read from the field's bytes, and says true; false (nothing added)
    // when this sorter cannot, and the key is evaluated and given to Add instead.
    virtual bool AddFieldKey(const FieldDescriptor& /*field*/, const std::uint8_t* /*record*/,
                             std::uint32_t /*recNo*/) {
        return false;
    }
    // Ends the adding; Next then delivers the entries in order.
    virtual void Finish() = 0;
    // The next entry (recNo and child both the record number); false after the last.
    virtual bool Next(IndexEntry& out) = 0;
    // Entries Next will deliver in all (valid after Finish).
    virtual std::size_t Count() const = 0;
};

// Key comparison of a tag (descending negation included), without record numbers.
using KeyOrder = std::function<int(const IndexKey&, const IndexKey&)>;

// The sorter every format can use: entries kept in memory and sorted once.
class MemorySorter : public IndexSorter {
public:
    MemorySorter(KeyOrder order, bool unique);
    void Add(IndexKey key, std::uint32_t recNo) override;
    void Finish() override;
    bool Next(IndexEntry& out) override;
    std::size_t Count() const override { return entries_.size(); }

private:
    KeyOrder order_;
    bool unique_;
    std::vector<IndexEntry> entries_;
    std::size_t next_ = 0;
};

}  // namespace xbase
