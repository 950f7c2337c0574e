// Key values of index tags in memory and the one comparison every tag uses.
//
// A key is held in the form its tag compares: text keys as their bytes (character keys
// without their trailing blanks), numeric and date keys as doubles (a date as its day
// number). A format that stores numbers as byte-comparable text (CDX, NTX, MDX's packed
// decimals are decoded back to doubles) converts them to text keys in ConvertKey.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace xbase {

enum class KeyKind : std::uint8_t {
    Text,
    Number,
    Date,
    // Beyond every other key in the tag's order: the key of the child-only last entry of
    // an interior node in formats that store n keys with n + 1 children.
    Beyond,
};

struct IndexKey {
    KeyKind kind = KeyKind::Text;
    std::string text;   // Text: the bytes compared
    double number = 0;  // Number and Date: the value compared

    static IndexKey Text(std::string_view bytes) { return {KeyKind::Text, std::string(bytes), 0}; }
    static IndexKey Number(double value) { return {KeyKind::Number, {}, value}; }
    static IndexKey Date(double dayNumber) { return {KeyKind::Date, {}, dayNumber}; }
    static IndexKey BeyondAll() { return {KeyKind::Beyond, {}, 0}; }

    bool IsText() const { return kind == KeyKind::Text; }
    bool IsBeyond() const { return kind == KeyKind::Beyond; }
    // The key as text for messages and the command line (numbers without trailing zeros).
    std::string Display() const;
    bool operator==(const IndexKey& other) const;
};

// Compares a with b: -1, 0 or 1, before any descending negation.
// - Text keys compare as unsigned bytes (through the collation table when one is set) over
//   the shorter length; when one is a prefix of the other the shorter is less, except with
//   `partial`, where a first operand that is a prefix of the second compares equal.
// - Number and Date keys compare numerically (with each other too).
// - Beyond is greater than every key but another Beyond.
// - Text against a number raises XBaseError "Variant types mismatch for compare".
int CompareKeys(const IndexKey& a, const IndexKey& b, bool partial = false);
// The text part of CompareKeys: a against b as text keys (the bytes as given).
int CompareKeyText(std::string_view a, std::string_view b, bool partial = false);

// Engine-wide collation: bytes are mapped through `table` before text keys are compared.
// nullptr (the default; nothing in this system installs one) compares the bytes as they are.
// The table must outlive its use.
void SetKeyCollation(const std::array<std::uint8_t, 256>* table);

// The value an expression gives for one record, before a format turns it into a key.
struct KeyValue {
    char type = 'C';    // 'C' text, 'N' number, 'D' date, 'L' logical
    std::string text;   // 'C': the text as evaluated (trailing blanks kept)
    double number = 0;  // 'N': the value; 'D': the day number (the empty date is 1e100)
    bool logical = false;

    static constexpr double kEmptyDate = 1e100;
    bool IsEmptyDate() const { return type == 'D' && number >= kEmptyDate; }
};

// The width of a value as a key expression's result: text length, 8 for dates and
// numbers, 1 for logicals.
int KeyValueWidth(const KeyValue& value);

}  // namespace xbase
