#include "appserver/ServerConfig.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "appserver/ServerError.h"
#include "appserver/TextCase.h"

namespace appserver {

namespace {

std::string trim(std::string_view s) {
    size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string_view::npos) return "";
    size_t e = s.find_last_not_of(" \t\r");
    return std::string(s.substr(b, e - b + 1));
}

std::string xdgDirectory(const char* variable, const char* fallback) {
    const char* value = std::getenv(variable);
    if (value && *value == '/') return value;
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/" + fallback;
}

}  // namespace

std::string ServerConfig::defaultPath() {
    const char* explicitPath = std::getenv("TAXBRIDGE_SERVERS_CONF");
    if (explicitPath && *explicitPath) return explicitPath;
    return xdgDirectory("XDG_CONFIG_HOME", ".config") + "/taxbridge/servers.conf";
}

std::string ServerConfig::embeddedDatabasePath() {
    return xdgDirectory("XDG_DATA_HOME", ".local/share") + "/taxbridge/sales.db";
}

ServerConfig ServerConfig::load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        ServerConfig empty;
        empty.origin_ = path;
        return empty;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return parse(text.str(), path);
}

ServerConfig ServerConfig::parse(std::string_view text, const std::string& origin) {
    ServerConfig config;
    config.origin_ = origin;
    std::filesystem::path base = std::filesystem::path(origin).parent_path();
    ServerSettings* current = nullptr;
    std::string currentName;
    bool hasBackend = false;
    auto finishSection = [&](int line) {
        if (!current) return;
        const std::string where =
            origin + ": server [" + currentName + "] (before line " + std::to_string(line) + ")";
        if (!hasBackend) throw ServerError(where + " has no backend");
        if (current->kind == ServerSettings::Kind::Sqlite && current->file.empty())
            throw ServerError(where + " has no file");
        if (current->kind == ServerSettings::Kind::Postgres && current->connection.empty())
            throw ServerError(where + " has no connection");
    };
    std::istringstream lines{std::string(text)};
    std::string raw;
    int lineNo = 0;
    while (std::getline(lines, raw)) {
        ++lineNo;
        std::string line = trim(raw);
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        const std::string where = origin + ":" + std::to_string(lineNo) + ": ";
        if (line.front() == '[') {
            if (line.back() != ']') throw ServerError(where + "section header without ']'");
            finishSection(lineNo);
            currentName = trim(std::string_view(line).substr(1, line.size() - 2));
            std::string key = toUpperAscii(currentName);
            if (config.servers_.count(key))
                throw ServerError(where + "server [" + currentName + "] listed twice");
            current = &config.servers_[key];
            hasBackend = false;
            continue;
        }
        size_t eq = line.find('=');
        if (eq == std::string::npos) throw ServerError(where + "expected 'key = value'");
        if (!current) throw ServerError(where + "setting outside a [server] section");
        std::string key = toLowerAscii(trim(std::string_view(line).substr(0, eq)));
        std::string value = trim(std::string_view(line).substr(eq + 1));
        if (key == "backend") {
            std::string kind = toLowerAscii(value);
            if (kind == "sqlite") {
                current->kind = ServerSettings::Kind::Sqlite;
            } else if (kind == "postgresql" || kind == "postgres") {
                current->kind = ServerSettings::Kind::Postgres;
            } else {
                throw ServerError(where + "unknown backend '" + value +
                                  "' (use sqlite or postgresql)");
            }
            hasBackend = true;
        } else if (key == "file") {
            std::filesystem::path file(value);
            current->file = file.is_absolute() ? file.string() : (base / file).string();
        } else if (key == "connection") {
            current->connection = value;
        } else if (key == "schema") {
            current->schema = value;
        } else {
            throw ServerError(where + "unknown setting '" + key + "'");
        }
    }
    finishSection(lineNo + 1);
    return config;
}

ServerSettings ServerConfig::resolve(const std::string& computerName) const {
    auto found = servers_.find(toUpperAscii(trim(computerName)));
    if (found != servers_.end()) return found->second;
    if (trim(computerName).empty()) {
        ServerSettings embedded;
        embedded.file = embeddedDatabasePath();
        return embedded;
    }
    throw ServerError("Unknown server computer '" + computerName + "': it is not listed in " +
                      origin_);
}

}  // namespace appserver
