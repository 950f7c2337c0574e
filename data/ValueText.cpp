#include "data/ValueText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "data/DataError.h"
#include "data/DataMessages.h"
#include "platform/DateText.h"
#include "platform/FormatSettings.h"

namespace data {

namespace {

constexpr int kPrecision = 15;

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    }
    return true;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads an unsigned run of digits at pos; returns the count read.
int ReadNumber(std::string_view text, std::size_t& pos, int& value, int maxDigits) {
    int count = 0;
    value = 0;
    while (pos < text.size() && IsDigit(text[pos]) && count < maxDigits) {
        value = value * 10 + (text[pos] - '0');
        ++pos;
        ++count;
    }
    return count;
}

std::string TwoDigits(int value) {
    char buf[4];
    std::snprintf(buf, sizeof buf, "%02d", value % 100);
    return buf;
}

// The significant digits of a finite, non-zero value rounded to kPrecision places,
// trailing zeros dropped, and the decimal exponent of the first digit.
struct Significand {
    char digits[kPrecision + 3];
    std::size_t count = 0;
    int exponent = 0;
    bool negative = false;
};

// Reads to_chars' scientific form "-d.ddde+xx"; false when it has more digits than fit.
bool ReadScientific(const char* begin, const char* end, Significand& sig) {
    sig = Significand{};
    const char* p = begin;
    if (*p == '-') {
        sig.negative = true;
        ++p;
    }
    for (; p != end && *p != 'e'; ++p) {
        if (*p == '.') continue;
        if (sig.count == static_cast<std::size_t>(kPrecision)) return false;
        sig.digits[sig.count++] = *p;
    }
    if (p != end) {
        ++p;
        if (p != end && *p == '+') ++p;
        std::from_chars(p, end, sig.exponent);
    }
    while (sig.count > 1 && sig.digits[sig.count - 1] == '0') --sig.count;
    return true;
}

Significand RoundedSignificand(double value) {
    char buf[64];
    Significand sig;
    // The shortest text that reads back as the value is much cheaper to find than a
    // rounding to a fixed number of digits. When it has at most kPrecision digits it is
    // that rounding: a normal value lies within half a unit in its last binary place of
    // it, far less than half a unit in the kPrecision-th decimal place.
    if (std::fabs(value) >= std::numeric_limits<double>::min()) {
        auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
        if (ReadScientific(buf, res.ptr, sig)) return sig;
    }
    auto res =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, kPrecision - 1);
    ReadScientific(buf, res.ptr, sig);
    return sig;
}

}  // namespace

std::string FormatFloat(double value) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    if (value == 0) return "0";
    const Significand sig = RoundedSignificand(value);
    const std::string_view digits(sig.digits, sig.count);
    const int exponent = sig.exponent;

    const char sep = platform::ProcessFormatSettings().decimalSeparator;
    char buf[64];
    std::size_t n = 0;
    auto put = [&](char c) { buf[n++] = c; };
    auto putAll = [&](std::string_view text) {
        for (char c : text) buf[n++] = c;
    };
    if (sig.negative) put('-');
    if (exponent >= kPrecision || exponent < -5) {
        put(digits[0]);
        if (digits.size() > 1) {
            put(sep);
            putAll(digits.substr(1));
        }
        put('E');
        n = static_cast<std::size_t>(std::to_chars(buf + n, buf + sizeof buf, exponent).ptr - buf);
    } else if (exponent < 0) {
        put('0');
        put(sep);
        for (int k = -exponent - 1; k > 0; --k) put('0');
        putAll(digits);
    } else {
        const std::size_t intDigits = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= intDigits) {
            putAll(digits);
            for (std::size_t k = digits.size(); k < intDigits; ++k) put('0');
        } else {
            putAll(digits.substr(0, intDigits));
            put(sep);
            putAll(digits.substr(intDigits));
        }
    }
    return std::string(buf, n);
}

std::optional<double> TryParseFloat(std::string_view text) {
    text = TrimBlanks(text);
    if (text.empty()) return std::nullopt;
    // Rebuild the number in the neutral form from_chars reads, checking each character.
    const char sep = platform::ProcessFormatSettings().decimalSeparator;
    std::string neutral;
    std::size_t i = 0;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
    bool anyDigit = false;
    while (i < text.size() && IsDigit(text[i])) {
        neutral += text[i++];
        anyDigit = true;
    }
    if (i < text.size() && text[i] == sep) {
        neutral += '.';
        ++i;
        while (i < text.size() && IsDigit(text[i])) {
            neutral += text[i++];
            anyDigit = true;
        }
    }
    if (!anyDigit) {
        if (EqualsNoCase(text.substr(i), "INF")) return negative ? -HUGE_VAL : HUGE_VAL;
        if (!negative && EqualsNoCase(text.substr(i), "NAN")) return std::nan("");
        return std::nullopt;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        neutral += 'e';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) neutral += text[i++];
        bool expDigit = false;
        while (i < text.size() && IsDigit(text[i])) {
            neutral += text[i++];
            expDigit = true;
        }
        if (!expDigit) return std::nullopt;
    }
    if (i != text.size()) return std::nullopt;
    double value = 0;
    auto res = std::from_chars(neutral.data(), neutral.data() + neutral.size(), value);
    if (res.ec == std::errc::result_out_of_range) {
        // Beyond the range with a negative exponent is an underflow and reads as zero; an
        // overflow is no valid value.
        if (neutral.find("e-") != std::string::npos) return negative ? -0.0 : 0.0;
        return std::nullopt;
    }
    if (res.ec != std::errc() || res.ptr != neutral.data() + neutral.size()) return std::nullopt;
    return negative ? -value : value;
}

