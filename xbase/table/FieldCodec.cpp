// The field layer's conversions between stored field forms and values.
#include "xbase/table/FieldCodec.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "xbase/file/EngineError.h"
#include "xbase/table/DbfDate.h"

namespace xbase::FieldCodec {

namespace {

constexpr std::uint32_t kFourSpaces = 0x20202020;
// Julian day of the day count origin of version 0x30 date-time values (T fields).
constexpr std::int64_t kDateTimeJulianBase = 1721425;
constexpr double kMillisecondsPerDay = 86400000.0;

// Longest fixed text: sign, 309 integer digits of the largest double, period, 255
// decimals (the descriptor's decimals are one byte).
constexpr int kMaxDecimals = 255;
constexpr std::size_t kFixedCapacity = 1 + 309 + 1 + kMaxDecimals + 8;

const char* fieldBytes(const FieldDescriptor& field, const std::uint8_t* record) {
    return reinterpret_cast<const char*>(record + field.offset);
}

std::size_t fieldLength(const FieldDescriptor& field) {
    return field.length > 0 ? static_cast<std::size_t>(field.length) : 0;
}

// The stored text up to the first NUL.
bool isVariableLength(const FieldDescriptor& field) {
    return field.type == 'V' || field.type == 'Q';
}

// A varchar or varbinary value: the whole field, or, when its _NullFlags bit says it is
// shorter, as many bytes as its last byte gives.
std::string_view variableView(const FieldDescriptor& field, const std::uint8_t* record) {
    const char* p = fieldBytes(field, record);
    const std::size_t length = fieldLength(field);
    if (length == 0 || !field.IsShort(record)) return {p, length};
    return {p, std::min<std::size_t>(static_cast<std::uint8_t>(p[length - 1]), length - 1)};
}

std::string_view rawView(const FieldDescriptor& field, const std::uint8_t* record) {
    if (isVariableLength(field)) return variableView(field, record);
    const char* p = fieldBytes(field, record);
    const std::size_t length = fieldLength(field);
    const void* nul = std::memchr(p, 0, length);
    return {p, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - p) : length};
}

// The word helpers below are forced inline: they run for every field of every record
// read, where a call costs as much as their work.
constexpr std::uint64_t kEightSpaces = 0x2020202020202020ULL;
constexpr std::uint64_t kLowBits = 0x0101010101010101ULL;
constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

[[gnu::always_inline]] inline std::uint64_t loadWord(const char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// The bytes of a word, lowest address in the lowest bits.
[[gnu::always_inline]] inline std::uint64_t loadLittle(const char* p) {
    std::uint64_t word = loadWord(p);
    if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
    return word;
}

// Non-zero when a byte of the word is zero; the lowest set bit marks the first zero byte.
[[gnu::always_inline]] inline std::uint64_t zeroBytes(std::uint64_t word) {
    return (word - kLowBits) & ~word & kHighBits;
}

// Length of p[0, n) without its trailing spaces, eight bytes at a time.
[[gnu::always_inline]] inline std::size_t trailingSpacesCut(const char* p, std::size_t n) {
    while (n >= 8) {
        const std::uint64_t other = loadLittle(p + n - 8) ^ kEightSpaces;  // non-zero: no space
        if (other != 0)
            return n - 8 + static_cast<std::size_t>(63 - std::countl_zero(other)) / 8 + 1;
        n -= 8;
    }
    while (n > 0 && p[n - 1] == ' ') --n;
    return n;
}

std::string_view trimTrailingSpaces(std::string_view text) {
    return text.substr(0, trailingSpacesCut(text.data(), text.size()));
}

[[gnu::always_inline]] inline std::string_view trimLeadingSpaces(std::string_view text) {
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        const std::uint64_t other = loadLittle(text.data() + i) ^ kEightSpaces;
        if (other != 0)
            return text.substr(i + static_cast<std::size_t>(std::countr_zero(other)) / 8);
    }
    while (i < text.size() && text[i] == ' ') ++i;
    return text.substr(i);
}

// Whether p[0, n) holds a NUL byte, eight bytes at a time (the last word overlapping).
[[gnu::always_inline]] inline bool holdsNul(const char* p, std::size_t n) {
    if (n < 8) {
        if (n >= 4) {  // two overlapping four-byte words
            std::uint32_t first, last;
            std::memcpy(&first, p, 4);
            std::memcpy(&last, p + n - 4, 4);
            return zeroBytes(first | std::uint64_t{last} << 32) != 0;
        }
        for (std::size_t i = 0; i < n; ++i)
            if (p[i] == 0) return true;
        return false;
    }
    for (std::size_t i = 0; i + 8 <= n; i += 8)
        if (zeroBytes(loadWord(p + i)) != 0) return true;
    return zeroBytes(loadWord(p + n - 8)) != 0;
}

// The raw text with trailing spaces removed, as every display form starts from: the
// reading of every field of every record is the engine's hottest loop. Trailing spaces
// go first; a NUL (rare) can only lie in what remains, and ends the text.
[[gnu::always_inline]] inline std::string_view storedText(const FieldDescriptor& field,
                                                          const std::uint8_t* record) {
    const char* p = fieldBytes(field, record);
    std::size_t n = trailingSpacesCut(p, fieldLength(field));
    if (holdsNul(p, n)) n = trailingSpacesCut(p, rawView(field, record).size());
    return {p, n};
}

// Replaces the text of `out`, reusing its storage.
[[gnu::always_inline]] inline void setText(std::string& out, std::string_view text) {
    out.clear();
    out.append(text.data(), text.size());
}

bool isTrueLetter(char c) {
    return c == 'T' || c == 't' || c == 'Y' || c == 'y' || c == 'J' || c == 'j';
}

bool isFalseLetter(char c) { return c == 'F' || c == 'f' || c == 'N' || c == 'n'; }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Little-endian integers of `width` bytes; bytes beyond a (malformed) short field read
// as 0 and are not written.
std::uint64_t loadLE(const std::uint8_t* p, std::size_t width, std::size_t available) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < std::min(width, available); ++i)
        value |= static_cast<std::uint64_t>(p[i]) << (8 * i);
    return value;
}

