#include "appserver/OracleDateText.h"

#include <cctype>
#include <cstdio>

#include "appserver/ServerError.h"
#include "appserver/TextCase.h"

namespace appserver {

namespace {

enum class Element { Year4, Year2, Month, Day, Hour24, Hour12, Minute, Second, None };

struct ElementSpec {
    std::string_view name;
    Element element;
    int digits;
};

constexpr ElementSpec kElements[] = {
    {"YYYY", Element::Year4, 4}, {"HH24", Element::Hour24, 2}, {"HH12", Element::Hour12, 2},
    {"YY", Element::Year2, 2},   {"MM", Element::Month, 2},    {"DD", Element::Day, 2},
    {"HH", Element::Hour12, 2},  {"MI", Element::Minute, 2},   {"SS", Element::Second, 2},
};

// Matches a format element at `pos`; returns its entry or nullptr for a literal.
const ElementSpec* elementAt(std::string_view format, size_t pos) {
    for (const ElementSpec& entry : kElements) {
        if (pos + entry.name.size() <= format.size() &&
            equalsIgnoreCase(format.substr(pos, entry.name.size()), entry.name))
            return &entry;
    }
    if (std::isalpha(static_cast<unsigned char>(format[pos])))
        throw ServerError("Unsupported date format element in '" + std::string(format) + "'");
    return nullptr;
}

int daysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

void checkValid(const DateTimeValue& v, std::string_view text) {
    bool ok = v.year >= 1 && v.year <= 9999 && v.month >= 1 && v.month <= 12 && v.day >= 1 &&
              v.day <= daysInMonth(v.year, v.month) && v.hour >= 0 && v.hour <= 23 &&
              v.minute >= 0 && v.minute <= 59 && v.second >= 0 && v.second <= 59;
    if (!ok) throw ServerError("Not a valid date: '" + std::string(text) + "'");
}

}  // namespace

DateTimeValue parseOracleDate(std::string_view text, std::string_view format) {
    DateTimeValue v;
    v.month = v.day = 1;
    size_t t = 0;
    while (t < text.size() && text[t] == ' ') ++t;
    auto mismatch = [&] {
        return ServerError("Date text '" + std::string(text) + "' does not match the format '" +
                           std::string(format) + "'");
    };
    for (size_t f = 0; f < format.size();) {
        const ElementSpec* entry = elementAt(format, f);
        if (!entry) {
            if (t >= text.size() || std::isalnum(static_cast<unsigned char>(text[t])))
                throw mismatch();
            ++t;
            ++f;
            continue;
        }
        f += entry->name.size();
        int value = 0, digits = 0;
        while (t < text.size() && digits < entry->digits &&
               std::isdigit(static_cast<unsigned char>(text[t]))) {
            value = value * 10 + (text[t++] - '0');
            ++digits;
        }
        if (digits == 0) throw mismatch();
        switch (entry->element) {
            case Element::Year4:
                v.year = value;
                break;
            case Element::Year2:
                v.year = 2000 + value;
                break;
            case Element::Month:
                v.month = value;
                break;
            case Element::Day:
                v.day = value;
                break;
            case Element::Hour24:
            case Element::Hour12:
                v.hour = value;
                break;
            case Element::Minute:
                v.minute = value;
                break;
            case Element::Second:
                v.second = value;
                break;
            case Element::None:
                break;
        }
    }
    while (t < text.size() && text[t] == ' ') ++t;
    if (t != text.size()) throw mismatch();
    checkValid(v, text);
    return v;
}

std::string formatOracleDate(const DateTimeValue& v, std::string_view format) {
    std::string out;
    char buf[8];
    for (size_t f = 0; f < format.size();) {
        const ElementSpec* entry = elementAt(format, f);
        if (!entry) {
            out += format[f++];
            continue;
        }
        f += entry->name.size();
        int value = 0;
        switch (entry->element) {
            case Element::Year4:
                value = v.year;
                break;
            case Element::Year2:
                value = v.year % 100;
                break;
            case Element::Month:
                value = v.month;
                break;
            case Element::Day:
                value = v.day;
                break;
            case Element::Hour24:
                value = v.hour;
                break;
            case Element::Hour12:
                value = v.hour % 12 == 0 ? 12 : v.hour % 12;
                break;
            case Element::Minute:
                value = v.minute;
                break;
            case Element::Second:
                value = v.second;
                break;
            case Element::None:
                break;
        }
        std::snprintf(buf, sizeof buf, "%0*d", entry->digits, value);
        out += buf;
    }
    return out;
}

std::string storedDateText(const DateTimeValue& v) {
    return formatOracleDate(v, "YYYY-MM-DD HH24:MI:SS");
}

std::optional<DateTimeValue> parseStoredDate(std::string_view text) {
    try {
        return text.size() <= 10 ? parseOracleDate(text, "YYYY-MM-DD")
                                 : parseOracleDate(text, "YYYY-MM-DD HH24:MI:SS");
    } catch (const ServerError&) {
        return std::nullopt;
    }
}

}  // namespace appserver
