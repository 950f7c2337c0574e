// One session on the sales database: runs Oracle-dialect statements (adapted to the
// backend's SQL first), returns result rows as text, and opens, commits and rolls back
// the session's transaction. SQLite and PostgreSQL implement it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "appserver/OracleDialect.h"

namespace appserver {

// A value crossing the link: text, or nullopt for NULL. Numbers come as their shortest
// decimal text ("185", "12.5"), dates as 'YYYY-MM-DD HH:MM:SS'.
using SqlValue = std::optional<std::string>;
using SqlParams = std::vector<SqlValue>;

struct ResultSet {
    std::vector<std::string> columns;
    std::vector<std::vector<SqlValue>> rows;

    // Index of a column by name without regard to case, or -1.
    int columnIndex(std::string_view name) const;
};

class Backend {
public:
    virtual ~Backend() = default;
    Backend(const Backend&) = delete;
    Backend& operator=(const Backend&) = delete;

    virtual SqlTarget dialect() const = 0;
    // Where this session is connected, for messages ("SQLite database /x/sales.db").
    virtual std::string describe() const = 0;
    virtual bool hasTable(const std::string& name) = 0;

    // Runs one statement in the backend's own SQL; parameters are bound in order.
    // Throws ServerError with the database's message.
    virtual ResultSet runNative(const std::string& sql, const SqlParams& params = {}) = 0;

    // Adapts one Oracle-dialect statement and runs it. A rejected statement raises a
    // ServerError whose text names the statement.
    ResultSet run(std::string_view oracleSql, const SqlParams& params = {});

    // BEGIN / COMMIT / ROLLBACK of this session. Starting a second transaction is an
    // error; commit and rollback without one do nothing.
    void begin();
    void commit();
    void rollback();
    bool inTransaction() const { return inTransaction_; }

protected:
    Backend() = default;
    virtual std::string beginStatement() const { return "BEGIN"; }
    // Runs a statement inside an open transaction; a backend whose failed statement
    // spoils the whole transaction protects it here, so that only the statement fails.
    virtual ResultSet runInTransaction(const std::string& sql, const SqlParams& params) {
        return runNative(sql, params);
    }

private:
    bool inTransaction_ = false;
};

}  // namespace appserver
