// Test fixture over both backends: each test gets a fresh sales server of its own, a
// SQLite file in a temporary folder or a PostgreSQL schema of its own on the server
// named by TAXBRIDGE_TEST_PG, listed as computer "TESTSRV" in a servers.conf the test
// points TAXBRIDGE_SERVERS_CONF at.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "appserver/Backend.h"
#include "appserver/ServerConfig.h"

namespace appserver::test {

enum class BackendKind { Sqlite, Postgres };

class ServerTest : public ::testing::TestWithParam<BackendKind> {
protected:
    void SetUp() override;
    void TearDown() override;

    // A new session on this test's server (schema created on first use).
    std::unique_ptr<Backend> session();
    // Runs statements (Oracle dialect) on a fresh session.
    void run(const std::string& sql, const SqlParams& params = {});
    // The rows of a query as text ("NULL" for null), columns joined by '|'.
    std::vector<std::string> rows(const std::string& sql);

    static constexpr const char* kComputer = "TESTSRV";
    std::string dir_;
    ServerSettings settings_;
};

std::string backendName(const ::testing::TestParamInfo<BackendKind>& info);

}  // namespace appserver::test

#define INSTANTIATE_FOR_BACKENDS(Suite)                                                   \
    INSTANTIATE_TEST_SUITE_P(Backends, Suite,                                             \
                             ::testing::Values(::appserver::test::BackendKind::Sqlite,    \
                                               ::appserver::test::BackendKind::Postgres), \
                             ::appserver::test::backendName)
