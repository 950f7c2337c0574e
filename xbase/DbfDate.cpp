// Julian day numbers: conversions between Julian days, the stored eight digits, the
// display form of the short date format and the platform's calendar.
#include "xbase/DbfDate.h"

#include <charconv>
#include <cstddef>
#include <vector>

#include "platform/Clock.h"
#include "platform/FormatSettings.h"

namespace xbase {

namespace {

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

    bool compiled = false;
    std::string source;  // settings' short date format this was compiled from
    char separator = 0;  // settings' date separator
    std::string format;  // upper case, century forced
    std::vector<Piece> pieces;
    bool usePlatform = false;
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
    f.usePlatform = false;
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
    f.compiled = true;
}

// One compiled format per thread, so no lock is needed; it is rebuilt when the settings'
// format or separator has changed since the last call.
const DisplayFormat& displayFormat() {
    thread_local DisplayFormat cached;
    const platform::FormatSettings& settings = platform::formatSettings();
    if (!cached.compiled || cached.separator != settings.dateSeparator ||
        cached.source != settings.shortDateFormat)
        compile(cached, settings);
    return cached;
}

void appendTwo(std::string& out, int value) {
    char buf[2] = {static_cast<char>('0' + value / 10 % 10), static_cast<char>('0' + value % 10)};
    out.append(buf, 2);
}

void appendPlain(std::string& out, int value) {
    if (value >= 0 && value < 10) {
        out.push_back(static_cast<char>('0' + value));
        return;
    }
    char buf[16];
    out.append(buf, std::to_chars(buf, buf + sizeof buf, value).ptr);
}

// A year with at least four digits (years outside 1..9999 do not occur in real tables).
void appendYear4(std::string& out, int year) {
    if (year >= 0 && year <= 9999) {
        appendTwo(out, year / 100);
        appendTwo(out, year % 100);
        return;
    }
    char buf[16];
    char* end = std::to_chars(buf, buf + sizeof buf, year).ptr;
    out.append(buf, end);
}

platform::CivilDate decode(std::int32_t julian) {
    return platform::dateFromDayCount(static_cast<std::int64_t>(julian) - DbfDate::kJulianOffset);
}

}  // namespace

bool DbfDate::ReadStorageDigits(std::string_view text, platform::CivilDate& date) {
    if (text.size() != 8) return false;
    int digit[8];
    for (int i = 0; i < 8; ++i) {
        unsigned d = static_cast<unsigned char>(text[i]) - unsigned{'0'};
        if (d > 9) return false;
        digit[i] = static_cast<int>(d);
    }
    date.year = digit[0] * 1000 + digit[1] * 100 + digit[2] * 10 + digit[3];
    date.month = digit[4] * 10 + digit[5];
    date.day = digit[6] * 10 + digit[7];
    return true;
}

std::int32_t DbfDate::JulianFromDate(const platform::CivilDate& date) {
    if (!platform::isValidDate(date.year, date.month, date.day)) return 0;
    return static_cast<std::int32_t>(platform::dayCountFromDate(date) + kJulianOffset);
}

std::int32_t DbfDate::JulianFromText(std::string_view text) {
    std::size_t end = text.find_last_not_of(' ');
    if (end == std::string_view::npos) return 0;
    text = text.substr(0, end + 1);

    platform::CivilDate date;
    if (ReadStorageDigits(text, date)) {
        if (date.year == 0 && date.month == 0 && date.day == 0) return 0;  // "00000000"
        // No real date: the original reads it with its failure swallowed, as day count 0.
        if (!platform::isValidDate(date.year, date.month, date.day)) return kJulianOffset;
        return static_cast<std::int32_t>(platform::dayCountFromDate(date) + kJulianOffset);
    }

    const platform::FormatSettings& settings = platform::formatSettings();
    std::optional<platform::CivilDate> parsed =
        platform::parseDate(text, settings.shortDateFormat, settings.dateSeparator);
    if (!parsed) throw DateConversionError("'" + std::string(text) + "' is not a valid date");
    return static_cast<std::int32_t>(platform::dayCountFromDate(*parsed) + kJulianOffset);
}

void DbfDate::JulianToStorage(std::int32_t julian, std::string& out) {
    out.clear();
    if (julian <= 0) {
        out.assign(8, ' ');
        return;
    }
    platform::CivilDate date = decode(julian);
    appendYear4(out, date.year);
    appendTwo(out, date.month);
    appendTwo(out, date.day);
}

std::string DbfDate::JulianToStorage(std::int32_t julian) {
    std::string out;
    JulianToStorage(julian, out);
    return out;
}

void DbfDate::DateToDisplay(const platform::CivilDate& date, std::string& out) {
    using Kind = DisplayFormat::Kind;
    const DisplayFormat& f = displayFormat();
    out.clear();
    if (f.usePlatform) {
        out = platform::formatDate(f.format, date, f.separator);
        return;
    }
    for (const DisplayFormat::Piece& piece : f.pieces) {
        switch (piece.kind) {
            case Kind::Literal: out.push_back(piece.ch); break;
            case Kind::Year2: appendTwo(out, (date.year % 100 + 100) % 100); break;
            case Kind::Year4: appendYear4(out, date.year); break;
            case Kind::Month1: appendPlain(out, date.month); break;
            case Kind::Month2: appendTwo(out, date.month); break;
            case Kind::Day1: appendPlain(out, date.day); break;
            case Kind::Day2: appendTwo(out, date.day); break;
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
    platform::LocalTime now = platform::localNow();
    platform::CivilDate today{now.year, now.month, now.day};
    return static_cast<std::int32_t>(platform::dayCountFromDate(today) + kJulianOffset);
}

int DbfDate::JulianDayOfWeek(std::int32_t julian) {
    if (julian <= 0) return 0;
    return platform::dayOfWeek(static_cast<std::int64_t>(julian) - kJulianOffset);
}

platform::CivilDate DbfDate::JulianDecode(std::int32_t julian) { return decode(julian); }

}  // namespace xbase
