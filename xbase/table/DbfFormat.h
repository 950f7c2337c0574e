// The bytes of a table file: header and field descriptor offsets, version bytes, flag
// bits, the marks that end the descriptor area and the file, and where record n starts.
//
// These numbers are shared with every other program that reads or writes the same tables
// (the machine's own program among them): they are written here once and must never
// change. All multi-byte integers in a table file are little-endian (xbase/file/ByteOrder.h).
#pragma once

#include <cstdint>

namespace xbase {

// Table version bytes (header offset 0).
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
constexpr bool IsVisualFoxVersion(std::uint8_t v) {
    return v == version::VisualFox || v == version::VisualFoxAutoIncrement ||
           v == version::VisualFoxVarchar;
}

namespace dbf {

// File header: 32 bytes at offset 0.
constexpr int kHeaderSize = 32;
constexpr int kVersion = 0;        // 1 byte, one of `version`
constexpr int kUpdateYear = 1;     // 1 byte, year modulo 100
constexpr int kUpdateMonth = 2;    // 1 byte
constexpr int kUpdateDay = 3;      // 1 byte
constexpr int kRecordCount = 4;    // 4 bytes; written, never trusted on reading
constexpr int kHeaderLength = 8;   // 2 bytes: bytes before the first record
constexpr int kRecordLength = 10;  // 2 bytes, deletion flag included
constexpr int kEncrypted = 15;     // 1 byte, non-zero: enciphered descriptors and records
constexpr int kChangeStamp = 16;   // 4 bytes: time stamp of the last header rewrite
constexpr int kUserId = 20;        // 4 bytes: user number of the last writer
constexpr int kTableFlags = 28;    // 1 byte, bits below
constexpr int kCodePage = 29;      // 1 byte: the language (code page) mark

// Table flag bits (header offset 28); bits 3-7 are written as 0.
constexpr std::uint8_t kFlagProductionIndex = 0x01;
constexpr std::uint8_t kFlagHasMemo = 0x02;   // Visual FoxPro only
constexpr std::uint8_t kFlagDatabase = 0x04;  // Visual FoxPro only
constexpr std::uint8_t kKeptFlagBits = 0x07;

// Field descriptors: 32 bytes each from offset 32, then the terminator; Visual FoxPro
// tables keep a 263-byte database back-link after the terminator.
constexpr int kDescriptorSize = 32;
constexpr int kFieldName = 0;  // 11 bytes, NUL-padded; at most 10 characters
constexpr int kMaxFieldNameLength = 10;
constexpr int kFieldType = 11;               // 1 byte, the type letter
constexpr int kFieldOffset = 12;             // 4 bytes; the engine's copy holds the record offset
constexpr int kFieldLength = 16;             // 1 byte; low byte of the length for C fields
constexpr int kFieldDecimals = 17;           // 1 byte; high byte of the length for C fields
constexpr int kFieldFlags = 18;              // 1 byte, Visual FoxPro field flags
constexpr int kFieldNumber = 26;             // 2 bytes; the engine's copy holds the field number
constexpr int kFieldAutoIncrementNext = 19;  // 4 bytes, Visual FoxPro 8+: next value
constexpr int kFieldAutoIncrementStep = 23;  // 1 byte, Visual FoxPro 8+: step
// Visual FoxPro field flag bits (descriptor offset 18).
constexpr std::uint8_t kFieldFlagSystem = 0x01;    // hidden system column (_NullFlags)
constexpr std::uint8_t kFieldFlagNullable = 0x02;  // has a bit in _NullFlags
constexpr std::uint8_t kFieldFlagBinary = 0x04;    // binary character or memo
constexpr std::uint8_t kFieldFlagAutoIncrement = 0x0C;
constexpr std::uint8_t kDescriptorEnd = 0x0D;
constexpr int kBacklinkSize = 263;
// Header bytes that are not descriptors: 32 + terminator, plus the back-link for 0x30.
constexpr int kPlainHeaderTail = kHeaderSize + 1;
constexpr int kFoxHeaderTail = kHeaderSize + 1 + kBacklinkSize;
constexpr int kMaxFields = 4096;

// Records: the deletion flag, then the fields without separators.
constexpr std::uint8_t kDeletedFlag = '*';
constexpr std::uint8_t kLiveFlag = ' ';
// Written after the last record by every append.
constexpr std::uint8_t kEofMark = 0x1A;

// Header bytes that are not descriptors in a table of this version.
constexpr int HeaderTail(std::uint8_t tableVersion) {
    return IsVisualFoxVersion(tableVersion) ? kFoxHeaderTail : kPlainHeaderTail;
}

// File offset of record n (counted from 1).
constexpr std::uint64_t RecordOffset(int headerLength, int recordLength, std::int64_t n) {
    return static_cast<std::uint64_t>(headerLength) +
           static_cast<std::uint64_t>(n - 1) * static_cast<std::uint64_t>(recordLength);
}

}  // namespace dbf

}  // namespace xbase
