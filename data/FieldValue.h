// The value that crosses between a field and its dataset: null, text, a 32-bit integer, a
// double (floats, and dates and date-times as day counts since 1899-12-30), a Boolean, or
// the bytes of a blob.
//
// A field always hands its dataset the alternative of its own type (see Field). A
// dataset may answer a read with that alternative or with text; fields convert text
// through their own text form, so a dataset that keeps rows as text needs no typed store.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace data {

// Bytes of a blob or memo field, kept apart from text so the two never mix.
struct BlobBytes {
    std::string bytes;
    bool operator==(const BlobBytes&) const = default;
};

using FieldValue = std::variant<std::monostate, std::string, std::int32_t, double, bool, BlobBytes>;

inline bool IsNullValue(const FieldValue& value) {
    return std::holds_alternative<std::monostate>(value);
}

}  // namespace data
