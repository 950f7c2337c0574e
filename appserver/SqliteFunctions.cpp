#include "appserver/SqliteFunctions.h"

#include <sqlite3.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "appserver/NumberText.h"
#include "appserver/OracleDateText.h"
#include "appserver/ServerError.h"
#include "platform/Clock.h"

namespace appserver {

namespace {

std::optional<std::string> valueText(sqlite3_value* v) {
    switch (sqlite3_value_type(v)) {
        case SQLITE_NULL:
            return std::nullopt;
        case SQLITE_INTEGER:
            return std::to_string(sqlite3_value_int64(v));
        case SQLITE_FLOAT:
            return numberText(sqlite3_value_double(v));
        default: {
            const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(v));
            return std::string(text ? text : "", static_cast<size_t>(sqlite3_value_bytes(v)));
        }
    }
}

bool isBlank(const std::string& s) { return s.find_first_not_of(' ') == std::string::npos; }

void resultText(sqlite3_context* ctx, const std::string& text) {
    sqlite3_result_text(ctx, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

// Runs a function body, turning a ServerError into the SQL error of the statement.
template <typename Body>
void guarded(sqlite3_context* ctx, Body body) {
    try {
        body();
    } catch (const ServerError& e) {
        sqlite3_result_error(ctx, e.what(), -1);
    }
}

void fnSysdate(sqlite3_context* ctx, int, sqlite3_value**) {
    const platform::LocalTime now = platform::LocalNow();
    DateTimeValue v{now.year, now.month, now.day, now.hour, now.minute, now.second};
    resultText(ctx, storedDateText(v));
}

void fnNvl(sqlite3_context* ctx, int, sqlite3_value** argv) {
    std::optional<std::string> first = valueText(argv[0]);
    sqlite3_result_value(ctx, !first || first->empty() ? argv[1] : argv[0]);
}

void fnTrunc(sqlite3_context* ctx, int, sqlite3_value** argv) {
    guarded(ctx, [&] {
        sqlite3_value* v = argv[0];
        switch (sqlite3_value_type(v)) {
            case SQLITE_NULL:
                sqlite3_result_null(ctx);
                return;
            case SQLITE_INTEGER:
                sqlite3_result_int64(ctx, sqlite3_value_int64(v));
                return;
            case SQLITE_FLOAT:
                sqlite3_result_double(ctx, std::trunc(sqlite3_value_double(v)));
                return;
            default:
                break;
        }
        std::string text = *valueText(v);
        if (std::optional<DateTimeValue> date = parseStoredDate(text)) {
            date->hour = date->minute = date->second = 0;
            resultText(ctx, storedDateText(*date));
            return;
        }
        throw ServerError("TRUNC: not a date or number: '" + text + "'");
    });
}

void fnToDate(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    guarded(ctx, [&] {
        std::optional<std::string> text = valueText(argv[0]);
        // Oracle reads an empty text as NULL, so an empty date is no date.
        if (!text || isBlank(*text)) {
            sqlite3_result_null(ctx);
            return;
        }
        std::optional<std::string> format = argc > 1 ? valueText(argv[1]) : std::nullopt;
        DateTimeValue v;
        if (format) {
            v = parseOracleDate(*text, *format);
        } else if (std::optional<DateTimeValue> stored = parseStoredDate(*text)) {
            v = *stored;
        } else {
            throw ServerError("Not a valid date: '" + *text + "'");
        }
        resultText(ctx, storedDateText(v));
    });
}

void fnToChar(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    guarded(ctx, [&] {
        std::optional<std::string> text = valueText(argv[0]);
        if (!text) {
            sqlite3_result_null(ctx);
            return;
        }
        std::optional<std::string> format = argc > 1 ? valueText(argv[1]) : std::nullopt;
        int type = sqlite3_value_type(argv[0]);
        if (!format || type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
            if (format) throw ServerError("TO_CHAR: number formats are not supported");
            resultText(ctx, *text);
            return;
        }
        std::optional<DateTimeValue> date = parseStoredDate(*text);
        if (!date) throw ServerError("TO_CHAR: not a date: '" + *text + "'");
        resultText(ctx, formatOracleDate(*date, *format));
    });
}

void fnToNumber(sqlite3_context* ctx, int, sqlite3_value** argv) {
    guarded(ctx, [&] {
        int type = sqlite3_value_type(argv[0]);
        if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
            sqlite3_result_value(ctx, argv[0]);
            return;
        }
        std::optional<std::string> text = valueText(argv[0]);
        if (!text || isBlank(*text)) {
            sqlite3_result_null(ctx);
            return;
        }
        size_t begin = text->find_first_not_of(' ');
        size_t end = text->find_last_not_of(' ');
        std::string trimmed = text->substr(begin, end - begin + 1);
        char* stop = nullptr;
        double value = std::strtod(trimmed.c_str(), &stop);
        bool plainDecimal = trimmed.find_first_not_of("0123456789.+-") == std::string::npos;
        if (!plainDecimal || stop != trimmed.c_str() + trimmed.size())
            throw ServerError("Invalid number: '" + *text + "'");
        if (value == std::trunc(value) && std::fabs(value) < 9e15) {
            sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(value));
        } else {
            sqlite3_result_double(ctx, value);
        }
    });
}

void fnConcat(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    std::string out;
    for (int i = 0; i < argc; ++i) {
        if (std::optional<std::string> text = valueText(argv[i])) out += *text;
    }
    if (out.empty()) {
        sqlite3_result_null(ctx);
    } else {
        resultText(ctx, out);
    }
}

void define(sqlite3* db, const char* name, int args, bool deterministic,
            void (*fn)(sqlite3_context*, int, sqlite3_value**)) {
    int flags = SQLITE_UTF8 | (deterministic ? SQLITE_DETERMINISTIC : 0);
    if (sqlite3_create_function(db, name, args, flags, nullptr, fn, nullptr, nullptr) !=
        SQLITE_OK) {
        throw ServerError(std::string("Cannot install the SQL function ") + name + ": " +
                          sqlite3_errmsg(db));
    }
}

}  // namespace

void registerOracleFunctions(sqlite3* db) {
    define(db, "SYSDATE", 0, false, fnSysdate);
    define(db, "NVL", 2, true, fnNvl);
    define(db, "TRUNC", 1, true, fnTrunc);
    define(db, "TO_DATE", 1, true, fnToDate);
    define(db, "TO_DATE", 2, true, fnToDate);
    define(db, "TO_CHAR", 1, true, fnToChar);
    define(db, "TO_CHAR", 2, true, fnToChar);
    define(db, "TO_NUMBER", 1, true, fnToNumber);
    define(db, "ORA_CONCAT", -1, true, fnConcat);
}

}  // namespace appserver
