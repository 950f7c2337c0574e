// One field of a table as the engine holds it: the 32-byte descriptor read from the file
// plus the field's offset in the record and its number, decoded for quick access.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace xbase {

struct FieldDescriptor {
    std::array<std::uint8_t, 32> raw{};  // the descriptor as read (engine copy)
    std::string name;                    // up to the first NUL, at most 10 characters
    char type = 'C';                     // type letter as stored
    int length = 0;                      // 16-bit for C fields, byte 16 otherwise
    int decimals = 0;                    // 0 for C fields
    int offset = 0;                      // byte offset in the record (first field at 1)
    int number = 0;                      // counted from 1
    // Visual FoxPro 8/9 column facts (byte 18 of the descriptor and the _NullFlags column).
    std::uint8_t flags = 0;   // 0x01 system column, 0x02 nullable, 0x04 binary, 0x0C autoincrement
    int nullFlagsOffset = 0;  // offset of the table's _NullFlags column in the record, 0 for none
    int nullBit = -1;         // the bit in _NullFlags that marks this column null, -1 for none
    int lengthBit = -1;       // varchar/varbinary: the bit that says the value is shorter than
                              // the field (its length then stands in the field's last byte)

    // Whether the record holds a null in this column.
    bool IsNull(const std::uint8_t* record) const { return HasBit(record, nullBit); }
    // Whether a varchar/varbinary value is shorter than the field.
    bool IsShort(const std::uint8_t* record) const { return HasBit(record, lengthBit); }
    bool HasBit(const std::uint8_t* record, int bit) const {
        return bit >= 0 && nullFlagsOffset > 0 && (record[nullFlagsOffset + bit / 8] >> (bit % 8) & 1) != 0;
    }
    void SetBit(std::uint8_t* record, int bit, bool on) const {
        if (bit < 0 || nullFlagsOffset == 0) return;
        std::uint8_t& byte = record[nullFlagsOffset + bit / 8];
        const auto mask = static_cast<std::uint8_t>(1u << (bit % 8));
        byte = static_cast<std::uint8_t>(on ? byte | mask : byte & ~mask);
    }
    bool AutoIncrement() const { return (flags & 0x0C) == 0x0C; }
    // An autoincrement column's next value and step (descriptor bytes 19-22 and 23).
    std::uint32_t AutoIncrementNext() const {
        return static_cast<std::uint32_t>(raw[19]) | static_cast<std::uint32_t>(raw[20]) << 8 |
               static_cast<std::uint32_t>(raw[21]) << 16 | static_cast<std::uint32_t>(raw[22]) << 24;
    }
    int AutoIncrementStep() const { return raw[23]; }
};

// Table version bytes.
namespace version {
constexpr std::uint8_t DBase3 = 0x03;
constexpr std::uint8_t VisualFox = 0x30;
constexpr std::uint8_t VisualFoxAutoIncrement = 0x31;  // Visual FoxPro 8 and later
constexpr std::uint8_t VisualFoxVarchar = 0x32;        // Visual FoxPro 9 with varchar/varbinary
constexpr std::uint8_t DBase3Memo = 0x83;
constexpr std::uint8_t DBase4Memo = 0x8B;
constexpr std::uint8_t FoxProMemo = 0xF5;
}  // namespace version

// The Visual FoxPro family (binary B, G, I, M, T, Y; a container link after the fields).
inline bool IsVisualFoxVersion(std::uint8_t v) {
    return v == version::VisualFox || v == version::VisualFoxAutoIncrement || v == version::VisualFoxVarchar;
}

}  // namespace xbase
