// The fields of a dataset, in order, found by name without regard to case.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "data/Field.h"

namespace data {

class FieldList {
public:
    int Count() const { return static_cast<int>(fields_.size()); }
    Field& operator[](int index) const;  // "Field index out of range" when out of range
    // nullptr when no field has that name (compared without regard to ASCII case).
    Field* FindField(std::string_view name) const;
    // "Field 'NAME' not found" when no field has that name.
    Field& FieldByName(std::string_view name) const;
    // The field bound to field definition number fieldNo (1-based); nullptr when none.
    Field* FieldByNumber(int fieldNo) const;

    auto begin() const { return fields_.begin(); }
    auto end() const { return fields_.end(); }

private:
    friend class DataSet;
    Field& Add(std::unique_ptr<Field> field);
    std::unique_ptr<Field> Remove(Field& field);
    void Clear() { fields_.clear(); }
    void Renumber();

    std::vector<std::unique_ptr<Field>> fields_;
};

// True when the two names are equal without regard to ASCII case.
bool SameName(std::string_view a, std::string_view b);

}  // namespace data
