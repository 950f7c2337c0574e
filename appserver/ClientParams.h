// The parameters of a client dataset: named, typed as declared, filled with values that
// cross to the server as text in declaration order (the declared type does not change
// when a text value is assigned).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "appserver/Backend.h"
#include "data/FieldType.h"

namespace appserver {

class ClientParam {
public:
    ClientParam(std::string name, data::FieldType dataType)
        : name_(std::move(name)), dataType_(dataType) {}

    const std::string& Name() const { return name_; }
    data::FieldType DataType() const { return dataType_; }
    const SqlValue& Value() const { return value_; }
    bool IsNull() const { return !value_; }
    void SetAsString(std::string_view text) { value_ = std::string(text); }
    void Clear() { value_.reset(); }

private:
    std::string name_;
    data::FieldType dataType_;
    SqlValue value_;
};

class ClientParams {
public:
    ClientParam& Add(std::string name, data::FieldType dataType = data::ftString);
    int Count() const { return static_cast<int>(params_.size()); }
    // Raises ServerError for an index out of range.
    ClientParam& operator[](int index);
    // The first parameter of that name, without regard to case; ServerError when none.
    ClientParam& ParamByName(std::string_view name);
    void Clear() { params_.clear(); }
    // The values in order, as they are sent.
    SqlParams Values() const;

private:
    std::vector<ClientParam> params_;
};

}  // namespace appserver
