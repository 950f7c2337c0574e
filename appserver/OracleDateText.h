// Oracle date formats ('yyyy-mm-dd', 'YYYY-MM-DD HH24:MI:SS', ...) for the SQLite
// functions TO_DATE, TO_CHAR and TRUNC. Dates are stored in SQLite as the text
// 'YYYY-MM-DD HH:MM:SS', which sorts and compares in date order.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace appserver {

struct DateTimeValue {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// Reads text by an Oracle format model (YYYY, YY, MM, DD, HH24, HH, MI, SS and
// punctuation). Throws ServerError when the text does not fit the format or names an
// impossible date.
DateTimeValue parseOracleDate(std::string_view text, std::string_view format);

// Writes a date by an Oracle format model; throws ServerError on an unknown element.
std::string formatOracleDate(const DateTimeValue& value, std::string_view format);

// The stored form 'YYYY-MM-DD HH:MM:SS' and its reader (which also takes 'YYYY-MM-DD').
std::string storedDateText(const DateTimeValue& value);
std::optional<DateTimeValue> parseStoredDate(std::string_view text);

}  // namespace appserver