void storeLE(std::uint8_t* p, std::uint64_t value, std::size_t width, std::size_t available) {
    for (std::size_t i = 0; i < std::min(width, available); ++i)
        p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Truncation toward zero into an integer type, saturating at its limits (NaN gives 0),
// so that no out-of-range value reaches an undefined conversion.
template <class Int>
Int truncateSaturated(double value) {
    if (std::isnan(value)) return 0;
    if (value <= static_cast<double>(std::numeric_limits<Int>::min()))
        return std::numeric_limits<Int>::min();
    if (value >= static_cast<double>(std::numeric_limits<Int>::max()))
        return std::numeric_limits<Int>::max();
    return static_cast<Int>(value);
}

// "Invalid number in field " / "Invalid date in field " + table file name without
// directory and extension + "->" + field name + " (" + text + ")".
std::string invalidValueMessage(std::string_view what, const TableContext& table,
                                const FieldDescriptor& field, std::string_view text) {
    std::string_view name = table.fileName;
    if (std::size_t slash = name.find_last_of("\\/:"); slash != std::string_view::npos)
        name.remove_prefix(slash + 1);
    if (std::size_t dot = name.rfind('.'); dot != std::string_view::npos)
        name = name.substr(0, dot);
    std::string message("Invalid ");
    message.append(what).append(" in field ").append(name).append("->").append(field.name);
    message.append(" (").append(text).append(")");
    return message;
}

// Fixed notation of `value` with `decimals` decimals into buf (kFixedCapacity bytes);
// returns the length. Rounds half away from zero on the shortest decimal digits that
// read back as the same double.
std::size_t fixedText(double value, int decimals, char* buf) {
    decimals = std::clamp(decimals, 0, kMaxDecimals);
    if (!std::isfinite(value)) {
        const char* text = std::isnan(value) ? "nan" : (value < 0 ? "-inf" : "inf");
        std::size_t n = std::strlen(text);
        std::memcpy(buf, text, n);
        return n;
    }
    const bool negative = std::signbit(value);
    const double magnitude = std::fabs(value);

    // The decimal digits of the magnitude and the position of the decimal point:
    // magnitude = 0.digits * 10^pointPos.
    char digits[32];
    int digitCount = 0;
    int pointPos = 1;
    if (magnitude == 0) {
        digits[0] = '0';
        digitCount = 1;
    } else if (magnitude < 1e15 &&
               static_cast<double>(static_cast<std::uint64_t>(magnitude)) == magnitude) {
        auto res =
            std::to_chars(digits, digits + sizeof digits, static_cast<std::uint64_t>(magnitude));
        digitCount = static_cast<int>(res.ptr - digits);
        pointPos = digitCount;
    } else {
        char sci[40];
        auto res = std::to_chars(sci, sci + sizeof sci, magnitude, std::chars_format::scientific);
        const char* p = sci;
        for (; p < res.ptr && *p != 'e'; ++p)
            if (*p != '.') digits[digitCount++] = *p;
        int exponent = 0;
        std::from_chars(p + 1 + (p[1] == '+'), res.ptr, exponent);
        pointPos = exponent + 1;
    }

    // Keep the digits down to the last decimal; round on the first digit dropped.
    char kept[kFixedCapacity];
    int keep = pointPos + decimals;
    int keptCount = 0;
    if (keep >= 0) {
        keptCount = keep;
        for (int i = 0; i < keep; ++i) kept[i] = i < digitCount ? digits[i] : '0';
        if (keep < digitCount && digits[keep] >= '5') {
            int i = keep - 1;
            while (i >= 0 && kept[i] == '9') kept[i--] = '0';
            if (i >= 0) {
                ++kept[i];
            } else {  // carried past the first digit: one more integer digit
                std::memmove(kept + 1, kept, static_cast<std::size_t>(keptCount));
                kept[0] = '1';
                ++keptCount;
                ++pointPos;
            }
        }
    }
    const bool zero = std::all_of(kept, kept + keptCount, [](char c) { return c == '0'; });

    std::size_t n = 0;
    if (negative && !zero) buf[n++] = '-';
    if (pointPos <= 0) {
        buf[n++] = '0';
    } else {
        std::memcpy(buf + n, kept, static_cast<std::size_t>(pointPos));
        n += static_cast<std::size_t>(pointPos);
    }
    if (decimals > 0) {
        buf[n++] = '.';
        for (int k = 0; k < decimals; ++k) {
            int index = pointPos + k;
            buf[n++] = index >= 0 && index < keptCount ? kept[index] : '0';
        }
    }
    return n;
}

[[gnu::noinline]] void memoMark(const FieldDescriptor& field, const std::uint8_t* record,
                                const TableContext& table, std::string_view text,
                                std::string& out) {
    bool present;
    if (IsVisualFoxVersion(table.version))
        present = GetNumber(field, record, table) > 0.1;
    else
        present = trimLeadingSpaces(text) > std::string_view("0");
    switch (field.type) {
        case 'M':
            out.assign(present ? "---MEMO---" : "---memo---");
            break;
        case 'B':
            out.assign(present ? "--BINARY--" : "--binary--");
            break;
        default:
            out.assign(present ? "-GENERAL--" : "-general--");
            break;
    }
}

// The D display and the memo marks are kept out of line: the hot paths of GetText (C, N,
// L) then need fewer registers saved per call.
[[gnu::noinline]] void dateDisplay(std::string_view text, std::string& out) {
    if (text.empty()) {
        out.clear();
        return;
    }
    platform::CivilDate date;
    if (DbfDate::ReadStorageDigits(text, date) &&
        platform::IsValidDate(date.year, date.month, date.day))
        DbfDate::StorageToDisplay(text, out);  // the common case, without the Julian detour
    else
        DbfDate::JulianToDisplay(DbfDate::JulianFromText(text), out);
    while (!out.empty() && out.back() == ' ') out.pop_back();
}

bool putBinaryNumber(const FieldDescriptor& field, std::uint8_t* record, double value) {
    std::uint8_t* p = record + field.offset;
    const std::size_t available = fieldLength(field);
    switch (field.type) {
        case 'B':
            storeLE(p, std::bit_cast<std::uint64_t>(value), 8, available);
            break;
        case 'T': {
            const double days = std::trunc(value / kMillisecondsPerDay);
            const double milliseconds = std::trunc(value - days * kMillisecondsPerDay);
            storeLE(p,
                    static_cast<std::uint32_t>(
                        truncateSaturated<std::int32_t>(days + kDateTimeJulianBase)),
                    4, available);
            if (available > 4)
                storeLE(p + 4,
                        static_cast<std::uint32_t>(truncateSaturated<std::int32_t>(milliseconds)),
                        4, available - 4);
            break;
        }
        case 'Y':
            // Rounded, not truncated: 1.2345 * 10000 is 12344.999..., which truncation
            // would store as 1.2344.
            storeLE(p,
                    static_cast<std::uint64_t>(
                        truncateSaturated<std::int64_t>(std::round(value * 10000.0))),
                    8, available);
            break;
        default:  // G, I, M: truncated toward zero
            storeLE(p, static_cast<std::uint32_t>(truncateSaturated<std::int32_t>(value)), 4,
                    available);
            break;
    }
    return true;
}

double getBinaryNumber(const FieldDescriptor& field, const std::uint8_t* record) {
    const std::uint8_t* p = record + field.offset;
    const std::size_t available = fieldLength(field);
    switch (field.type) {
        case 'B':
            return std::bit_cast<double>(loadLE(p, 8, available));
        case 'T': {
            const auto dayBits = static_cast<std::uint32_t>(loadLE(p, 4, available));
            const auto msBits =
                static_cast<std::uint32_t>(available > 4 ? loadLE(p + 4, 4, available - 4) : 0);
            const std::int64_t day = dayBits == kFourSpaces ? DbfDate::kJulianOffset
                                                            : static_cast<std::int32_t>(dayBits);
            const std::int64_t ms = msBits == kFourSpaces ? 0 : static_cast<std::int32_t>(msBits);
            return static_cast<double>(day - kDateTimeJulianBase) * kMillisecondsPerDay +
                   static_cast<double>(ms);
        }
        case 'Y':
            return static_cast<double>(static_cast<std::int64_t>(loadLE(p, 8, available))) /
                   10000.0;
        default: {  // G, I, M
            const auto bits = static_cast<std::uint32_t>(loadLE(p, 4, available));
            return bits == kFourSpaces ? 0.0 : static_cast<double>(static_cast<std::int32_t>(bits));
        }
    }
}

// A blank N or F field shows zero with the field's decimals.
[[gnu::noinline]] void zeroDisplay(int decimals, std::string& out) {
    FormatNumber(0.0, 0, decimals, out);
}

}  // namespace

