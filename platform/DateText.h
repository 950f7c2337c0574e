// Calendar arithmetic and date text in the platform's short date format.
//
// Day counts are days since 30 December 1899 (the platform's date-time epoch), in the
// proleptic Gregorian calendar; earlier days are negative. Valid dates run from 1 January
// 1 to 31 December 9999.
//
// Formatting follows the short date format's letters in any case: d and dd (day), m and
// mm (month), y/yy (two-digit year) and yyy/yyyy (four digits); ddd/dddd and mmm/mmmm give
// English day and month names. '/' stands for the date separator, text in quotes ('...'
// or "...") is copied without the quotes, every other character is copied as it is.
// Compiled formats are cached per thread, so formatting costs no parsing of the format.
//
// Parsing reads two or three numbers in the order the format's letters first appear
// (Y, M, D), separated by the date separator or by the format's own first separator
// character (so "2007/03/15" and "2007-03-15" both read with "yyyy-mm-dd" and '/').
// Blanks around numbers and one separator after the last number are allowed. A year of
// one or two digits falls in the 100 years from 50 years before the clock's current year
// (LocalNow()); with only two numbers (month and day) the year is the current one.
// Anything else, and any invalid date, gives nullopt.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

struct CivilDate {
    int year = 0;
    int month = 0;
    int day = 0;
};

bool IsValidDate(int year, int month, int day);
// Days since 1899-12-30 of a valid date.
std::int64_t DayCountFromDate(const CivilDate& date);
CivilDate DateFromDayCount(std::int64_t dayCount);
// 1 = Sunday ... 7 = Saturday.
int DayOfWeek(std::int64_t dayCount);

// Formats a date with a short date format (letters in any case).
std::string FormatDate(std::string_view format, const CivilDate& date, char dateSeparator);
// Reads a date with a short date format and separator; nullopt when the text is no date.
std::optional<CivilDate> ParseDate(std::string_view text, std::string_view format,
                                   char dateSeparator);

}  // namespace platform
