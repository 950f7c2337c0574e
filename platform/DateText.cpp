// Proleptic Gregorian calendar arithmetic and date text in a short date format.
//
// A format is compiled once into a list of tokens and kept in a small per-thread cache
// keyed by the format text, because every date field of a table scan is formatted.
#include "platform/DateText.h"

#include <array>
#include <vector>

#include "platform/Clock.h"

namespace platform {

namespace {

// Day count of 1970-01-01, the origin of the civil-day algorithms below.
constexpr std::int64_t kUnixEpochDayCount = 25569;

constexpr std::array<const char*, 7> kShortDayNames{"Sun", "Mon", "Tue", "Wed",
                                                    "Thu", "Fri", "Sat"};
constexpr std::array<const char*, 7> kLongDayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                   "Thursday", "Friday", "Saturday"};
constexpr std::array<const char*, 12> kShortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<const char*, 12> kLongMonthNames{
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};

// Days since 1970-01-01 of a civil date (H. Hinnant's days_from_civil).
std::int64_t daysFromCivil(std::int64_t y, std::int64_t m, std::int64_t d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

CivilDate CivilFromDays(std::int64_t z) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const std::int64_t m = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t y = yoe + era * 400 + (m <= 2);
    return CivilDate{static_cast<int>(y), static_cast<int>(m), static_cast<int>(d)};
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static constexpr std::array<int, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

enum class TokenKind : unsigned char {
    Literal,         // text[offset, offset + length) of the compiled format
    DateSeparator,   // '/'
    Day,             // d
    Day2,            // dd
    DayShortName,    // ddd
    DayLongName,     // dddd and longer
    Month,           // m
    Month2,          // mm
    MonthShortName,  // mmm
    MonthLongName,   // mmmm and longer
    Year2,           // y, yy
    Year4,           // yyy and longer
};

struct Token {
    TokenKind kind;
    std::uint16_t offset = 0;
    std::uint16_t length = 0;
};

// Field order of the three numbers of a date text.
enum class Part : unsigned char { Year, Month, Day };

struct CompiledFormat {
    std::string text;      // the format as given (the cache key)
    std::string literals;  // literal characters, addressed by the tokens
    std::vector<Token> tokens;
    std::array<Part, 3> order{Part::Month, Part::Day, Part::Year};
    char literalSeparator = 0;  // first literal character that can separate numbers
};

CompiledFormat Compile(std::string_view format) {
    CompiledFormat compiled;
    compiled.text = std::string(format);
    std::array<std::size_t, 3> firstSeen{std::string_view::npos, std::string_view::npos,
                                         std::string_view::npos};
    auto addLiteral = [&](char c) {
        if (!compiled.tokens.empty() && compiled.tokens.back().kind == TokenKind::Literal &&
            compiled.tokens.back().offset + compiled.tokens.back().length ==
                compiled.literals.size()) {
            ++compiled.tokens.back().length;
        } else {
            compiled.tokens.push_back(
                {TokenKind::Literal, static_cast<std::uint16_t>(compiled.literals.size()), 1});
        }
        compiled.literals += c;
        const bool letterOrDigit = (Upper(c) >= 'A' && Upper(c) <= 'Z') || IsDigit(c);
        if (!compiled.literalSeparator && !letterOrDigit && c != ' ') compiled.literalSeparator = c;
    };

    std::size_t i = 0;
    while (i < format.size()) {
        const char c = format[i];
        const char letter = Upper(c);
        if (c == '"' || c == '\'') {
            // Quoted text is literal, without its quotes.
            std::size_t end = format.find(c, i + 1);
            if (end == std::string_view::npos) end = format.size();
            for (std::size_t k = i + 1; k < end; ++k) addLiteral(format[k]);
            i = end + 1;
            continue;
        }
        if (c == '/') {
            compiled.tokens.push_back({TokenKind::DateSeparator});
            ++i;
            continue;
        }
        if (letter != 'D' && letter != 'M' && letter != 'Y') {
            addLiteral(c);
            ++i;
            continue;
        }
        std::size_t count = 1;
        while (i + count < format.size() && Upper(format[i + count]) == letter) ++count;
        const Part part = letter == 'Y' ? Part::Year : letter == 'M' ? Part::Month : Part::Day;
        auto& seen = firstSeen[static_cast<std::size_t>(part)];
        if (seen == std::string_view::npos) seen = i;
        TokenKind kind;
        if (letter == 'D')
            kind = count == 1   ? TokenKind::Day
                   : count == 2 ? TokenKind::Day2
                   : count == 3 ? TokenKind::DayShortName
                                : TokenKind::DayLongName;
        else if (letter == 'M')
            kind = count == 1   ? TokenKind::Month
                   : count == 2 ? TokenKind::Month2
                   : count == 3 ? TokenKind::MonthShortName
                                : TokenKind::MonthLongName;
        else
            kind = count <= 2 ? TokenKind::Year2 : TokenKind::Year4;
        compiled.tokens.push_back({kind});
        i += count;
    }

    // The number order follows the letters' first appearance; letters the format lacks
    // keep the platform's default month-day-year order after those it has.
    std::array<Part, 3> order{};
    std::size_t filled = 0;
    std::array<bool, 3> used{};
    for (int round = 0; round < 3; ++round) {
        std::size_t bestPos = std::string_view::npos;
        int best = -1;
        for (int p = 0; p < 3; ++p)
            if (!used[p] && firstSeen[p] < bestPos) bestPos = firstSeen[p], best = p;
        if (best < 0) break;
        used[best] = true;
        order[filled++] = static_cast<Part>(best);
    }
    for (Part p : {Part::Month, Part::Day, Part::Year})
        if (!used[static_cast<std::size_t>(p)]) order[filled++] = p;
    compiled.order = order;
    return compiled;
}

// The compiled form of `format`, from a small per-thread cache.
const CompiledFormat& compiledFormat(std::string_view format) {
    constexpr std::size_t kSlots = 4;
    thread_local std::array<CompiledFormat, kSlots> cache;
    thread_local std::array<bool, kSlots> filled{};
    thread_local std::size_t next = 0;
    thread_local std::size_t last = 0;
    if (filled[last] && cache[last].text == format) return cache[last];
    for (std::size_t i = 0; i < kSlots; ++i) {
        if (filled[i] && cache[i].text == format) {
            last = i;
            return cache[i];
        }
    }
    const std::size_t slot = next;
    next = (next + 1) % kSlots;
    cache[slot] = Compile(format);
    filled[slot] = true;
    last = slot;
    return cache[slot];
}

// Writes `value` with at least `width` digits (value >= 0).
void AppendNumber(std::string& out, int value, int width) {
    char digits[12];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0);
    for (int k = n; k < width; ++k) out += '0';
    while (n > 0) out += digits[--n];
}

}  // namespace