bool IsBinary(char type, std::uint8_t version) {
    if (!IsVisualFoxVersion(version)) return false;
    switch (type) {
        case 'B':
        case 'G':
        case 'I':
        case 'M':
        case 'T':
        case 'Y':
            return true;
        default:
            return false;
    }
}

bool IsNull(const FieldDescriptor& field, const std::uint8_t* record, const TableContext& table) {
    if (field.IsNull(record)) return true;
    if (field.type != 'T' || !IsBinary(field.type, table.version)) return false;
    const auto day =
        static_cast<std::uint32_t>(loadLE(record + field.offset, 4, fieldLength(field)));
    return day == 0 || day == kFourSpaces;
}

void SetNull(const FieldDescriptor& field, std::uint8_t* record, bool null) {
    field.SetBit(record, field.nullBit, null);
}

void GetRaw(const FieldDescriptor& field, const std::uint8_t* record, std::string& out) {
    setText(out, rawView(field, record));
}

std::string GetRaw(const FieldDescriptor& field, const std::uint8_t* record) {
    return std::string(rawView(field, record));
}

bool PutRaw(const FieldDescriptor& field, std::uint8_t* record, std::string_view text) {
    std::uint8_t* p = record + field.offset;
    const std::size_t length = fieldLength(field);
    if (isVariableLength(field) && field.lengthBit >= 0 && length > 0) {
        // Shorter than the field: the length goes into the last byte and the bit says so.
        const bool isShort = text.size() < length;
        const std::size_t n = std::min(length, text.size());
        std::memset(p, field.type == 'V' ? ' ' : 0, length);
        if (n > 0) std::memcpy(p, text.data(), n);
        if (isShort) p[length - 1] = static_cast<std::uint8_t>(n);
        field.SetBit(record, field.lengthBit, isShort);
        return true;
    }
    std::memset(p, ' ', length);
    const std::size_t n = std::min(length, text.size());
    const bool leftAligned = field.type == 'C' || field.type == 'D' || field.type == 'L';
    if (n > 0) std::memcpy(leftAligned ? p : p + (length - n), text.data(), n);
    return true;
}

