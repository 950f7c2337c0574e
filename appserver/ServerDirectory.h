// Opens a session on the sales database a server computer name stands for, creating
// the schema on first use.
#pragma once

#include <memory>
#include <string>

#include "appserver/Backend.h"
#include "appserver/ServerConfig.h"

namespace appserver {

std::unique_ptr<Backend> openBackend(const ServerSettings& settings);

// Looks the name up in the configuration file (ServerConfig::defaultPath()).
std::unique_ptr<Backend> openServer(const std::string& computerName);

}  // namespace appserver
