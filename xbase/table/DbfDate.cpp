// Julian day numbers: conversions between Julian days, the stored eight digits, the
// display form of the short date format and the platform's calendar.
#include "xbase/table/DbfDate.h"

#include <atomic>
#include <bit>
#include <charconv>
#include <cstddef>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/Clock.h"
#include "platform/FormatSettings.h"

namespace xbase {

namespace {

// Room for any int written in decimal, sign included.
constexpr std::size_t kYearWidth = 11;

// The display format compiled from the settings: the short date format in upper case
// with the century forced, cut into pieces that need no further reading per call.
// Formats with letters beyond Y, M and D runs of one or two (month names, quotes ...)
// are handed to the platform's formatter whole.
struct DisplayFormat {
    enum class Kind : unsigned char { Literal, Year2, Year4, Month1, Month2, Day1, Day2 };
    struct Piece {
        Kind kind;
        char ch;  // the character of a literal
    };

    std::string source;  // settings' short date format this was compiled from
    char separator = 0;  // settings' date separator
    std::string format;  // upper case, century forced
    std::vector<Piece> pieces;
    std::size_t maxWidth = 0;  // longest text the pieces can give
    bool usePlatform = false;

    // Formats of fixed width (no one-letter month or day) also have a pattern, literals
    // in place and zeros for the digits, into which a date's digits are written.
    struct Slot {
        Kind kind;
        std::size_t pos;
    };
    bool fixedWidth = false;
    std::string pattern;
    std::vector<Slot> slots;
};

// Upper case, then one "Y" inserted at the first "Y" (at the start when there is none)
// until "YYYY" appears: YY-MM-DD gives YYYY-MM-DD, M/D/YY gives M/D/YYYY.
std::string centuryFormat(std::string_view shortFormat) {
    std::string format(shortFormat);
    for (char& c : format)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    while (format.find("YYYY") == std::string::npos) {
        std::size_t pos = format.find('Y');
        format.insert(pos == std::string::npos ? 0 : pos, 1, 'Y');
    }
    return format;
}

void compile(DisplayFormat& f, const platform::FormatSettings& settings) {
    using Kind = DisplayFormat::Kind;
    f.source = settings.shortDateFormat;
    f.separator = settings.dateSeparator;
    f.format = centuryFormat(f.source);
    f.pieces.clear();
    f.maxWidth = 0;
    f.usePlatform = false;
    f.fixedWidth = false;
    f.pattern.clear();
    f.slots.clear();
    const std::string& s = f.format;
    for (std::size_t i = 0; i < s.size();) {
        char c = s[i];
        std::size_t run = 1;
        while (i + run < s.size() && s[i + run] == c) ++run;
        if (c == 'Y') {
            // Up to two letters: two-digit year; more: the full year.
            f.pieces.push_back({run <= 2 ? Kind::Year2 : Kind::Year4, 0});
        } else if ((c == 'M' || c == 'D') && run <= 2) {
            Kind kind = c == 'M' ? (run == 1 ? Kind::Month1 : Kind::Month2)
                                 : (run == 1 ? Kind::Day1 : Kind::Day2);
            f.pieces.push_back({kind, 0});
        } else if ((c >= 'A' && c <= 'Z') || c == '\'' || c == '"') {
            f.usePlatform = true;
            break;
        } else {
            for (std::size_t k = 0; k < run; ++k)
                f.pieces.push_back({Kind::Literal, c == '/' ? settings.dateSeparator : c});
        }
        i += run;
    }
    for (const DisplayFormat::Piece& piece : f.pieces)
        f.maxWidth += piece.kind == Kind::Literal ? 1 : piece.kind == Kind::Year4 ? kYearWidth : 2;
    f.fixedWidth = !f.usePlatform;
    for (const DisplayFormat::Piece& piece : f.pieces) {
        if (piece.kind == Kind::Month1 || piece.kind == Kind::Day1) f.fixedWidth = false;
        if (piece.kind != Kind::Literal) f.slots.push_back({piece.kind, f.pattern.size()});
        f.pattern.append(piece.kind == Kind::Literal ? 1
                         : piece.kind == Kind::Year4 ? 4
                                                     : 2,
                         piece.kind == Kind::Literal ? piece.ch : '0');
    }
}

// The compiled format of the current settings. Compiled formats are kept for the life of
// the process (one per distinct format and separator, a handful at most), so a reader on
// another thread never sees one freed under it; the common call is one pointer load and a
// comparison with the settings, without a lock or thread-local storage.
const DisplayFormat& displayFormat() {
    static std::atomic<const DisplayFormat*> current{nullptr};
    const platform::FormatSettings& settings = platform::ProcessFormatSettings();
    auto matches = [&settings](const DisplayFormat& f) {
        return f.separator == settings.dateSeparator && f.source == settings.shortDateFormat;
    };
    const DisplayFormat* f = current.load(std::memory_order_acquire);
    if (f != nullptr && matches(*f)) return *f;

    static std::mutex mutex;
    static std::vector<std::unique_ptr<DisplayFormat>> kept;
    std::lock_guard<std::mutex> lock(mutex);
    for (const auto& k : kept) {
        if (matches(*k)) {
            current.store(k.get(), std::memory_order_release);
            return *k;
        }
    }
    auto made = std::make_unique<DisplayFormat>();
    compile(*made, settings);
    current.store(made.get(), std::memory_order_release);
    kept.push_back(std::move(made));
    return *kept.back();
}

// Writers into a character buffer large enough for what they write; each returns the
// position after its text.
char* writeTwo(char* p, int value) {
    p[0] = static_cast<char>('0' + value / 10 % 10);
    p[1] = static_cast<char>('0' + value % 10);
    return p + 2;
}

// Month or day without a leading zero (one or two digits).
char* writePlain(char* p, int value) {
    if (value >= 0 && value < 10) {
        *p = static_cast<char>('0' + value);
        return p + 1;
    }
    return writeTwo(p, value);
}

// A year with at least four digits (years outside 1..9999 do not occur in real tables).
char* writeYear4(char* p, int year) {
    if (year >= 0 && year <= 9999) return writeTwo(writeTwo(p, year / 100), year % 100);
    return std::to_chars(p, p + kYearWidth, year).ptr;
}

platform::CivilDate decode(std::int32_t julian) {
    return platform::DateFromDayCount(static_cast<std::int64_t>(julian) - DbfDate::kJulianOffset);
}

}  // namespace

bool DbfDate::ReadStorageDigits(std::string_view text, platform::CivilDate& date) {
    if (text.size() != 8) return false;
    // All eight bytes at once: each must be 0x30..0x39 (high nibble 3, and still 3 after
    // adding 6); the low nibbles are then the digits, the first in the lowest byte.
    std::uint64_t word;
    std::memcpy(&word, text.data(), sizeof word);
    if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
    constexpr std::uint64_t kHigh = 0xF0F0F0F0F0F0F0F0ULL;
    constexpr std::uint64_t kThrees = 0x3030303030303030ULL;
    if ((word & kHigh) != kThrees || ((word + 0x0606060606060606ULL) & kHigh) != kThrees)
        return false;
    auto digit = [word](int i) { return static_cast<int>((word >> (8 * i)) & 0x0F); };
    date.year = digit(0) * 1000 + digit(1) * 100 + digit(2) * 10 + digit(3);
    date.month = digit(4) * 10 + digit(5);
    date.day = digit(6) * 10 + digit(7);
    return true;
}

std::int32_t DbfDate::JulianFromDate(const platform::CivilDate& date) {
    if (!platform::IsValidDate(date.year, date.month, date.day)) return 0;
    return static_cast<std::int32_t>(platform::DayCountFromDate(date) + kJulianOffset);
}

std::int32_t DbfDate::JulianFromText(std::string_view text) {
    std::size_t end = text.find_last_not_of(' ');
    if (end == std::string_view::npos) return 0;
    text = text.substr(0, end + 1);

    platform::CivilDate date;
    if (ReadStorageDigits(text, date)) {
        if (date.year == 0 && date.month == 0 && date.day == 0) return 0;  // "00000000"
        // No real date: the original reads it with its failure swallowed, as day count 0.
        if (!platform::IsValidDate(date.year, date.month, date.day)) return kJulianOffset;
        return static_cast<std::int32_t>(platform::DayCountFromDate(date) + kJulianOffset);
    }

    const platform::FormatSettings& settings = platform::ProcessFormatSettings();
    std::optional<platform::CivilDate> parsed =
        platform::ParseDate(text, settings.shortDateFormat, settings.dateSeparator);
    if (!parsed) throw DateConversionError("'" + std::string(text) + "' is not a valid date");
    return static_cast<std::int32_t>(platform::DayCountFromDate(*parsed) + kJulianOffset);
}

void DbfDate::JulianToStorage(std::int32_t julian, std::string& out) {
    if (julian <= 0) {
        out.assign(8, ' ');
        return;
    }
    const platform::CivilDate date = decode(julian);
    char buf[kYearWidth + 4];
    char* end = writeTwo(writeTwo(writeYear4(buf, date.year), date.month), date.day);
    out.assign(buf, static_cast<std::size_t>(end - buf));
}

std::string DbfDate::JulianToStorage(std::int32_t julian) {
    std::string out;
    JulianToStorage(julian, out);
    return out;
}

void DbfDate::DateToDisplay(const platform::CivilDate& date, std::string& out) {
    using Kind = DisplayFormat::Kind;
    const DisplayFormat& f = displayFormat();
    if (f.usePlatform) {
        out = platform::FormatDate(f.format, date, f.separator);
        return;
    }
    if (f.fixedWidth && date.year >= 0 && date.year <= 9999) {
        out.clear();
        out.append(f.pattern);
        char* const start = out.data();
        for (const DisplayFormat::Slot& slot : f.slots) {
            char* p = start + slot.pos;
            switch (slot.kind) {
                case Kind::Year4:
                    writeYear4(p, date.year);
                    break;
                case Kind::Year2:
                    writeTwo(p, date.year % 100);
                    break;
                case Kind::Month2:
                    writeTwo(p, date.month);
                    break;
                default:
                    writeTwo(p, date.day);
                    break;  // Day2
            }
        }
        return;
    }
    out.resize(f.maxWidth);
    char* const start = out.data();
    char* p = start;
    for (const DisplayFormat::Piece& piece : f.pieces) {
        switch (piece.kind) {
            case Kind::Literal:
                *p++ = piece.ch;
                break;
            case Kind::Year2:
                p = writeTwo(p, (date.year % 100 + 100) % 100);
                break;
            case Kind::Year4:
                p = writeYear4(p, date.year);
                break;
            case Kind::Month1:
                p = writePlain(p, date.month);
                break;
            case Kind::Month2:
                p = writeTwo(p, date.month);
                break;
            case Kind::Day1:
                p = writePlain(p, date.day);
                break;
            case Kind::Day2:
                p = writeTwo(p, date.day);
                break;
        }
    }
    out.resize(static_cast<std::size_t>(p - start));
}

void DbfDate::StorageToDisplay(std::string_view digits, std::string& out) {
    using Kind = DisplayFormat::Kind;
    const DisplayFormat& f = displayFormat();
    if (f.usePlatform) {
        platform::CivilDate date;
        ReadStorageDigits(digits, date);
        out = platform::FormatDate(f.format, date, f.separator);
        return;
    }
    // The stored characters are the display's digits: year 0..3, month 4..5, day 6..7.
    const char* d = digits.data();
    if (f.fixedWidth) {
        out.clear();
        out.append(f.pattern);
        char* const start = out.data();
        for (const DisplayFormat::Slot& slot : f.slots) {
            switch (slot.kind) {
                case Kind::Year4:
                    std::memcpy(start + slot.pos, d, 4);
                    break;
                case Kind::Year2:
                    std::memcpy(start + slot.pos, d + 2, 2);
                    break;
                case Kind::Month2:
                    std::memcpy(start + slot.pos, d + 4, 2);
                    break;
                default:
                    std::memcpy(start + slot.pos, d + 6, 2);
                    break;  // Day2
            }
        }
        return;
    }
    out.clear();
    for (const DisplayFormat::Piece& piece : f.pieces) {
        switch (piece.kind) {
            case Kind::Literal:
                out.push_back(piece.ch);
                break;
            case Kind::Year2:
                out.append(d + 2, 2);
                break;
            case Kind::Year4:
                out.append(d, 4);
                break;
            case Kind::Month1:
                out.append(d[4] == '0' ? d + 5 : d + 4, d[4] == '0' ? 1 : 2);
                break;
            case Kind::Month2:
                out.append(d + 4, 2);
                break;
            case Kind::Day1:
                out.append(d[6] == '0' ? d + 7 : d + 6, d[6] == '0' ? 1 : 2);
                break;
            case Kind::Day2:
                out.append(d + 6, 2);
                break;
        }
    }
}

void DbfDate::JulianToDisplay(std::int32_t julian, std::string& out) {
    if (julian <= 0) {
        out.assign(displayFormat().format.size(), ' ');
        return;
    }
    DateToDisplay(decode(julian), out);
}

std::string DbfDate::JulianToDisplay(std::int32_t julian) {
    std::string out;
    JulianToDisplay(julian, out);
    return out;
}

std::int32_t DbfDate::JulianToday() {
    platform::LocalTime now = platform::LocalNow();
    platform::CivilDate today{now.year, now.month, now.day};
    return static_cast<std::int32_t>(platform::DayCountFromDate(today) + kJulianOffset);
}

int DbfDate::JulianDayOfWeek(std::int32_t julian) {
    if (julian <= 0) return 0;
    return platform::DayOfWeek(static_cast<std::int64_t>(julian) - kJulianOffset);
}

platform::CivilDate DbfDate::JulianDecode(std::int32_t julian) { return decode(julian); }

}  // namespace xbase
