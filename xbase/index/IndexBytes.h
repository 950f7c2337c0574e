// Integers, doubles and zero-terminated texts inside index file headers and pages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "xbase/file/ByteOrder.h"

namespace xbase::bytes {

// The engine's one set of byte-order helpers (xbase/file/ByteOrder.h).
using byteorder::GetBe16;
using byteorder::GetBe32;
using byteorder::GetLe16;
using byteorder::GetLe32;
using byteorder::PutBe16;
using byteorder::PutBe32;
using byteorder::PutLe16;
using byteorder::PutLe32;

// An 8-byte IEEE double stored little-endian.
inline double GetLeDouble(const std::uint8_t* p) {
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = bits << 8 | p[i];
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

inline void PutLeDouble(std::uint8_t* p, double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 8; ++i) p[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

// The text of a zero-terminated field of `size` bytes (all of it when no zero ends it).
inline std::string GetZeroText(const std::uint8_t* p, std::size_t size) {
    std::size_t n = 0;
    while (n < size && p[n] != 0) ++n;
    return std::string(reinterpret_cast<const char*>(p), n);
}

// Writes `text` into a zeroed field of `size` bytes, cut so that a zero still ends it.
inline void PutZeroText(std::uint8_t* p, std::size_t size, const std::string& text) {
    std::size_t n = text.size() < size ? text.size() : size - 1;
    std::memcpy(p, text.data(), n);
}

}  // namespace xbase::bytes