std::string_view TextView(const FieldDescriptor& field, const std::uint8_t* record,
                          const TableContext& table, std::string& scratch) {
    const std::string_view text = storedText(field, record);
    switch (field.type) {
        case 'D':
            dateDisplay(text, scratch);
            return scratch;
        case 'N':
        case 'F': {
            const std::string_view number = trimLeadingSpaces(text);
            if (!number.empty()) return number;
            zeroDisplay(field.decimals, scratch);  // e.g. "0.00"
            return scratch;
        }
        case 'L':
            return text.size() == 1 && isTrueLetter(text[0]) ? "T" : "F";
        case 'V':
        case 'Q':
            return variableView(field, record);
        case 'M':
        case 'B':
        case 'G':
            memoMark(field, record, table, text, scratch);
            return scratch;
        default:
            return text;
    }
}

void GetText(const FieldDescriptor& field, const std::uint8_t* record, const TableContext& table,
             std::string& out) {
    const std::string_view text = TextView(field, record, table, out);
    if (text.data() != out.data()) setText(out, text);
}

std::string GetText(const FieldDescriptor& field, const std::uint8_t* record,
                    const TableContext& table) {
    std::string out;
    GetText(field, record, table, out);
    return out;
}

bool PutText(const FieldDescriptor& field, std::uint8_t* record, const TableContext& table,
             std::string_view text) {
    switch (field.type) {
        case 'D':
            return PutDate(field, record, DbfDate::JulianFromText(text));
        case 'L': {
            bool flag = false;
            if (!text.empty()) {
                const char c = text[0];
                if (isTrueLetter(c))
                    flag = true;
                else if (isFalseLetter(c))
                    flag = false;
                else if (isDigit(c))
                    flag = c != '0';
                else {
                    ReportEngineError(err::FieldTypeIncorrect, sub::LogicalWrite, field.name);
                    return false;
                }
            }
            return PutLogical(field, record, flag);
        }
        case 'N': {
            std::string_view number = trimTrailingSpaces(text).substr(0, 32);
            double value = 0;
            if (!number.empty() && !ParseNumber(number, value)) {
                ReportEngineError(err::FieldTypeIncorrect, sub::NumberWrite, std::string());
                return false;
            }
            return PutNumber(field, record, table, value);
        }
        default:
            return PutRaw(field, record, text);
    }
}

