// dBase IV multiple index file (.MDX): the byte layout of the file header, the tag table,
// the tag headers and the nodes, and the stored forms of the keys.
//
// Other programs read and write these files at the same time as this engine: every offset,
// size and encoding here is shared with them and must never change.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace xbase::mdx {

// Positions are counted in 512-byte pages; blocks (nodes, tag headers) are one block size
// long (1024 bytes, two pages, in files this engine makes).
constexpr std::size_t kPageSize = 512;
constexpr std::size_t kDefaultBlockSize = 1024;
// The header says 48 table slots, but slot 0 (at byte 512) only links the first entry:
// 47 entries end exactly at byte 2048, the end of the header region of 1024-byte blocks.
// A 48th would lie in the first block, so a file holds at most 47 tags.
constexpr std::size_t kTagSlots = 48;
constexpr std::size_t kMaxTags = 47;
constexpr std::size_t kTagEntrySize = 32;
constexpr std::size_t kTagTableAt = 512;

// File header offsets.
constexpr std::size_t kVersionAt = 0;    // 1 byte: 2
constexpr std::size_t kCreatedAt = 1;    // 3 bytes: year mod 100, month, day
constexpr std::size_t kTableNameAt = 4;  // 16 bytes, zero-padded, at most 8 used
constexpr std::size_t kTableNameSize = 16;
constexpr std::size_t kPagesPerBlockAt = 20;  // 2 bytes
constexpr std::size_t kBlockSizeAt = 22;      // 2 bytes
constexpr std::size_t kProductionAt = 24;     // 1 byte: 1
constexpr std::size_t kTagCapacityAt = 25;    // 1 byte: kTagSlots
constexpr std::size_t kTagEntrySizeAt = 26;   // 2 bytes: 32
constexpr std::size_t kTagCountAt = 28;       // 2 bytes
constexpr std::size_t kNextFreePageAt = 32;   // 4 bytes
constexpr std::size_t kUpdatedAt = 44;        // 3 bytes: year mod 100, month, day
constexpr std::uint8_t kVersion = 2;

// Tag table entry offsets (entry k, k = 1..count, at kTagTableAt + 32 * k).
constexpr std::size_t kEntryHeaderPageAt = 0;  // 4 bytes
constexpr std::size_t kEntryNameAt = 4;        // 11 bytes, zero-terminated
constexpr std::size_t kEntryNameSize = 11;
constexpr std::size_t kEntryNextAt = 17;  // in the entry before: number of this one
constexpr std::size_t kEntryTwoAt = 19;   // 1 byte: 2
constexpr std::size_t kEntryTypeAt = 20;  // key type letter

// Tag header offsets (one block).
constexpr std::size_t kRootPageAt = 0;  // 4 bytes
constexpr std::size_t kOptionsAt = 8;   // 0x10 | 0x40 unique | 0x08 descending
constexpr std::size_t kKeyTypeAt = 9;
constexpr std::size_t kKeyLengthAt = 12;  // 2 bytes
constexpr std::size_t kMaxKeysAt = 14;    // 2 bytes
constexpr std::size_t kEntrySizeAt = 18;  // 2 bytes
constexpr std::size_t kUniqueAt = 23;     // 0x40 when unique
constexpr std::size_t kKeyExprAt = 24;    // 221 bytes, zero-terminated
constexpr std::size_t kKeyExprSize = 221;
constexpr std::size_t kHasForAt = 245;
constexpr std::size_t kOneAt = 246;
constexpr std::size_t kFirstNodePageAt = 248;  // 4 bytes
constexpr std::size_t kLastNodePageAt = 252;   // 4 bytes
constexpr std::size_t kForExprAt = 762;        // zero-terminated, to the block's end
constexpr std::uint8_t kOptionBase = 0x10;
constexpr std::uint8_t kOptionUnique = 0x40;
constexpr std::uint8_t kOptionDescending = 0x08;

