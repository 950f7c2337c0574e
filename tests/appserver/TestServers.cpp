#include "TestServers.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "appserver/PgBackend.h"
#include "appserver/ServerDirectory.h"

namespace appserver::test {

std::string backendName(const ::testing::TestParamInfo<BackendKind>& info) {
    return info.param == BackendKind::Sqlite ? "SQLite" : "PostgreSQL";
}

void ServerTest::SetUp() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "tb_appserver_XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    std::string conf;
    if (GetParam() == BackendKind::Postgres) {
        const char* conninfo = std::getenv("TAXBRIDGE_TEST_PG");
        if (!conninfo || !*conninfo) {
            const char* ci = std::getenv("CI");
            if (ci && std::string(ci) == "true") {
                FAIL() << "CI=true but TAXBRIDGE_TEST_PG is not set: the PostgreSQL server was not "
                          "started "
                          "(scripts/start-postgres.sh)";
            }
            GTEST_SKIP() << "PostgreSQL tests skipped: TAXBRIDGE_TEST_PG is not set (run "
                            "scripts/start-postgres.sh and source build/pg.env)";
        }
        static int counter = 0;
        settings_.kind = ServerSettings::Kind::Postgres;
        settings_.connection = conninfo;
        settings_.schema = "tb_test_" + std::to_string(getpid()) + "_" + std::to_string(++counter);
        conf = "[TESTSRV]\nbackend = postgresql\nconnection = " + settings_.connection +
               "\nschema = " + settings_.schema + "\n";
    } else {
        settings_.kind = ServerSettings::Kind::Sqlite;
        settings_.file = dir_ + "/sales.db";
        conf = "[TESTSRV]\nbackend = sqlite\nfile = sales.db\n";
    }
    std::ofstream(dir_ + "/servers.conf") << conf;
    setenv("TAXBRIDGE_SERVERS_CONF", (dir_ + "/servers.conf").c_str(), 1);
    setenv("XDG_DATA_HOME", dir_.c_str(), 1);
}

void ServerTest::TearDown() {
    if (settings_.kind == ServerSettings::Kind::Postgres && !settings_.connection.empty()) {
        try {
            PgBackend pg(settings_.connection, "public");
            pg.runNative("DROP SCHEMA IF EXISTS \"" + settings_.schema + "\" CASCADE");
        } catch (const std::exception&) {
        }
    }
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
}

std::unique_ptr<Backend> ServerTest::session() { return openBackend(settings_); }

void ServerTest::run(const std::string& sql, const SqlParams& params) {
    session()->run(sql, params);
}

std::vector<std::string> ServerTest::rows(const std::string& sql) {
    ResultSet r = session()->run(sql);
    std::vector<std::string> out;
    for (const auto& row : r.rows) {
        std::string line;
        for (size_t i = 0; i < row.size(); ++i)
            line += (i ? "|" : "") + (row[i] ? *row[i] : std::string("NULL"));
        out.push_back(line);
    }
    return out;
}

}  // namespace appserver::test
