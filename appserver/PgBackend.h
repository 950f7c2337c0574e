// The PostgreSQL session, through libpq. The session's search path puts the sales
// schema first and the Oracle compatibility functions (schema oracle_compat) before
// pg_catalog, so NVL, TRUNC, TO_DATE, TO_CHAR and TO_NUMBER behave as in Oracle.
#pragma once

#include <string>

#include "appserver/Backend.h"

struct pg_conn;

namespace appserver {

class PgBackend : public Backend {
public:
    // `conninfo` is a libpq connection string; `schema` the schema holding the sales
    // tables (created on first use).
    PgBackend(const std::string& conninfo, const std::string& schema);
    ~PgBackend() override;

    SqlTarget dialect() const override { return SqlTarget::Postgres; }
    std::string describe() const override;
    bool hasTable(const std::string& name) override;
    ResultSet runNative(const std::string& sql, const SqlParams& params = {}) override;

    const std::string& schema() const { return schema_; }

protected:
    ResultSet runInTransaction(const std::string& sql, const SqlParams& params) override;

private:
    std::string conninfo_;
    std::string schema_;
    pg_conn* conn_ = nullptr;
};

}  // namespace appserver