double ParseFloat(std::string_view text) {
    auto value = TryParseFloat(text);
    if (!value) DatabaseErrorFmt(msg::InvalidFloat, {text});
    return *value;
}

std::string FormatInteger(std::int64_t value) { return std::to_string(value); }

std::optional<std::int64_t> TryParseInteger(std::string_view text) {
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    std::int64_t value = 0;
    auto res = std::from_chars(text.data(), text.data() + text.size(), value);
    if (res.ec != std::errc() || res.ptr != text.data() + text.size()) return std::nullopt;
    return value;
}

std::int32_t ParseInteger(std::string_view text) {
    auto value = TryParseInteger(text);
    if (!value || *value < INT32_MIN || *value > INT32_MAX) {
        DatabaseErrorFmt(msg::InvalidInteger, {text});
    }
    return static_cast<std::int32_t>(*value);
}

std::string FormatBoolean(bool value) { return value ? "True" : "False"; }

std::optional<bool> TryParseBoolean(std::string_view text) {
    text = TrimBlanks(text);
    for (const char* t : {"true", "t", "yes", "y"}) {
        if (EqualsNoCase(text, t)) return true;
    }
    for (const char* f : {"false", "f", "no", "n"}) {
        if (EqualsNoCase(text, f)) return false;
    }
    return std::nullopt;
}

bool ParseBoolean(std::string_view text) {
    auto value = TryParseBoolean(text);
    if (!value) DatabaseErrorFmt(msg::InvalidBoolean, {text});
    return *value;
}

bool DayCountInRange(double dayCount) {
    if (!std::isfinite(dayCount)) return false;
    double day = std::trunc(dayCount);
    return day >= kMinDayCount && day <= kMaxDayCount;
}

std::string FormatDate(double dayCount) {
    if (!DayCountInRange(dayCount)) DatabaseError(msg::DateOutOfRange);
    const auto& settings = platform::ProcessFormatSettings();
    auto date = platform::DateFromDayCount(static_cast<std::int64_t>(std::trunc(dayCount)));
    return platform::FormatDate(settings.shortDateFormat, date, settings.dateSeparator);
}

std::string FormatDateTime(double dayCount) {
    std::string text = FormatDate(dayCount);
    // The whole part is the day, the fraction's size the time (also before the epoch).
    double fraction = std::fabs(dayCount - std::trunc(dayCount));
    long seconds = std::lround(fraction * 86400.0);
    if (seconds >= 86400) seconds = 86399;  // a fraction that rounds up stays in its day
    if (seconds > 0) {
        text += ' ';
        text += TwoDigits(static_cast<int>(seconds / 3600));
        text += ':' + TwoDigits(static_cast<int>(seconds / 60 % 60));
        text += ':' + TwoDigits(static_cast<int>(seconds % 60));
    }
    return text;
}

namespace {

std::optional<double> TryParseDate(std::string_view text) {
    const auto& settings = platform::ProcessFormatSettings();
    auto date =
        platform::ParseDate(TrimBlanks(text), settings.shortDateFormat, settings.dateSeparator);
    if (!date || !platform::IsValidDate(date->year, date->month, date->day)) return std::nullopt;
    return static_cast<double>(platform::DayCountFromDate(*date));
}

// "h:mm" or "h:mm:ss", hours 0-23.
std::optional<double> TryParseTime(std::string_view text) {
    std::size_t pos = 0;
    int h = 0, m = 0, s = 0;
    if (ReadNumber(text, pos, h, 2) == 0 || pos >= text.size() || text[pos++] != ':') {
        return std::nullopt;
    }
    if (ReadNumber(text, pos, m, 2) == 0) return std::nullopt;
    if (pos < text.size()) {
        if (text[pos++] != ':' || ReadNumber(text, pos, s, 2) == 0) return std::nullopt;
    }
    if (pos != text.size() || h > 23 || m > 59 || s > 59) return std::nullopt;
    return (h * 3600 + m * 60 + s) / 86400.0;
}

}  // namespace

double ParseDate(std::string_view text) {
    auto value = TryParseDate(text);
    if (!value) DatabaseErrorFmt(msg::InvalidDate, {text});
    return *value;
}

double ParseDateTime(std::string_view text) {
    std::string_view trimmed = TrimBlanks(text);
    auto space = trimmed.find(' ');
    std::optional<double> date = TryParseDate(trimmed.substr(0, space));
    std::optional<double> time = 0.0;
    if (space != std::string_view::npos) time = TryParseTime(TrimBlanks(trimmed.substr(space)));
    if (!date || !time) DatabaseErrorFmt(msg::InvalidDateTime, {text});
    // Before the epoch the fraction counts backwards from the day, as in the classic
    // date-time value: -1.25 is 29 December 1899, 06:00.
    return *date < 0 ? *date - *time : *date + *time;
}

}  // namespace data
