// Clipper index file (.NTX): the byte layout of the header and of the pages, and the
// text forms of the keys.
//
// Other programs read and write these files at the same time as this engine: every offset,
// size and encoding here is shared with them and must never change.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace xbase::ntx {

// Pages (the header included) are 1024 bytes at multiples of 1024.
constexpr std::size_t kPageSize = 1024;

// Header offsets.
constexpr std::size_t kSignatureAt = 0;   // 2 bytes: 6, or 7 with a FOR expression
constexpr std::size_t kVersionAt = 2;     // 2 bytes: version counter
constexpr std::size_t kRootAt = 4;        // 4 bytes: byte offset of the root page
constexpr std::size_t kFreeListAt = 8;    // 4 bytes: first free page (0: none)
constexpr std::size_t kItemSizeAt = 12;   // 2 bytes: key length + 8
constexpr std::size_t kKeyLengthAt = 14;  // 2 bytes
constexpr std::size_t kDecimalsAt = 16;   // 2 bytes: decimals of a numeric key
constexpr std::size_t kMaxKeysAt = 18;    // 2 bytes: keys per page, twice the half count
constexpr std::size_t kHalfPageAt = 20;   // 2 bytes
constexpr std::size_t kKeyExprAt = 22;    // 256 bytes, zero-terminated
constexpr std::size_t kKeyExprSize = 256;
constexpr std::size_t kUniqueAt = 278;  // 1 byte: 1 when unique
// Descending flag: the files other programs write carry it at 280; 279 is read as well
// so that a file marked there is not taken for an ascending one.
constexpr std::size_t kDescendingAt = 280;
constexpr std::size_t kDescendingAltAt = 279;
constexpr std::size_t kForExprAt = 282;  // 256 bytes, zero-terminated
constexpr std::size_t kForExprSize = 256;
constexpr std::size_t kTagNameAt = 538;  // 12 bytes, zero-terminated
constexpr std::size_t kTagNameSize = 12;

constexpr std::uint16_t kSignaturePlain = 6;
constexpr std::uint16_t kSignatureFor = 7;
// The version counter restarts at 1 after this value.
constexpr std::uint16_t kVersionMax = 0x7FFF;

// Page offsets: key count, then (max + 1) item offsets, then the items. An item is the
// child page offset (0 in a leaf), the record number, then the key padded with blanks.
constexpr std::size_t kCountAt = 0;
constexpr std::size_t kOffsetTableAt = 2;
constexpr std::size_t kItemChildAt = 0;
constexpr std::size_t kItemRecnoAt = 4;
constexpr std::size_t kItemKeyAt = 8;

// Longest key a page can hold with at least two keys per page.
constexpr std::size_t kMaxKeyLength = 250;

// Half-page count for a key length: (1020 div (key length + 10) - 1) div 2.
constexpr std::uint16_t HalfPageCount(std::size_t keyLength) {
    return static_cast<std::uint16_t>((1020 / (keyLength + 10) - 1) / 2);
}
constexpr std::uint16_t MaxKeysPerPage(std::size_t keyLength) {
    return static_cast<std::uint16_t>(2 * HalfPageCount(keyLength));
}
// Where item i lies in a page laid out by this engine.
constexpr std::size_t ItemOffset(std::size_t i, std::size_t itemSize, std::size_t maxKeys) {
    return i * itemSize + maxKeys * 2 + 4;
}

// The header as numbers and texts.
struct Header {
    std::uint16_t signature = kSignaturePlain;
    std::uint16_t version = 1;
    std::uint32_t root = 0;
    std::uint32_t freeList = 0;
    std::uint16_t itemSize = 0;
    std::uint16_t keyLength = 0;
    std::uint16_t decimals = 0;
    std::uint16_t maxKeys = 0;
    std::uint16_t halfPage = 0;
    std::string keyExpr;
    std::string forExpr;
    std::string tagName;
    bool unique = false;
    bool descending = false;

    // A header for a new tag: sizes from the key length, signature from the FOR text.
    static Header ForNewTag(std::string keyExpr, std::string forExpr, std::size_t keyLength,
                            std::size_t decimals, bool unique, bool descending,
                            std::string tagName);
    // Reads the first kPageSize bytes of a file; no checks.
    static Header Decode(const std::uint8_t* page);
    // Writes kPageSize bytes (all bytes not named above are zero).
    void Encode(std::uint8_t* page) const;
    // Empty when the header can be worked with (sizes agree, the page holds maxKeys + 1
    // items, the root is a page offset inside `fileSize`), else why not.
    std::string Problem(std::uint64_t fileSize) const;
};

// The version counter after one more change.
constexpr std::uint16_t NextVersion(std::uint16_t version) {
    return version >= kVersionMax ? 1 : static_cast<std::uint16_t>(version + 1);
}

// Numeric key text of `length` characters with `decimals` decimals: the absolute value
// right-aligned with leading zeros; in a negative value every digit d becomes the byte
// 92 - d ("0".."9" become "," down to "#"), so that negative keys sort below positive
// ones and larger magnitudes below smaller ones. The value is rounded to the decimals
// first (a value that rounds to zero is not negative). A value too wide for the key is
// written as `length` asterisks, as other programs write it.
std::string EncodeNumber(double value, std::size_t length, std::size_t decimals);
// The same key text of a number given as `units` key units (its value times
// 10^decimals, rounded) into `out` (`length` bytes); false when it does not fit the key.
bool EncodeUnits(std::uint64_t units, bool negative, std::size_t length, std::size_t decimals,
                 char* out);
// The value a numeric key text stands for. (A key of asterisks, a value too wide for the
// key, cannot be told from a negative value of 2s; it reads as the latter.)
double DecodeNumber(std::string_view key);

// Key length and decimals of a numeric key: the field's width and decimals when the key
// expression is one numeric field, else these.
constexpr std::size_t kNumericDefaultLength = 18;
constexpr std::size_t kNumericDefaultDecimals = 4;

}  // namespace xbase::ntx
