#include "xbase/index/FieldKey.h"

#include <cstring>

namespace xbase::fieldkey {

namespace {

// The powers of ten up to 10^15, all exact as doubles.
constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                              1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

constexpr int kMostDigits = 15;

}  // namespace

void CharacterKey(const std::uint8_t* field, std::size_t length, std::uint8_t* out) {
    const void* nul = std::memchr(field, 0, length);
    const std::size_t used =
        nul != nullptr ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - field)
                       : length;
    std::memcpy(out, field, used);
    std::memset(out + used, ' ', length - used);
}

double PlainNumber::Value() const {
    // Both operands are exact, so the quotient is the double nearest the decimal.
    const double value = static_cast<double>(units) / kPowers[decimals];
    return negative ? -value : value;
}

bool ReadPlainNumber(const std::uint8_t* field, std::size_t length, PlainNumber& out) {
    std::size_t i = 0;
    while (i < length && field[i] == ' ') ++i;
    out = PlainNumber{};
    if (i < length && field[i] == '-') {
        out.negative = true;
        ++i;
    }
    int digits = 0;
    bool point = false;
    for (; i < length; ++i) {
        const std::uint8_t c = field[i];
        if (c >= '0' && c <= '9') {
            if (++digits > kMostDigits) return false;
            out.units = out.units * 10 + (c - '0');
            if (point) ++out.decimals;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digits > 0;
}

}  // namespace xbase::fieldkey
