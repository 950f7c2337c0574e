#include "appserver/SalesSchema.h"

#include "appserver/Backend.h"
#include "appserver/PgBackend.h"
#include "appserver/SchemaText.h"
#include "appserver/ServerError.h"
#include "appserver/SqlTokenizer.h"

namespace appserver {

namespace {

void runNativeScript(Backend& db, const char* script) {
    for (const std::string& statement : splitSqlStatements(script)) db.runNative(statement);
}

// The sales script with its column types written for the backend.
std::string salesScript(SqlTarget target) {
    const bool lite = target == SqlTarget::Sqlite;
    const std::pair<std::string, std::string> types[] = {
        {"{text}", lite ? "TEXT" : "VARCHAR"},
        {"{number}", "NUMERIC"},
        {"{date}", lite ? "TEXT" : "TIMESTAMP(0)"}};
    std::string script = kSchema_sales;
    for (const auto& [placeholder, type] : types) {
        for (size_t at = script.find(placeholder); at != std::string::npos;
             at = script.find(placeholder, at)) {
            script.replace(at, placeholder.size(), type);
        }
    }
    return script;
}

void createTables(Backend& db) {
    runNativeScript(db, salesScript(db.dialect()).c_str());
    for (const std::string& statement : splitSqlStatements(kSchema_providers)) db.run(statement);
}

// The version oracle-compat-postgres.sql installs (its tb_compat_version()); a database
// holding older definitions gets them replaced.
constexpr const char* kCompatVersion = "2";

bool compatFunctionsPresent(Backend& db) {
    ResultSet r =
        db.runNative("SELECT to_regprocedure('oracle_compat.tb_compat_version()') IS NOT NULL");
    if (r.rows.empty() || r.rows[0][0] != std::optional<std::string>("t")) return false;
    r = db.runNative("SELECT oracle_compat.tb_compat_version()::text");
    return !r.rows.empty() && r.rows[0][0] == std::optional<std::string>(kCompatVersion);
}

}  // namespace

bool hasSalesSchema(Backend& db) { return db.hasTable("TB_PROVIDER"); }

void ensureSalesSchema(Backend& db) {
    if (db.dialect() == SqlTarget::Postgres) {
        if (compatFunctionsPresent(db) && db.hasTable("TB_PROVIDER")) return;
        auto& pg = static_cast<PgBackend&>(db);
        db.begin();
        try {
            // One session at a time sets a database up.
            db.runNative("SELECT pg_advisory_xact_lock(7301)");
            if (!compatFunctionsPresent(db)) runNativeScript(db, kSchema_oracle_compat_postgres);
            db.runNative("CREATE SCHEMA IF NOT EXISTS \"" + pg.schema() + "\"");
            if (!db.hasTable("TB_PROVIDER")) createTables(db);
            db.commit();
        } catch (...) {
            db.rollback();
            throw;
        }
        return;
    }
    if (db.hasTable("TB_PROVIDER")) return;
    db.begin();
    try {
        if (!db.hasTable("TB_PROVIDER")) createTables(db);
        db.commit();
    } catch (...) {
        db.rollback();
        throw;
    }
}

}  // namespace appserver