bool IsValidDate(int year, int month, int day) {
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
           day <= DaysInMonth(year, month);
}

std::int64_t DayCountFromDate(const CivilDate& date) {
    return daysFromCivil(date.year, date.month, date.day) + kUnixEpochDayCount;
}

CivilDate DateFromDayCount(std::int64_t dayCount) {
    return CivilFromDays(dayCount - kUnixEpochDayCount);
}

int DayOfWeek(std::int64_t dayCount) {
    // Day 0 (1899-12-30) was a Saturday.
    const std::int64_t r = (dayCount - 1) % 7;
    return static_cast<int>(r < 0 ? r + 7 : r) + 1;
}

std::string FormatDate(std::string_view format, const CivilDate& date, char dateSeparator) {
    const CompiledFormat& compiled = compiledFormat(format);
    std::string out;  // most results fit the string's inline buffer: no allocation
    const int year = date.year < 0 ? -date.year : date.year;
    for (const Token& token : compiled.tokens) {
        switch (token.kind) {
            case TokenKind::Literal:
                out.append(compiled.literals, token.offset, token.length);
                break;
            case TokenKind::DateSeparator:
                if (dateSeparator) out += dateSeparator;
                break;
            case TokenKind::Day:
                AppendNumber(out, date.day, 1);
                break;
            case TokenKind::Day2:
                AppendNumber(out, date.day, 2);
                break;
            case TokenKind::DayShortName:
            case TokenKind::DayLongName: {
                if (!IsValidDate(date.year, date.month, date.day)) break;
                const auto dow = static_cast<std::size_t>(DayOfWeek(DayCountFromDate(date)) - 1);
                out += token.kind == TokenKind::DayShortName ? kShortDayNames[dow]
                                                             : kLongDayNames[dow];
                break;
            }
            case TokenKind::Month:
                AppendNumber(out, date.month, 1);
                break;
            case TokenKind::Month2:
                AppendNumber(out, date.month, 2);
                break;
            case TokenKind::MonthShortName:
            case TokenKind::MonthLongName:
                if (date.month < 1 || date.month > 12) break;
                out += token.kind == TokenKind::MonthShortName
                           ? kShortMonthNames[static_cast<std::size_t>(date.month - 1)]
                           : kLongMonthNames[static_cast<std::size_t>(date.month - 1)];
                break;
            case TokenKind::Year2:
                AppendNumber(out, year % 100, 2);
                break;
            case TokenKind::Year4:
                AppendNumber(out, year, 4);
                break;
        }
    }
    return out;
}

