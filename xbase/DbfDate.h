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
    static std::int32_t JulianFromText(std::string_view text);
    // "yyyymmdd" for J > 0, eight spaces otherwise.
    static std::string JulianToStorage(std::int32_t julian);
    // Short date format (upper case, century forced), blanks of the format's width for 0.
    static std::string JulianToDisplay(std::int32_t julian);
    static std::int32_t JulianToday();
    static int JulianDayOfWeek(std::int32_t julian);
    static platform::CivilDate JulianDecode(std::int32_t julian);
    static std::int32_t JulianFromDate(const platform::CivilDate& date);
};

// The platform's date conversion error: a text that is not a date.
class DateConversionError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

}  // namespace xbase
