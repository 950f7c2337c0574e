// A window's connection to the sales server: the server computer name, connect and
// disconnect, the server object of the open connection, and its methods called by
// name. The computer name selects a server from the server configuration file; the
// empty name is the embedded default database.
#pragma once

#include <memory>
#include <string>

#include "appserver/AppServer.h"

namespace appserver {

class DCOMConnection {
public:
    DCOMConnection() = default;
    explicit DCOMConnection(std::string computerName) : computerName_(std::move(computerName)) {}

    const std::string& ComputerName() const { return computerName_; }
    // Takes effect at the next connect.
    void SetComputerName(std::string name) { computerName_ = std::move(name); }

    bool Connected() const { return server_ != nullptr; }
    void SetConnected(bool connected);
    // Connects (no-op when connected); raises ServerError when the server cannot be
    // reached. Disconnecting ends the session: an open transaction is rolled back.
    void Open() { SetConnected(true); }
    void Close() { SetConnected(false); }

    // The server object for a provider call: connects first when down.
    AppServer& ProviderServer();
    // Calls a method of the server object by name; does not connect ("not connected"
    // error when down).
    void AppServerCall(const std::string& method);

private:
    std::string computerName_;
    std::unique_ptr<AppServer> server_;
};

}  // namespace appserver
