// Keys a build reads straight from a record when the key expression is one field: the
// bytes of a character field as the expression gives them, the digits of a numeric
// field's text when it is a plain number. Whatever is not plain is left to the expression.
#pragma once

#include <cstddef>
#include <cstdint>

#include "xbase/table/FieldDescriptor.h"

namespace xbase::fieldkey {

// A character field's `length` bytes as its key: the bytes up to the first NUL (where
// the expression's text ends), blanks after it.
void CharacterKey(const std::uint8_t* field, std::size_t length, std::uint8_t* out);

// A plain number: `units` is its digits read as a whole number, `decimals` of them after
// the point.
struct PlainNumber {
    std::uint64_t units = 0;
    int decimals = 0;
    bool negative = false;

    // units / 10^decimals, negated when negative: the double nearest the text, as the
    // field layer reads it.
    double Value() const;
};

// Reads a numeric field's `length` bytes: blanks, an optional '-', digits, optionally a
// point and digits, at most 15 digits in all and at least one. False for anything else
// (a blank field, '+', an exponent, blanks after the number, asterisks, NUL bytes).
bool ReadPlainNumber(const std::uint8_t* field, std::size_t length, PlainNumber& out);

// The key of `record` for a tag whose key expression is its field `field`, where the
// tag keeps character keys of `keyLength` bytes and numbers as numbers (keyType 'C' or
// 'N'): a character key is written at newKey() (keyLength bytes), a number handed to
// putNumber. False (nothing done) where the field's bytes do not give the key plainly.
template <class NewKey, class PutNumber>
bool AddFieldKey(const FieldDescriptor& field, const std::uint8_t* record, char keyType,
                 std::size_t keyLength, NewKey newKey, PutNumber putNumber) {
    const std::uint8_t* bytes = record + field.offset;
    if (field.type == 'C' && keyType == 'C' &&
        static_cast<std::size_t>(field.length) == keyLength) {
        CharacterKey(bytes, keyLength, newKey());
        return true;
    }
    PlainNumber number;
    if ((field.type == 'N' || field.type == 'F') && keyType == 'N' &&
        ReadPlainNumber(bytes, static_cast<std::size_t>(field.length), number)) {
        putNumber(number.Value());
        return true;
    }
    return false;
}

}  // namespace xbase::fieldkey
