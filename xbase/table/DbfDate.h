// Julian day numbers: the engine's one date converter.
//
// A Julian day J and the platform's day count D (days since 1899-12-30) are related by
// J = D + 2,415,019; 0 stands for no date.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/DateText.h"

namespace xbase {

class DbfDate {
public:
    static constexpr std::int32_t kJulianOffset = 2415019;

    // Eight digits YYYYMMDD, or text in the short date format; "", blanks and "00000000"
    // give 0. Throws DateConversionError when the text is not a date in the short format.
    // Eight digits that make no real date (month 13, 30 February) give day count 0, that
    // is Julian 2,415,019 (30 December 1899), without an error, as the original engine.
    static std::int32_t JulianFromText(std::string_view text);
    // "yyyymmdd" for J > 0, eight spaces otherwise.
    static std::string JulianToStorage(std::int32_t julian);
    // Short date format (upper case, century forced), blanks of the format's width for 0.
    static std::string JulianToDisplay(std::int32_t julian);
    static std::int32_t JulianToday();

    // Forms that write into a caller's string (content replaced, capacity reused), for the
    // field layer's hot paths. The display format is compiled once per change of the
    // settings, not per call.
    static void JulianToStorage(std::int32_t julian, std::string& out);
    static void JulianToDisplay(std::int32_t julian, std::string& out);
    // The display form of a calendar date (assumed valid).
    static void DateToDisplay(const platform::CivilDate& date, std::string& out);
    // The display form straight from stored digits "yyyymmdd" of a real date (checked by
    // the caller), without decoding them: the field layer's reading of D fields.
    static void StorageToDisplay(std::string_view digits, std::string& out);
    // Reads exactly eight digits YYYYMMDD into year, month and day, without checking that
    // they make a real date; false when the text is not eight digits.
    static bool ReadStorageDigits(std::string_view text, platform::CivilDate& date);

    static int JulianDayOfWeek(std::int32_t julian);
    static platform::CivilDate JulianDecode(std::int32_t julian);
    // Julian day of a calendar date; 0 when the date is not a real one.
    static std::int32_t JulianFromDate(const platform::CivilDate& date);
};

// The platform's date conversion error: a text that is not a date.
class DateConversionError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

}  // namespace xbase
