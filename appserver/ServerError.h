// The error the application-server link raises: a refused connection, a statement the
// server rejects, an unknown provider, method, column or server name.
#pragma once

#include <stdexcept>
#include <string>

namespace appserver {

class ServerError : public std::runtime_error {
public:
    explicit ServerError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace appserver
