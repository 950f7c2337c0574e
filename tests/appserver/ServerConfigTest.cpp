#include <gtest/gtest.h>

#include <cstdlib>

#include "appserver/ServerConfig.h"
#include "appserver/ServerError.h"

namespace appserver {
namespace {

TEST(ServerConfig, MapsComputerNamesToBackendsWithoutRegardToCase) {
    ServerConfig config = ServerConfig::parse(
        "# servers\n[SALES01]\nbackend = PostgreSQL\nconnection = host=db1 dbname=sales\nschema = "
        "mis\n\n"
        "[laptop]\nbackend=sqlite\nfile = data/sales.db\n",
        "/etc/tb/servers.conf");
    ServerSettings pg = config.resolve("sales01");
    EXPECT_EQ(pg.kind, ServerSettings::Kind::Postgres);
    EXPECT_EQ(pg.connection, "host=db1 dbname=sales");
    EXPECT_EQ(pg.schema, "mis");
    ServerSettings lite = config.resolve(" LAPTOP ");
    EXPECT_EQ(lite.kind, ServerSettings::Kind::Sqlite);
    EXPECT_EQ(lite.file, "/etc/tb/data/sales.db");
}

TEST(ServerConfig, EmptyNameIsTheEmbeddedDatabaseInTheDataDirectory) {
    setenv("XDG_DATA_HOME", "/tmp/tb-xdg-data", 1);
    ServerSettings s = ServerConfig::parse("", "servers.conf").resolve("");
    EXPECT_EQ(s.kind, ServerSettings::Kind::Sqlite);
    EXPECT_EQ(s.file, "/tmp/tb-xdg-data/taxbridge/sales.db");
}

TEST(ServerConfig, UnknownNameAndBadFilesAreErrorsThatSayWhy) {
    ServerConfig empty = ServerConfig::parse("", "/x/servers.conf");
    try {
        empty.resolve("NOSUCH");
        FAIL();
    } catch (const ServerError& e) {
        EXPECT_NE(std::string(e.what()).find("NOSUCH"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("/x/servers.conf"), std::string::npos);
    }
    EXPECT_THROW(ServerConfig::parse("[A]\nbackend = oracle\n", "f"), ServerError);
    EXPECT_THROW(ServerConfig::parse("[A]\nbackend = sqlite\n", "f"), ServerError);  // no file
    EXPECT_THROW(ServerConfig::parse("[A]\nbackend = postgresql\n", "f"),
                 ServerError);                                                  // no connection
    EXPECT_THROW(ServerConfig::parse("backend = sqlite\n", "f"), ServerError);  // no section
    EXPECT_THROW(ServerConfig::parse("[A\n", "f"), ServerError);
    EXPECT_THROW(ServerConfig::parse("[A]\nfile=x\ncolour = red\n", "f"), ServerError);
    EXPECT_THROW(
        ServerConfig::parse("[A]\nbackend=sqlite\nfile=x\n[a]\nbackend=sqlite\nfile=y\n", "f"),
        ServerError);
}

TEST(ServerConfig, MissingFileIsAnEmptyConfiguration) {
    ServerConfig config = ServerConfig::load("/nonexistent/servers.conf");
    EXPECT_EQ(config.resolve("").kind, ServerSettings::Kind::Sqlite);
    EXPECT_THROW(config.resolve("X"), ServerError);
}

}  // namespace
}  // namespace appserver
