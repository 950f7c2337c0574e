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
};

// Table version bytes.
namespace version {
constexpr std::uint8_t DBase3 = 0x03;
constexpr std::uint8_t VisualFox = 0x30;
constexpr std::uint8_t DBase3Memo = 0x83;
constexpr std::uint8_t DBase4Memo = 0x8B;
constexpr std::uint8_t FoxProMemo = 0xF5;
}  // namespace version

}  // namespace xbase
