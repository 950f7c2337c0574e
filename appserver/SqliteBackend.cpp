#include "appserver/SqliteBackend.h"

#include <sqlite3.h>

#include <filesystem>

#include "appserver/NumberText.h"
#include "appserver/ServerError.h"
#include "appserver/SqliteFunctions.h"

namespace appserver {

namespace {

// Owns a prepared statement for the length of one call.
struct Statement {
    sqlite3_stmt* handle = nullptr;
    ~Statement() { sqlite3_finalize(handle); }
};

bool onlyBlanks(const char* tail) {
    for (; tail && *tail; ++tail) {
        if (*tail != ' ' && *tail != '\t' && *tail != '\n' && *tail != '\r' && *tail != ';')
            return false;
    }
    return true;
}

SqlValue columnValue(sqlite3_stmt* stmt, int col) {
    switch (sqlite3_column_type(stmt, col)) {
        case SQLITE_NULL:
            return std::nullopt;
        case SQLITE_INTEGER:
            return std::to_string(sqlite3_column_int64(stmt, col));
        case SQLITE_FLOAT:
            return numberText(sqlite3_column_double(stmt, col));
        default: {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, col));
            return std::string(text ? text : "",
                               static_cast<size_t>(sqlite3_column_bytes(stmt, col)));
        }
    }
}

}  // namespace

SqliteBackend::SqliteBackend(const std::string& path, bool create) : path_(path) {
    std::filesystem::path file(path);
    std::error_code ec;
    if (create && file.has_parent_path())
        std::filesystem::create_directories(file.parent_path(), ec);
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    int rc = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        std::string message = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
        sqlite3_close(db_);
        db_ = nullptr;
        throw ServerError("Cannot open the SQLite database " + path + ": " + message);
    }
    sqlite3_busy_timeout(db_, 10000);
    try {
        registerOracleFunctions(db_);
        // The mode is stored in the file: a database made here keeps it on every open.
        if (create) runNative("PRAGMA journal_mode=WAL");
    } catch (...) {
        sqlite3_close(db_);
        db_ = nullptr;
        throw;
    }
}

SqliteBackend::~SqliteBackend() {
    if (db_) {
        if (inTransaction()) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db_);
    }
}

bool SqliteBackend::hasTable(const std::string& name) {
    ResultSet r = runNative(
        "SELECT 1 FROM sqlite_master WHERE type='table' AND lower(name)=lower(?)", {name});
    return !r.rows.empty();
}

ResultSet SqliteBackend::runNative(const std::string& sql, const SqlParams& params) {
    Statement stmt;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &stmt.handle, &tail) !=
        SQLITE_OK) {
        throw ServerError(sqlite3_errmsg(db_));
    }
    if (!stmt.handle) throw ServerError("empty statement");
    if (!onlyBlanks(tail)) throw ServerError("only one statement may be sent at a time");
    if (sqlite3_bind_parameter_count(stmt.handle) != static_cast<int>(params.size())) {
        throw ServerError(
            "the statement has " + std::to_string(sqlite3_bind_parameter_count(stmt.handle)) +
            " parameters but " + std::to_string(params.size()) + " values were given");
    }
    for (size_t i = 0; i < params.size(); ++i) {
        int index = static_cast<int>(i) + 1;
        if (params[i]) {
            sqlite3_bind_text(stmt.handle, index, params[i]->data(),
                              static_cast<int>(params[i]->size()), SQLITE_TRANSIENT);
        } else {
            sqlite3_bind_null(stmt.handle, index);
        }
    }
    ResultSet result;
    int columns = sqlite3_column_count(stmt.handle);
    for (int c = 0; c < columns; ++c)
        result.columns.emplace_back(sqlite3_column_name(stmt.handle, c));
    while (true) {
        int rc = sqlite3_step(stmt.handle);
        if (rc == SQLITE_DONE) break;
        if (rc != SQLITE_ROW) throw ServerError(sqlite3_errmsg(db_));
        std::vector<SqlValue> row;
        row.reserve(static_cast<size_t>(columns));
        for (int c = 0; c < columns; ++c) row.push_back(columnValue(stmt.handle, c));
        result.rows.push_back(std::move(row));
    }
    return result;
}

}  // namespace appserver
