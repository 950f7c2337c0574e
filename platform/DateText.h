// Calendar arithmetic and date text in the platform's short date format.
//
// Day counts are days since 30 December 1899 (the platform's date-time epoch). Formatting
// follows the short date format's letters (d, dd, m, mm, yy, yyyy; any case), with '/'
// standing for the date separator. Parsing reads numbers in the order the format gives
// (Y, M, D), separated by the date separator; a two-digit year is taken in the window
// of 50 years around the current year.
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

bool isValidDate(int year, int month, int day);
// Days since 1899-12-30 of a valid date.
std::int64_t dayCountFromDate(const CivilDate& date);
CivilDate dateFromDayCount(std::int64_t dayCount);
// 1 = Sunday ... 7 = Saturday.
int dayOfWeek(std::int64_t dayCount);

// Formats a date with a short date format (letters in any case).
std::string formatDate(std::string_view format, const CivilDate& date, char dateSeparator);
// Reads a date with a short date format and separator; nullopt when the text is no date.
std::optional<CivilDate> parseDate(std::string_view text, std::string_view format,
                                   char dateSeparator);

}  // namespace platform
