#include "appserver/ServerDirectory.h"

#include <filesystem>

#include "appserver/PgBackend.h"
#include "appserver/SalesSchema.h"
#include "appserver/ServerError.h"
#include "appserver/SqliteBackend.h"

namespace appserver {

namespace {

std::unique_ptr<Backend> makeBackend(const ServerSettings& settings, bool create) {
    if (settings.kind == ServerSettings::Kind::Postgres) {
        return std::make_unique<PgBackend>(settings.connection, settings.schema);
    }
    return std::make_unique<SqliteBackend>(settings.file, create);
}

std::string makeOneAdvice(const std::string& computerName) {
    const std::string server = computerName.empty() ? "" : " --server " + computerName;
    return "Make one with 'taxbridge server init" + server +
           "' (an empty sales schema) or 'taxbridge server init-demo" + server +
           "' (the demo sales data).";
}

ServerSettings settingsFor(const std::string& computerName) {
    return ServerConfig::load(ServerConfig::defaultPath()).resolve(computerName);
}

}  // namespace

std::unique_ptr<Backend> openBackend(const ServerSettings& settings) {
    std::unique_ptr<Backend> db = makeBackend(settings, true);
    ensureSalesSchema(*db);
    return db;
}

std::unique_ptr<Backend> connectBackend(const ServerSettings& settings,
                                        const std::string& computerName) {
    if (settings.kind == ServerSettings::Kind::Sqlite &&
        !std::filesystem::is_regular_file(settings.file)) {
        throw ServerError("There is no sales database: the file " + settings.file +
                          " does not exist. " + makeOneAdvice(computerName));
    }
    std::unique_ptr<Backend> db = makeBackend(settings, false);
    if (!hasSalesSchema(*db)) {
        throw ServerError("The " + db->describe() + " holds no sales schema. " +
                          makeOneAdvice(computerName));
    }
    // Brings the compatibility functions of an older PostgreSQL set-up up to date.
    ensureSalesSchema(*db);
    return db;
}

std::unique_ptr<Backend> openServer(const std::string& computerName) {
    return connectBackend(settingsFor(computerName), computerName);
}

std::unique_ptr<Backend> createServer(const std::string& computerName) {
    return openBackend(settingsFor(computerName));
}

}  // namespace appserver
