// Process-wide locale format settings: short date format, date separator, decimal
// separator. The windows set the short date format as the system requires; tests and the
// command-line tool set what they need.
#pragma once

#include <string>

namespace platform {

struct FormatSettings {
    std::string shortDateFormat = "yyyy-mm-dd";
    char dateSeparator = '-';
    char decimalSeparator = '.';
};

// The one settings object of the process.
FormatSettings& ProcessFormatSettings();

}  // namespace platform
