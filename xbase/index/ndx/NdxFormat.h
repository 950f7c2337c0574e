// The byte layout of a dBase single index file (.NDX), shared with every other program
// that reads or writes these files. Never change these numbers.
//
// Pages of 512 bytes; page n lies at byte n * 512; numbers little-endian.
// Header (page 0): root page, next free page, key length, maximum keys per node, key type
// (0 character, 1 numeric or date), entry size, unique flag, key expression.
// Node: key count n, then entries of `entry size` bytes: child page (0 in a leaf), record
// number (0 in an interior node), key. An interior node holds n keys and n + 1 children.
#pragma once

#include <cstddef>
#include <cstdint>

namespace xbase::ndx {

inline constexpr std::size_t kPageSize = 512;

namespace header {
inline constexpr std::size_t RootPage = 0;      // 4 bytes
inline constexpr std::size_t NextFreePage = 4;  // 4 bytes
inline constexpr std::size_t Zero = 8;          // 4 bytes
inline constexpr std::size_t KeyLength = 12;    // 2 bytes
inline constexpr std::size_t MaxKeys = 14;      // 2 bytes
inline constexpr std::size_t KeyType = 16;      // 2 bytes: 0 character, 1 numeric/date
inline constexpr std::size_t EntrySize = 18;    // 2 bytes
inline constexpr std::size_t Unique = 23;       // 1 byte
inline constexpr std::size_t Expression = 24;   // to the page end, zero-terminated
}  // namespace header

namespace node {
inline constexpr std::size_t KeyCount = 0;  // 4 bytes
inline constexpr std::size_t Entries = 4;
// Within an entry.
inline constexpr std::size_t ChildPage = 0;  // 4 bytes
inline constexpr std::size_t ChildPageSize = 4;
inline constexpr std::size_t RecordNumber = 4;  // 4 bytes
inline constexpr std::size_t Key = 8;
}  // namespace node

// Bytes of a page that entries may fill.
inline constexpr std::size_t kEntryArea = 504;
// Key length a numeric key reserves in memory (entries of 20 bytes); the header says 8.
inline constexpr int kNumericReserved = 12;
inline constexpr int kNumberKeyLength = 8;
// The empty date as a key.
inline constexpr double kEmptyDateKey = 1e100;

// Entry size for a key length: key length + 8, rounded up to a multiple of 4.
constexpr int EntrySizeFor(int keyLength) { return (keyLength + 8 + 3) / 4 * 4; }
constexpr int MaxKeysFor(int entrySize) { return static_cast<int>(kEntryArea) / entrySize; }

}  // namespace xbase::ndx
