#include "xbase/index/mdx/MdxFormat.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "xbase/index/IndexBytes.h"

namespace xbase::mdx {

FileHeader FileHeader::Decode(const std::uint8_t* p) {
    FileHeader h;
    std::memcpy(h.created, p + kCreatedAt, 3);
    std::memcpy(h.updated, p + kUpdatedAt, 3);
    h.tableName = bytes::GetZeroText(p + kTableNameAt, kTableNameSize);
    h.pagesPerBlock = bytes::GetLe16(p + kPagesPerBlockAt);
    h.blockSize = bytes::GetLe16(p + kBlockSizeAt);
    h.tagCount = bytes::GetLe16(p + kTagCountAt);
    h.nextFreePage = bytes::GetLe32(p + kNextFreePageAt);
    return h;
}

void FileHeader::Encode(std::uint8_t* p) const {
    std::memset(p, 0, 48);
    p[kVersionAt] = kVersion;
    std::memcpy(p + kCreatedAt, created, 3);
    bytes::PutZeroText(p + kTableNameAt, 9, tableName);
    bytes::PutLe16(p + kPagesPerBlockAt, pagesPerBlock);
    bytes::PutLe16(p + kBlockSizeAt, blockSize);
    p[kProductionAt] = 1;
    p[kTagCapacityAt] = static_cast<std::uint8_t>(kTagSlots);
    bytes::PutLe16(p + kTagEntrySizeAt, static_cast<std::uint16_t>(kTagEntrySize));
    bytes::PutLe16(p + kTagCountAt, tagCount);
    bytes::PutLe32(p + kNextFreePageAt, nextFreePage);
    std::memcpy(p + kUpdatedAt, updated, 3);
}

std::string FileHeader::Problem(std::uint64_t fileSize) const {
    if (blockSize < kDefaultBlockSize / 2 || blockSize % kPageSize != 0 || blockSize > 32768)
        return "block size";
    if (pagesPerBlock != blockSize / kPageSize) return "pages per block";
    if (tagCount > kMaxTags) return "tag count";
    if (fileSize < RegionSize()) return "file shorter than its header";
    return {};
}

TagHeader TagHeader::ForNewTag(char keyType, std::size_t keyLength, std::size_t blockSize,
                               bool unique, bool descending, std::string keyExpr,
                               std::string forExpr) {
    TagHeader h;
    h.keyType = keyType;
    h.keyLength = static_cast<std::uint16_t>(keyType == 'N'   ? kNumericKeyLength
                                             : keyType == 'D' ? kDateKeyLength
                                                              : keyLength);
    h.entrySize = static_cast<std::uint16_t>(EntrySize(h.keyLength));
    h.maxKeys = static_cast<std::uint16_t>(MaxKeys(blockSize, h.entrySize));
    h.unique = unique;
    h.descending = descending;
    h.keyExpr = std::move(keyExpr);
    h.forExpr = std::move(forExpr);
    return h;
}

TagHeader TagHeader::Decode(const std::uint8_t* p, std::size_t blockSize) {
    TagHeader h;
    h.rootPage = bytes::GetLe32(p + kRootPageAt);
    std::uint8_t options = p[kOptionsAt];
    h.keyType = static_cast<char>(p[kKeyTypeAt]);
    h.keyLength = bytes::GetLe16(p + kKeyLengthAt);
    h.maxKeys = bytes::GetLe16(p + kMaxKeysAt);
    h.entrySize = bytes::GetLe16(p + kEntrySizeAt);
    h.unique = (options & kOptionUnique) != 0 || p[kUniqueAt] != 0;
    h.descending = (options & kOptionDescending) != 0;
    h.keyExpr = bytes::GetZeroText(p + kKeyExprAt, kKeyExprSize);
    if (p[kHasForAt] != 0 && blockSize > kForExprAt)
        h.forExpr = bytes::GetZeroText(p + kForExprAt, blockSize - kForExprAt);
    h.firstNodePage = bytes::GetLe32(p + kFirstNodePageAt);
    h.lastNodePage = bytes::GetLe32(p + kLastNodePageAt);
    return h;
}

void TagHeader::Encode(std::uint8_t* p, std::size_t blockSize) const {
    std::memset(p, 0, blockSize);
    bytes::PutLe32(p + kRootPageAt, rootPage);
    p[kOptionsAt] = static_cast<std::uint8_t>(kOptionBase | (unique ? kOptionUnique : 0) |
                                              (descending ? kOptionDescending : 0));
    p[kKeyTypeAt] = static_cast<std::uint8_t>(keyType);
    bytes::PutLe16(p + kKeyLengthAt, keyLength);
    bytes::PutLe16(p + kMaxKeysAt, maxKeys);
    bytes::PutLe16(p + kEntrySizeAt, entrySize);
    p[kUniqueAt] = unique ? kOptionUnique : 0;
    bytes::PutZeroText(p + kKeyExprAt, kKeyExprSize, keyExpr);
    p[kHasForAt] = forExpr.empty() ? 0 : 1;
    p[kOneAt] = 1;
    bytes::PutLe32(p + kFirstNodePageAt, firstNodePage);
    bytes::PutLe32(p + kLastNodePageAt, lastNodePage);
    if (!forExpr.empty() && blockSize > kForExprAt)
        bytes::PutZeroText(p + kForExprAt, blockSize - kForExprAt, forExpr);
}

std::string TagHeader::Problem(std::size_t blockSize, std::uint64_t pages) const {
    if (keyType != 'C' && keyType != 'N' && keyType != 'D') return "key type";
    if (keyLength == 0 || keyLength > blockSize / 4) return "key length";
    // Numbers and dates are read as their whole stored form.
    if ((keyType == 'N' && keyLength < kNumericKeyLength) ||
        (keyType == 'D' && keyLength < kDateKeyLength))
        return "key length";
    if (entrySize < keyLength + 4 || entrySize > blockSize / 3) return "entry size";
    if (maxKeys < 2 ||
        kNodeEntriesAt + (static_cast<std::size_t>(maxKeys) + 1) * entrySize > blockSize)
        return "keys per node";
    if (rootPage == 0 || rootPage >= pages) return "root page";
    if (keyExpr.empty()) return "key expression";
    return {};
}

void DecodeTagTable(const std::uint8_t* region, std::size_t count, TagEntry* out) {
    for (std::size_t k = 1; k <= count; ++k) {
        const std::uint8_t* e = region + kTagTableAt + kTagEntrySize * k;
        out[k - 1].headerPage = bytes::GetLe32(e + kEntryHeaderPageAt);
        out[k - 1].name = bytes::GetZeroText(e + kEntryNameAt, kEntryNameSize);
        out[k - 1].keyType = static_cast<char>(e[kEntryTypeAt]);
    }
}

void EncodeTagTable(const TagEntry* entries, std::size_t count, std::uint8_t* region) {
    std::memset(region + kTagTableAt, 0, kTagEntrySize * (kMaxTags + 1));  // to byte 2048
    for (std::size_t k = 1; k <= count; ++k) {
        std::uint8_t* e = region + kTagTableAt + kTagEntrySize * k;
        bytes::PutLe32(e + kEntryHeaderPageAt, entries[k - 1].headerPage);
        bytes::PutZeroText(e + kEntryNameAt, kEntryNameSize, entries[k - 1].name);
        e[kEntryTwoAt] = 2;
        e[kEntryTypeAt] = static_cast<std::uint8_t>(entries[k - 1].keyType);
        // The entry before (the slot at 512 for the first tag) names this one.
        region[kTagTableAt + kTagEntrySize * (k - 1) + kEntryNextAt] = static_cast<std::uint8_t>(k);
    }
    bytes::PutLe16(region + kTagCountAt, static_cast<std::uint16_t>(count));
}

namespace {

// The powers of ten a double holds exactly.
constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                              1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                              1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

double PowerOfTen(int n) { return n >= 0 && n <= 22 ? kPowers[n] : std::pow(10.0, n); }

// Powers of ten from 1e-9 to 1e15, as near as a double holds them: the first guess of a
// number's decimal exponent.
constexpr double kExponentBounds[] = {1e-9, 1e-8, 1e-7, 1e-6, 1e-5, 1e-4, 1e-3, 1e-2, 1e-1,
                                      1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,
                                      1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// The fifteen significant digits of `magnitude` (> 0) rounded to nearest, as a whole
// number of fifteen digits, and the power of ten of the first, without formatting text:
// false where the plain arithmetic might round differently from the exact decimal value
// (a value halfway between two digit strings, or one outside 1e-8 to 1e15), left to the
// formatter.
bool FifteenDigits(double magnitude, std::uint64_t& digits, int& exponent) {
    if (!(magnitude >= 1e-8 && magnitude < 1e15)) return false;
    // log10(2) is about 1233 / 4096: the binary exponent gives the decimal one or one less.
    int e = (std::ilogb(magnitude) * 1233) >> 12;
    if (e + 1 <= 15 && magnitude >= kExponentBounds[e + 1 + 9]) ++e;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int shift = 14 - e;
        if (shift < 0 || shift > 22) return false;
        const double scaled = magnitude * kPowers[shift];
        const double whole = std::round(scaled);
        if (whole < 1e14) {
            --e;
            continue;
        }
        if (whole >= 1e15) {
            ++e;
            continue;
        }
        // The product is rounded once; a fraction this far from one half rounds alike.
        if (std::fabs(scaled - std::floor(scaled) - 0.5) < 0.25) return false;
        digits = static_cast<std::uint64_t>(whole);
        exponent = e;
        return true;
    }
    return false;
}

}  // namespace

void EncodeNumber(double value, std::uint8_t* out) {
    std::memset(out, 0, kNumericKeyLength);
    if (!std::isfinite(value) || value == 0) {
        out[0] = 52;
        out[1] = 1;
        return;
    }
    bool negative = value < 0;
    // Fifteen significant digits d.dddddddddddddd and the power of ten of the first.
    std::uint64_t whole = 0;
    int exponent = 0;
    if (!FifteenDigits(std::fabs(value), whole, exponent)) {
        char text[40];
        std::snprintf(text, sizeof text, "%.14e", std::fabs(value));
        whole = static_cast<std::uint64_t>(text[0] - '0');
        for (int i = 2; i < 16; ++i) whole = whole * 10 + static_cast<std::uint64_t>(text[i] - '0');
        exponent = std::atoi(text + 17);  // after the 'e'
    }
    int before = exponent + 1;  // digits before the point
    if (before > 15) {
        whole = 999999999999999;
        before = 15;
    }
    std::uint8_t digits[15];
    for (int i = 14; i >= 0; --i, whole /= 10) digits[i] = static_cast<std::uint8_t>(whole % 10);
    std::size_t count = 15;
    while (count > 0 && digits[count - 1] == 0) --count;
    const std::size_t byteCount = (count + 1) / 2;
    out[0] = static_cast<std::uint8_t>(52 + before);
    out[1] = static_cast<std::uint8_t>(8 * byteCount + 1 + (negative ? 0x80 : 0));
    for (std::size_t i = 0; i < count; ++i)
        out[2 + i / 2] |= static_cast<std::uint8_t>(i % 2 == 0 ? digits[i] << 4 : digits[i]);
}

double DecodeNumber(const std::uint8_t* key) {
    std::size_t count = (key[1] >> 3) & 15;
    if (count > kNumericKeyLength - 2) count = kNumericKeyLength - 2;
    double integer = 0;
    for (std::size_t i = 0; i < count; ++i) {
        integer = integer * 100 + (key[2 + i] >> 4) * 10 + (key[2 + i] & 15);
    }
    int exponent = static_cast<int>(key[0]) - 52 - 2 * static_cast<int>(count);
    double value = exponent < 0 ? integer / PowerOfTen(-exponent) : integer * PowerOfTen(exponent);
    return (key[1] & 0x80) != 0 ? -value : value;
}

void EncodeDouble(double value, std::uint8_t* out) { bytes::PutLeDouble(out, value); }

double DecodeDouble(const std::uint8_t* key) { return bytes::GetLeDouble(key); }

}  // namespace xbase::mdx
