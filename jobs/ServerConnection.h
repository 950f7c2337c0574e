// The connection step every window runs when it is shown: disconnect, take the host's
// server computer name, connect. A failure raises the server's error; the window shows
// it and stays open unconnected, and its next provider call connects again.
#pragma once

#include <string>

namespace appserver {
class DCOMConnection;
class ClientDataSet;
}  // namespace appserver

namespace jobs {

class JobReporter;

void ConnectToServer(appserver::DCOMConnection& connection);

// The connection step of a window's show event: a failure is reported and the window
// opens unconnected. False on failure.
bool ConnectOnShow(appserver::DCOMConnection& connection, JobReporter& reporter);

// Binds a client dataset to a window's connection and a provider.
void BindClientDataSet(appserver::ClientDataSet& dataSet, appserver::DCOMConnection& connection,
                       const std::string& name, const std::string& provider);

// Runs statement text through a client dataset on "dsp_temp": close, set the command
// text, execute.
void ExecuteText(appserver::ClientDataSet& temp, std::string statement);

}  // namespace jobs