double GetNumber(const FieldDescriptor& field, const std::uint8_t* record,
                 const TableContext& table) {
    if (IsBinary(field.type, table.version)) return getBinaryNumber(field, record);
    const std::string_view text = storedText(field, record);
    double value = 0;
    if (text.empty()) return 0;
    if (!ParseNumber(text, value)) {
        ReportEngineError(err::FieldTypeIncorrect, sub::None,
                          invalidValueMessage("number", table, field, text));
        return 0;
    }
    return value;
}

bool PutNumber(const FieldDescriptor& field, std::uint8_t* record, const TableContext& table,
               double value) {
    bool allowed;
    switch (field.type) {
        case 'B':
        case 'F':
        case 'G':
        case 'M':
        case 'N':
            allowed = true;
            break;
        case 'I':
        case 'T':
        case 'Y':
            allowed = IsVisualFoxVersion(table.version);
            break;
        default:
            allowed = false;
            break;
    }
    if (!allowed) {
        ReportEngineError(err::FieldTypeIncorrect, sub::FieldType, std::string());
        return false;
    }
    if (IsBinary(field.type, table.version)) return putBinaryNumber(field, record, value);

    char buf[kFixedCapacity];
    const std::size_t n = fixedText(value, field.decimals, buf);
    const std::size_t length = fieldLength(field);
    // Infinity and NaN never fit: their letters would read back as no number.
    if (n > length || !std::isfinite(value)) {
        std::string message = field.name;
        message.append(" - ").append(buf, n);
        ReportEngineError(err::NumberTooLarge, sub::NumberWrite, message);
        return false;
    }
    return PutRaw(field, record, std::string_view(buf, n));
}

std::int32_t GetDate(const FieldDescriptor& field, const std::uint8_t* record,
                     const TableContext& table) {
    const std::string_view text = rawView(field, record);
    try {
        return DbfDate::JulianFromText(text);
    } catch (const DateConversionError&) {
        ReportEngineError(err::FieldTypeIncorrect, sub::None,
                          invalidValueMessage("date", table, field, trimTrailingSpaces(text)));
        return 0;
    }
}

bool PutDate(const FieldDescriptor& field, std::uint8_t* record, std::int32_t julian) {
    if (julian == -1) {
        ReportEngineError(err::FieldTypeIncorrect, sub::DateWrite, std::string());
        return false;
    }
    if (field.type != 'D') return false;
    // Eight digits, or eight spaces for 0 and below; the capacity of a short string, so
    // no allocation.
    std::string storage;
    DbfDate::JulianToStorage(julian, storage);
    return PutRaw(field, record, storage);
}