// Node offsets: key count, chain page, then the entries: a 4-byte number (record number
// in a leaf, child page in an interior node) and the key.
constexpr std::size_t kNodeCountAt = 0;
constexpr std::size_t kNodeChainAt = 4;
constexpr std::size_t kNodeEntriesAt = 8;

// Stored key lengths of numeric and date keys.
constexpr std::size_t kNumericKeyLength = 12;
constexpr std::size_t kDateKeyLength = 8;
// Longest character key: keeps at least two keys in a 1024-byte block.
constexpr std::size_t kMaxCharKeyLength = 100;
// The stored date key of the empty date.
constexpr double kEmptyDate = 1e100;

// Entry size: key length + 4, rounded up to a multiple of 4.
constexpr std::size_t EntrySize(std::size_t keyLength) { return (keyLength + 4 + 3) / 4 * 4; }
// Keys per node: (block size - 8) div entry size - 1.
constexpr std::size_t MaxKeys(std::size_t blockSize, std::size_t entrySize) {
    return (blockSize - kNodeEntriesAt) / entrySize - 1;
}

// The file header.
struct FileHeader {
    std::uint8_t created[3] = {0, 0, 0};
    std::uint8_t updated[3] = {0, 0, 0};
    std::string tableName;
    std::uint16_t pagesPerBlock = 2;
    std::uint16_t blockSize = kDefaultBlockSize;
    std::uint16_t tagCount = 0;
    std::uint32_t nextFreePage = 4;

    static FileHeader Decode(const std::uint8_t* data);
    // Writes the first 48 bytes (the rest of the page is left as it is).
    void Encode(std::uint8_t* data) const;
    // The size of the header region: file header and tag table.
    std::size_t RegionSize() const { return static_cast<std::size_t>(pagesPerBlock) * blockSize; }
    // Empty when usable with a file of `fileSize` bytes, else why not.
    std::string Problem(std::uint64_t fileSize) const;
};

// One tag table entry.
struct TagEntry {
    std::uint32_t headerPage = 0;
    std::string name;
    char keyType = 'C';
};

// The tag header.
struct TagHeader {
    std::uint32_t rootPage = 0;
    char keyType = 'C';
    std::uint16_t keyLength = 0;
    std::uint16_t maxKeys = 0;
    std::uint16_t entrySize = 0;
    bool unique = false;
    bool descending = false;
    std::string keyExpr;
    std::string forExpr;
    std::uint32_t firstNodePage = 0;
    std::uint32_t lastNodePage = 0;

    // A header for a new tag of `keyType` ('C' with `keyLength`, 'N', 'D').
    static TagHeader ForNewTag(char keyType, std::size_t keyLength, std::size_t blockSize,
                               bool unique, bool descending, std::string keyExpr,
                               std::string forExpr);
    static TagHeader Decode(const std::uint8_t* block, std::size_t blockSize);
    // Writes one zeroed block of `blockSize` bytes with the fields above.
    void Encode(std::uint8_t* block, std::size_t blockSize) const;
    // Empty when usable with blocks of `blockSize` bytes in a file of `pages` pages.
    std::string Problem(std::size_t blockSize, std::uint64_t pages) const;
};

// Reads the `count` tag table entries of the header region.
void DecodeTagTable(const std::uint8_t* region, std::size_t count, TagEntry* out);
// Writes the tag table (entries in the order given, which must be name order) and the
// tag count; zeroes the unused entries.
void EncodeTagTable(const TagEntry* entries, std::size_t count, std::uint8_t* region);

// Packed decimal numeric key (12 bytes): byte 0 = 52 + digits before the point, byte 1 =
// 8 x digit bytes + 1 (+ 0x80 when negative), then the digits two per byte. Up to 15
// significant digits; a value of more than 15 integer digits becomes fifteen 9s.
void EncodeNumber(double value, std::uint8_t* out);
double DecodeNumber(const std::uint8_t* key);

// Date key: the Julian day as a little-endian double, the empty date (below 0.1) 1e100.
void EncodeDouble(double value, std::uint8_t* out);
double DecodeDouble(const std::uint8_t* key);

}  // namespace xbase::mdx
