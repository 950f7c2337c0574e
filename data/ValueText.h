// The text forms of typed values, shared by all fields and by datasets that keep text:
//
// - floats: general format, at most 15 significant digits, no trailing zeros, the
//   settings' decimal separator. Fixed notation while the integer part has at most 15
//   digits and the magnitude is at least 0.00001; otherwise scientific notation with a
//   mantissa in the same form, "E", a minus sign only for negative exponents and no
//   leading zeros ("1E20", "1.5E-7"). Not-a-number and infinities read "NAN", "INF",
//   "-INF". Reading accepts surrounding blanks, a sign, the decimal separator and an
//   exponent.
// - integers: decimal, optional sign, surrounding blanks allowed.
// - Booleans: "True"/"False"; reading also T/F, Y/N, yes/no in any case.
// - dates: the settings' short date format and date separator (platform/DateText.h);
//   date-times add " hh:nn:ss" unless the time is midnight. Values are day counts since
//   1899-12-30, years 1 to 9999.
// Texts that do not convert raise DataError with the classic messages.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace data {

std::string FormatFloat(double value);
double ParseFloat(std::string_view text);  // "'%s' is not a valid floating point value"
std::optional<double> TryParseFloat(std::string_view text);

std::string FormatInteger(std::int64_t value);
std::int32_t ParseInteger(std::string_view text);  // "'%s' is not a valid integer value"
std::optional<std::int64_t> TryParseInteger(std::string_view text);

std::string FormatBoolean(bool value);
bool ParseBoolean(std::string_view text);  // "'%s' is not a valid boolean value"
std::optional<bool> TryParseBoolean(std::string_view text);

std::string FormatDate(double dayCount);      // "Date value out of range" beyond years 1-9999
std::string FormatDateTime(double dayCount);  // likewise
double ParseDate(std::string_view text);      // "'%s' is not a valid date"
double ParseDateTime(std::string_view text);  // "'%s' is not a valid date and time"

// Whole-day range of years 1 to 9999 (0001-01-01 and 9999-12-31).
inline constexpr double kMinDayCount = -693593.0;
inline constexpr double kMaxDayCount = 2958465.0;
bool DayCountInRange(double dayCount);

}  // namespace data
