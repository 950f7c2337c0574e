#include "xbase/index/ntx/NtxFormat.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "xbase/index/IndexBytes.h"

namespace xbase::ntx {

Header Header::ForNewTag(std::string keyExpr, std::string forExpr, std::size_t keyLength,
                         std::size_t decimals, bool unique, bool descending, std::string tagName) {
    Header h;
    h.signature = forExpr.empty() ? kSignaturePlain : kSignatureFor;
    h.version = 1;
    h.root = kPageSize;
    h.itemSize = static_cast<std::uint16_t>(keyLength + 8);
    h.keyLength = static_cast<std::uint16_t>(keyLength);
    h.decimals = static_cast<std::uint16_t>(decimals);
    h.halfPage = HalfPageCount(keyLength);
    h.maxKeys = MaxKeysPerPage(keyLength);
    h.keyExpr = std::move(keyExpr);
    h.forExpr = std::move(forExpr);
    h.tagName = std::move(tagName);
    h.unique = unique;
    h.descending = descending;
    return h;
}

Header Header::Decode(const std::uint8_t* p) {
    Header h;
    h.signature = bytes::GetLe16(p + kSignatureAt);
    h.version = bytes::GetLe16(p + kVersionAt);
    h.root = bytes::GetLe32(p + kRootAt);
    h.freeList = bytes::GetLe32(p + kFreeListAt);
    h.itemSize = bytes::GetLe16(p + kItemSizeAt);
    h.keyLength = bytes::GetLe16(p + kKeyLengthAt);
    h.decimals = bytes::GetLe16(p + kDecimalsAt);
    h.maxKeys = bytes::GetLe16(p + kMaxKeysAt);
    h.halfPage = bytes::GetLe16(p + kHalfPageAt);
    h.keyExpr = bytes::GetZeroText(p + kKeyExprAt, kKeyExprSize);
    h.unique = p[kUniqueAt] != 0;
    h.descending = p[kDescendingAt] != 0 || p[kDescendingAltAt] != 0;
    if (h.signature == kSignatureFor) h.forExpr = bytes::GetZeroText(p + kForExprAt, kForExprSize);
    h.tagName = bytes::GetZeroText(p + kTagNameAt, kTagNameSize);
    return h;
}

void Header::Encode(std::uint8_t* p) const {
    std::memset(p, 0, kPageSize);
    bytes::PutLe16(p + kSignatureAt, signature);
    bytes::PutLe16(p + kVersionAt, version);
    bytes::PutLe32(p + kRootAt, root);
    bytes::PutLe32(p + kFreeListAt, freeList);
    bytes::PutLe16(p + kItemSizeAt, itemSize);
    bytes::PutLe16(p + kKeyLengthAt, keyLength);
    bytes::PutLe16(p + kDecimalsAt, decimals);
    bytes::PutLe16(p + kMaxKeysAt, maxKeys);
    bytes::PutLe16(p + kHalfPageAt, halfPage);
    bytes::PutZeroText(p + kKeyExprAt, kKeyExprSize, keyExpr);
    p[kUniqueAt] = unique ? 1 : 0;
    p[kDescendingAt] = descending ? 1 : 0;
    if (!forExpr.empty()) bytes::PutZeroText(p + kForExprAt, kForExprSize, forExpr);
    bytes::PutZeroText(p + kTagNameAt, kTagNameSize, tagName);
}

std::string Header::Problem(std::uint64_t fileSize) const {
    if (signature != kSignaturePlain && signature != kSignatureFor) return "signature";
    if (keyLength == 0 || keyLength > kMaxKeyLength) return "key length";
    if (itemSize != keyLength + 8) return "item size";
    if (maxKeys < 2) return "keys per page";
    // The offset table and the items must fit the page.
    if (2 + 2 * (static_cast<std::size_t>(maxKeys) + 1) +
            (static_cast<std::size_t>(maxKeys) + 1) * itemSize >
        kPageSize)
        return "keys per page";
    if (root < kPageSize || root % kPageSize != 0 || root + kPageSize > fileSize)
        return "root page";
    if (keyExpr.empty()) return "key expression";
    return {};
}

namespace {

// In a negative key every digit d becomes the byte 92 - d.
void MapNegative(char* key, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
        if (key[i] >= '0' && key[i] <= '9') key[i] = static_cast<char>(92 - key[i]);
    }
}

}  // namespace

bool EncodeUnits(std::uint64_t units, bool negative, std::size_t length, std::size_t decimals,
                 char* out) {
    // The digits of the whole number of key units, the point set before the last
    // `decimals` of them, zeros in front up to the key's length.
    char text[40];
    std::size_t at = sizeof text;
    for (std::size_t d = 0; d < decimals; ++d, units /= 10)
        text[--at] = static_cast<char>('0' + units % 10);
    if (decimals > 0) text[--at] = '.';
    do {
        text[--at] = static_cast<char>('0' + units % 10);
        units /= 10;
    } while (units > 0);
    const std::size_t used = sizeof text - at;
    if (used > length) return false;
    std::memset(out, '0', length - used);
    std::memcpy(out + (length - used), text + at, used);
    if (negative) MapNegative(out, length);
    return true;
}

std::string EncodeNumber(double value, std::size_t length, std::size_t decimals) {
    std::string out(length, '*');
    if (length == 0 || !std::isfinite(value)) return out;
    if (decimals > 0 && decimals + 2 > length) decimals = length > 2 ? length - 2 : 0;
    // Round half away from zero at the key's decimals, then decide the sign: -0.0001 with
    // three decimals is the key of zero.
    constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                  1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const double scale =
        decimals <= 15 ? kPowers[decimals] : std::pow(10.0, static_cast<double>(decimals));
    const double scaled = std::round(std::fabs(value) * scale);
    bool negative = value < 0 && scaled != 0;
    if (scaled < 1e15 && decimals <= 15) {
        if (!EncodeUnits(static_cast<std::uint64_t>(scaled), negative, length, decimals,
                         out.data()))
            out.assign(length, '*');
        return out;
    }
    char text[400];
    int n = std::snprintf(text, sizeof text, "%0*.*f", static_cast<int>(length),
                          static_cast<int>(decimals), scaled / scale);
    if (n < 0 || static_cast<std::size_t>(n) > length) return out;
    out.assign(text, static_cast<std::size_t>(n));
    if (negative) MapNegative(out.data(), out.size());
    return out;
}

double DecodeNumber(std::string_view key) {
    bool negative = false;
    std::string digits;
    digits.reserve(key.size());
    for (char c : key) {
        if (c >= '0' && c <= '9') {
            digits.push_back(c);
        } else if (c >= '#' && c <= ',') {
            negative = true;
            digits.push_back(static_cast<char>(92 - c));
        } else if (c == '.') {
            digits.push_back('.');
        }
    }
    if (digits.empty()) return 0;
    double v = std::strtod(digits.c_str(), nullptr);
    return negative ? -v : v;
}

}  // namespace xbase::ntx
