// A connection never makes a sales database: a missing one or one without the sales
// schema is an error that says which database and how to make one, and stays as it was;
// `server init` (createServer) makes it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "TestServers.h"
#include "appserver/DCOMConnection.h"
#include "appserver/PgBackend.h"
#include "appserver/ServerDirectory.h"
#include "appserver/ServerError.h"

namespace appserver {
namespace {

using test::ServerTest;

const std::string kAdvice =
    " Make one with 'taxbridge server init --server TESTSRV' (an empty sales schema) or "
    "'taxbridge server init-demo --server TESTSRV' (the demo sales data).";

std::string ConnectError(const std::string& computerName) {
    DCOMConnection connection(computerName);
    try {
        connection.Open();
    } catch (const ServerError& e) {
        EXPECT_FALSE(connection.Connected());
        return e.what();
    }
    return "connected";
}

class NoSalesDatabase : public ServerTest {
protected:
    bool PgSchemaExists() {
        PgBackend pg(settings_.connection, "public");
        return !pg.runNative("SELECT 1 FROM information_schema.schemata WHERE schema_name = $1",
                             {settings_.schema})
                    .rows.empty();
    }
};

TEST_P(NoSalesDatabase, ConnectingIsAnErrorThatNamesTheDatabaseAndChangesNothing) {
    if (GetParam() == test::BackendKind::Sqlite) {
        const std::string file = dir_ + "/sales.db";
        EXPECT_EQ(ConnectError(kComputer),
                  "There is no sales database: the file " + file + " does not exist." + kAdvice);
        EXPECT_FALSE(std::filesystem::exists(file));
        std::ofstream{file};  // an empty file
        EXPECT_EQ(ConnectError(kComputer),
                  "The SQLite database " + file + " holds no sales schema." + kAdvice);
        EXPECT_EQ(std::filesystem::file_size(file), 0u);
    } else {
        EXPECT_EQ(ConnectError(kComputer), "The PostgreSQL server (" + settings_.connection +
                                               ", schema " + settings_.schema +
                                               ") holds no sales schema." + kAdvice);
        EXPECT_FALSE(PgSchemaExists());
    }
    createServer(kComputer);
    EXPECT_EQ(ConnectError(kComputer), "connected");
}

INSTANTIATE_FOR_BACKENDS(NoSalesDatabase);

TEST(EmbeddedServer, AMissingDefaultDatabaseIsNotCreatedByAConnection) {
    const std::string dir = ::testing::TempDir() + "tb_no_embedded_" + std::to_string(getpid());
    setenv("XDG_DATA_HOME", dir.c_str(), 1);
    setenv("TAXBRIDGE_SERVERS_CONF", (dir + "/none.conf").c_str(), 1);
    EXPECT_EQ(ConnectError(""), "There is no sales database: the file " + dir +
                                    "/taxbridge/sales.db does not exist. Make one with 'taxbridge "
                                    "server init' (an empty sales schema) or 'taxbridge server "
                                    "init-demo' (the demo sales data).");
    EXPECT_FALSE(std::filesystem::exists(dir));
}

}  // namespace
}  // namespace appserver