std::optional<CivilDate> ParseDate(std::string_view text, std::string_view format,
                                   char dateSeparator) {
    const CompiledFormat& compiled = compiledFormat(format);
    std::size_t pos = 0;
    auto skipBlanks = [&] {
        while (pos < text.size() && text[pos] == ' ') ++pos;
    };
    auto scanSeparator = [&] {
        const std::size_t start = pos;
        skipBlanks();
        if (pos < text.size() && text[pos] != 0 &&
            (text[pos] == dateSeparator || text[pos] == compiled.literalSeparator)) {
            ++pos;
            return true;
        }
        return dateSeparator == ' ' && pos > start;  // blanks are the separator
    };
    auto scanNumber = [&](int& value, int& digits) {
        skipBlanks();
        value = 0;
        digits = 0;
        while (pos < text.size() && IsDigit(text[pos])) {
            if (++digits > 4) return false;
            value = value * 10 + (text[pos] - '0');
            ++pos;
        }
        return digits > 0;
    };

    std::array<int, 3> numbers{};
    std::array<int, 3> digits{};
    if (!scanNumber(numbers[0], digits[0]) || !scanSeparator() ||
        !scanNumber(numbers[1], digits[1]))
        return std::nullopt;

    CivilDate date;
    if (scanSeparator()) {
        if (!scanNumber(numbers[2], digits[2])) return std::nullopt;
        int yearDigits = 4;
        for (std::size_t k = 0; k < 3; ++k) {
            switch (compiled.order[k]) {
                case Part::Year:
                    date.year = numbers[k];
                    yearDigits = digits[k];
                    break;
                case Part::Month:
                    date.month = numbers[k];
                    break;
                case Part::Day:
                    date.day = numbers[k];
                    break;
            }
        }
        if (yearDigits <= 2) {
            // Two-digit years fall into the 100 years from 50 years before now.
            const int centuryBase = LocalNow().year - 50;
            date.year += centuryBase / 100 * 100;
            if (date.year < centuryBase) date.year += 100;
        }
        scanSeparator();
    } else {
        // Day and month only: the current year.
        date.year = LocalNow().year;
        std::size_t k = 0;
        for (Part part : compiled.order) {
            if (part == Part::Year) continue;
            (part == Part::Month ? date.month : date.day) = numbers[k++];
        }
    }
    skipBlanks();
    if (pos != text.size() || !IsValidDate(date.year, date.month, date.day)) return std::nullopt;
    return date;
}

}  // namespace platform
