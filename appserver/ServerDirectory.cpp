#include "appserver/ServerDirectory.h"

#include "appserver/PgBackend.h"
#include "appserver/SalesSchema.h"
#include "appserver/SqliteBackend.h"

namespace appserver {

std::unique_ptr<Backend> openBackend(const ServerSettings& settings) {
    std::unique_ptr<Backend> db;
    if (settings.kind == ServerSettings::Kind::Postgres) {
        db = std::make_unique<PgBackend>(settings.connection, settings.schema);
    } else {
        db = std::make_unique<SqliteBackend>(settings.file);
    }
    ensureSalesSchema(*db);
    return db;
}

std::unique_ptr<Backend> openServer(const std::string& computerName) {
    return openBackend(ServerConfig::load(ServerConfig::defaultPath()).resolve(computerName));
}

}  // namespace appserver
