#include "appserver/PgBackend.h"

#include <libpq-fe.h>

#include <cctype>

#include "appserver/NumberText.h"
#include "appserver/ServerError.h"
#include "appserver/TextCase.h"

namespace appserver {

namespace {

constexpr Oid kNumericOid = 1700;

struct Result {
    PGresult* handle;
    ~Result() { PQclear(handle); }
};

void ignoreNotice(void*, const char*) {}

std::string trimmedMessage(const char* text) {
    std::string message = text ? text : "";
    while (!message.empty() && std::isspace(static_cast<unsigned char>(message.back())))
        message.pop_back();
    return message;
}

}  // namespace

PgBackend::PgBackend(const std::string& conninfo, const std::string& schema)
    : conninfo_(conninfo), schema_(toLowerAscii(schema.empty() ? "public" : schema)) {
    for (char c : schema_) {
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_')) {
            throw ServerError("Invalid schema name '" + schema + "' for the PostgreSQL server");
        }
    }
    conn_ = PQconnectdb(conninfo.c_str());
    if (!conn_ || PQstatus(conn_) != CONNECTION_OK) {
        std::string message = conn_ ? trimmedMessage(PQerrorMessage(conn_)) : "out of memory";
        PQfinish(conn_);
        conn_ = nullptr;
        throw ServerError("Cannot connect to the PostgreSQL server (" + conninfo + "): " + message);
    }
    PQsetNoticeProcessor(conn_, ignoreNotice, nullptr);
    try {
        runNative("SET client_encoding = 'UTF8'");
        runNative("SET datestyle = 'ISO, YMD'");
        runNative("SET search_path = \"" + schema_ + "\", oracle_compat, pg_catalog");
    } catch (...) {
        PQfinish(conn_);
        conn_ = nullptr;
        throw;
    }
}

PgBackend::~PgBackend() { PQfinish(conn_); }

std::string PgBackend::describe() const {
    return "PostgreSQL server (" + conninfo_ + ", schema " + schema_ + ")";
}

bool PgBackend::hasTable(const std::string& name) {
    ResultSet r = runNative(
        "SELECT 1 FROM information_schema.tables WHERE table_schema = $1 AND table_name = "
        "lower($2)",
        {schema_, name});
    return !r.rows.empty();
}

ResultSet PgBackend::runNative(const std::string& sql, const SqlParams& params) {
    std::vector<const char*> values;
    values.reserve(params.size());
    for (const SqlValue& p : params) values.push_back(p ? p->c_str() : nullptr);
    Result res{PQexecParams(conn_, sql.c_str(), static_cast<int>(params.size()), nullptr,
                            values.data(), nullptr, nullptr, 0)};
    ExecStatusType status = PQresultStatus(res.handle);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        std::string message =
            trimmedMessage(res.handle ? PQresultErrorMessage(res.handle) : PQerrorMessage(conn_));
        if (PQstatus(conn_) != CONNECTION_OK) message += " (the connection to the server is lost)";
        throw ServerError(message);
    }
    ResultSet result;
    int columns = PQnfields(res.handle);
    for (int c = 0; c < columns; ++c) result.columns.emplace_back(PQfname(res.handle, c));
    int rows = PQntuples(res.handle);
    for (int r = 0; r < rows; ++r) {
        std::vector<SqlValue> row;
        row.reserve(static_cast<size_t>(columns));
        for (int c = 0; c < columns; ++c) {
            if (PQgetisnull(res.handle, r, c)) {
                row.emplace_back(std::nullopt);
            } else if (PQftype(res.handle, c) == kNumericOid) {
                row.emplace_back(trimDecimalText(PQgetvalue(res.handle, r, c)));
            } else {
                row.emplace_back(std::string(PQgetvalue(res.handle, r, c),
                                             static_cast<size_t>(PQgetlength(res.handle, r, c))));
            }
        }
        result.rows.push_back(std::move(row));
    }
    return result;
}

ResultSet PgBackend::runInTransaction(const std::string& sql, const SqlParams& params) {
    // A failed statement spoils a whole PostgreSQL transaction; a savepoint limits the
    // failure to the statement itself, as on the other backends.
    runNative("SAVEPOINT tb_statement");
    try {
        ResultSet result = runNative(sql, params);
        runNative("RELEASE SAVEPOINT tb_statement");
        return result;
    } catch (const ServerError&) {
        try {
            runNative("ROLLBACK TO SAVEPOINT tb_statement");
        } catch (const ServerError&) {
        }
        throw;
    }
}

}  // namespace appserver
