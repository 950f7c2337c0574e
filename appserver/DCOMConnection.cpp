#include "appserver/DCOMConnection.h"

#include "appserver/ServerDirectory.h"
#include "appserver/ServerError.h"

namespace appserver {

void DCOMConnection::SetConnected(bool connected) {
    if (connected == Connected()) return;
    if (connected) {
        server_ = std::make_unique<AppServer>(openServer(computerName_));
    } else {
        server_.reset();
    }
}

AppServer& DCOMConnection::ProviderServer() {
    Open();
    return *server_;
}

void DCOMConnection::AppServerCall(const std::string& method) {
    if (!server_) {
        throw ServerError("Cannot call '" + method +
                          "': the connection to the application server is not open");
    }
    server_->call(method);
}

}  // namespace appserver
