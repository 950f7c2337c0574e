// Stored forms of compound-index keys: character keys padded with blanks, numeric and
// date keys as byte-comparable IEEE doubles padded with zeros. Keys of one tag all have
// its key length, so they order with one unsigned byte comparison.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace xbase::cdx {

// The byte a key of this type ('C', 'N', 'D') is padded with.
inline std::uint8_t PadFor(char keyType) { return keyType == 'C' ? ' ' : 0; }

// Writes `text` into `out` (keyLength bytes): cut at the key length, blanks after it.
void EncodeTextKey(std::string_view text, std::uint16_t keyLength, std::uint8_t* out);

// Writes a number as 8 byte-comparable bytes: a value with its sign bit clear gets it set,
// a negative value has all 64 bits inverted; most significant byte first. Minus zero is
// stored as zero. A negative value keeps its trailing 0xFF bytes: only 0x00 bytes are
// padding.
void EncodeNumberKey(double value, std::uint8_t* out);

// A date key is its day number as a number key; the empty date (day 0) sorts first.
inline void EncodeDateKey(std::int32_t day, std::uint8_t* out) {
    EncodeNumberKey(static_cast<double>(day), out);
}

// The number an 8-byte number key holds.
double DecodeNumberKey(const std::uint8_t* key);

// A stored key as text for messages: printable bytes as they are, others as \xNN.
std::string KeyForMessage(const std::uint8_t* key, std::uint16_t keyLength, char keyType);

}  // namespace xbase::cdx
