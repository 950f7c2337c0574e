// One field of a table as the engine holds it: the 32-byte descriptor read from the file
// plus the field's offset in the record and its number, decoded for quick access.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "xbase/file/ByteOrder.h"
#include "xbase/table/DbfFormat.h"

namespace xbase {

struct FieldDescriptor {
    std::array<std::uint8_t, dbf::kDescriptorSize> raw{};  // the descriptor as read (engine copy)
    std::string name;  // up to the first NUL, at most 10 characters
    char type = 'C';   // type letter as stored
    int length = 0;    // 16-bit for C fields, byte 16 otherwise
    int decimals = 0;  // 0 for C fields
    int offset = 0;    // byte offset in the record (first field at 1)
    int number = 0;    // counted from 1
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
        return bit >= 0 && nullFlagsOffset > 0 &&
               (record[nullFlagsOffset + bit / 8] >> (bit % 8) & 1) != 0;
    }
    void SetBit(std::uint8_t* record, int bit, bool on) const {
        if (bit < 0 || nullFlagsOffset == 0) return;
        std::uint8_t& byte = record[nullFlagsOffset + bit / 8];
        const auto mask = static_cast<std::uint8_t>(1u << (bit % 8));
        byte = static_cast<std::uint8_t>(on ? byte | mask : byte & ~mask);
    }
    bool AutoIncrement() const {
        return (flags & dbf::kFieldFlagAutoIncrement) == dbf::kFieldFlagAutoIncrement;
    }
    // An autoincrement column's next value and step (descriptor bytes 19-22 and 23).
    std::uint32_t AutoIncrementNext() const {
        return byteorder::GetLe32(&raw[dbf::kFieldAutoIncrementNext]);
    }
    int AutoIncrementStep() const { return raw[dbf::kFieldAutoIncrementStep]; }
};

}  // namespace xbase
