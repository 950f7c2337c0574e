// Opens a session on the sales database a server computer name stands for. The jobs
// only connect: a database that is missing or holds no sales schema is an error that
// says how to make one, never a new empty database that a refresh would then copy onto
// the machine. `taxbridge server init` and `init-demo` create.
#pragma once

#include <memory>
#include <string>

#include "appserver/Backend.h"
#include "appserver/ServerConfig.h"

namespace appserver {

// Opens the database, creating it (SQLite file and folder) and its sales schema when
// missing.
std::unique_ptr<Backend> openBackend(const ServerSettings& settings);

// Connects to an existing sales database and creates nothing. `computerName` names the
// server in the advice of the error: a missing SQLite file or a database without the
// sales schema raises ServerError naming the file or server and the commands that make
// one.
std::unique_ptr<Backend> connectBackend(const ServerSettings& settings,
                                        const std::string& computerName);

// Looks the name up in the configuration file (ServerConfig::defaultPath()) and
// connects (connectBackend).
std::unique_ptr<Backend> openServer(const std::string& computerName);

// Looks the name up and opens it, creating the database and schema when missing.
std::unique_ptr<Backend> createServer(const std::string& computerName);

}  // namespace appserver
