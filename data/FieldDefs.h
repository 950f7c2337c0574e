// Field definitions: what a dataset's records hold (name, type, size), filled by the
// dataset's InternalInitFieldDefs; the default fields are made from them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "data/FieldType.h"

namespace data {

struct FieldDef {
    std::string name;
    FieldType dataType = ftUnknown;
    int size = 0;       // bytes of a string field; 0 for other types
    int precision = 0;  // decimals of a float, informational
    bool required = false;
    int fieldNo = 0;  // 1-based position, set by Add
};

class FieldDefList {
public:
    int Count() const { return static_cast<int>(defs_.size()); }
    const FieldDef& operator[](int index) const { return defs_.at(index); }
    // Appends a definition; "Duplicate field name '%s'" when the name is taken.
    FieldDef& Add(std::string name, FieldType dataType, int size = 0, bool required = false);
    const FieldDef* Find(std::string_view name) const;  // without regard to case
    void Clear() { defs_.clear(); }

    auto begin() const { return defs_.begin(); }
    auto end() const { return defs_.end(); }

private:
    std::vector<FieldDef> defs_;
};

}  // namespace data