bool GetLogical(const FieldDescriptor& field, const std::uint8_t* record) {
    const std::string_view raw = rawView(field, record);
    return raw.size() == 1 && isTrueLetter(raw[0]);
}

bool PutLogical(const FieldDescriptor& field, std::uint8_t* record, bool flag) {
    if (field.type != 'L') {
        ReportEngineError(err::FieldTypeIncorrect, sub::FieldType, std::string());
        return false;
    }
    return PutRaw(field, record, flag ? "T" : "F");
}

bool TypeAccepts(char fieldType, char wanted) {
    if (fieldType == wanted) return true;
    switch (wanted) {
        case 'N':
            return std::string_view("BFGIM").find(fieldType) != std::string_view::npos;
        case 'G':
            return fieldType == 'B' || fieldType == 'M';
        default:
            return false;
    }
}

bool CheckFieldType(const FieldDescriptor& field, char wanted, std::string_view requestedName) {
    if (TypeAccepts(field.type, wanted)) return true;
    ReportEngineError(err::FieldTypeIncorrect, sub::FieldType, std::string(requestedName));
    return false;
}

void BlankRecord(std::uint8_t* record, std::size_t recordLength,
                 std::span<const FieldDescriptor> fields, const TableContext& table) {
    std::memset(record, ' ', recordLength);
    for (const FieldDescriptor& field : fields) {
        if (field.type == 'N' || field.type == 'F' || IsBinary(field.type, table.version))
            PutNumber(field, record, table, 0.0);
        // Visual FoxPro's null flags start clear; varchar and varbinary values empty.
        if (field.type == '0' && IsVisualFoxVersion(table.version))
            std::memset(record + field.offset, 0, fieldLength(field));
    }
    for (const FieldDescriptor& field : fields)
        if (isVariableLength(field)) PutRaw(field, record, std::string_view());
}

std::vector<std::string> SplitFieldList(std::string_view fieldList) {
    std::vector<std::string> names;
    if (fieldList.empty()) return names;
    auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    std::size_t start = 0;
    while (true) {
        std::size_t end = fieldList.find(';', start);
        std::string_view name = fieldList.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        while (!name.empty() && isBlank(name.front())) name.remove_prefix(1);
        while (!name.empty() && isBlank(name.back())) name.remove_suffix(1);
        names.emplace_back(name);
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return names;
}

void BuildRecordImage(std::uint8_t* buffer, std::size_t recordLength,
                      std::span<const FieldDescriptor> fields, const TableContext& table,
                      std::string_view fieldList,
                      std::span<const std::optional<std::string>> values, bool valuesAreArray,
                      const FieldLookup& lookup) {
    BlankRecord(buffer, recordLength, fields, table);
    const std::vector<std::string> names = SplitFieldList(fieldList);
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (valuesAreArray ? i >= values.size() : i > 0) break;
        const FieldDescriptor* field = lookup(names[i]);
        if (field == nullptr) continue;
        const std::optional<std::string>* value = i < values.size() ? &values[i] : nullptr;
        PutText(*field, buffer, table,
                value && value->has_value() ? std::string_view(**value) : std::string_view());
    }
}

bool ParseNumber(std::string_view text, double& value) {
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n && text[i] == ' ') ++i;
    // from_chars takes a '-' but no '+'.
    std::size_t start = i;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '+') ++start;
        ++i;
    }
    std::size_t mantissaDigits = 0;
    while (i < n && isDigit(text[i])) ++i, ++mantissaDigits;
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && isDigit(text[i])) ++i, ++mantissaDigits;
    }
    if (mantissaDigits == 0) return false;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
        std::size_t exponentDigits = 0;
        while (i < n && isDigit(text[i])) ++i, ++exponentDigits;
        if (exponentDigits == 0) return false;
    }
    if (i != n) return false;
    double parsed = 0;
    auto res = std::from_chars(text.data() + start, text.data() + n, parsed);
    if (res.ec != std::errc() || res.ptr != text.data() + n) return false;
    value = parsed;
    return true;
}

void FormatNumber(double value, int width, int decimals, std::string& out) {
    char buf[kFixedCapacity];
    const std::size_t n = fixedText(value, decimals, buf);
    const std::size_t pad =
        width > 0 && static_cast<std::size_t>(width) > n ? static_cast<std::size_t>(width) - n : 0;
    out.assign(pad, ' ');
    out.append(buf, n);
}

}  // namespace xbase::FieldCodec
