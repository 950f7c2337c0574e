#include "xbase/index/cdx/CdxKey.h"

#include <bit>
#include <cstdio>
#include <cstring>

namespace xbase::cdx {

void EncodeTextKey(std::string_view text, std::uint16_t keyLength, std::uint8_t* out) {
    const std::size_t n = text.size() < keyLength ? text.size() : keyLength;
    std::memcpy(out, text.data(), n);
    std::memset(out + n, ' ', keyLength - n);
}

void EncodeNumberKey(double value, std::uint8_t* out) {
    if (value == 0) value = 0;  // minus zero keys as zero
    std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
    bits = (bits >> 63) == 0 ? bits | (std::uint64_t{1} << 63) : ~bits;
    for (int i = 0; i < 8; ++i) out[i] = static_cast<std::uint8_t>(bits >> (56 - 8 * i));
}

double DecodeNumberKey(const std::uint8_t* key) {
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits = bits << 8 | key[i];
    bits = (bits >> 63) != 0 ? bits & ~(std::uint64_t{1} << 63) : ~bits;
    return std::bit_cast<double>(bits);
}

std::string KeyForMessage(const std::uint8_t* key, std::uint16_t keyLength, char keyType) {
    if (keyType != 'C' && keyLength == 8) {
        char text[40];
        std::snprintf(text, sizeof text, "%.15g", DecodeNumberKey(key));
        return text;
    }
    std::string out;
    std::size_t n = keyLength;
    while (n > 0 && key[n - 1] == ' ') --n;
    for (std::size_t i = 0; i < n; ++i) {
        if (key[i] >= 0x20 && key[i] < 0x7F) {
            out += static_cast<char>(key[i]);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", key[i]);
            out += hex;
        }
    }
    return out;
}

}  // namespace xbase::cdx
