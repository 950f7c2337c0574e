// The server configuration file: maps server computer names to sales databases.
//
// File: $TAXBRIDGE_SERVERS_CONF if set, else $XDG_CONFIG_HOME/taxbridge/servers.conf
// (~/.config/taxbridge/servers.conf). A missing file is an empty configuration.
//
//   # comment
//   [SALES01]                 one section per server computer name (any case)
//   backend = postgresql      postgresql or sqlite
//   connection = host=db1 port=5432 dbname=sales user=taxbridge   (libpq string)
//   schema = public           PostgreSQL schema holding the sales tables (default public)
//
//   [LAPTOP]
//   backend = sqlite
//   file = /srv/taxbridge/sales.db   (a relative path is taken from the file's folder)
//
// The empty computer name is the embedded default, a SQLite database at
// $XDG_DATA_HOME/taxbridge/sales.db (~/.local/share/taxbridge/sales.db); a section
// named [] in the file overrides it.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace appserver {

struct ServerSettings {
    enum class Kind { Sqlite, Postgres };
    Kind kind = Kind::Sqlite;
    std::string file;        // SQLite database file
    std::string connection;  // libpq connection string
    std::string schema = "public";
};

class ServerConfig {
public:
    static std::string defaultPath();
    static std::string embeddedDatabasePath();

    // Reads a configuration file; a file that does not exist gives an empty one.
    static ServerConfig load(const std::string& path);
    // Reads configuration text; `origin` names it in messages and anchors relative paths.
    static ServerConfig parse(std::string_view text, const std::string& origin);

    // The server a computer name stands for. Throws ServerError for a name the file
    // does not list.
    ServerSettings resolve(const std::string& computerName) const;

private:
    std::string origin_;
    std::map<std::string, ServerSettings> servers_;  // by upper-case name
};

}  // namespace appserver
