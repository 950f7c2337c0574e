#include "jobs/ServerConnection.h"

#include <exception>

#include "appserver/ClientDataSet.h"
#include "appserver/DCOMConnection.h"
#include "jobs/HostParameters.h"
#include "jobs/JobReporter.h"

namespace jobs {

void ConnectToServer(appserver::DCOMConnection& connection) {
    connection.SetConnected(false);
    connection.SetComputerName(hostParameters().ServerComputerName);
    connection.SetConnected(true);
}

bool ConnectOnShow(appserver::DCOMConnection& connection, JobReporter& reporter) {
    try {
        ConnectToServer(connection);
        return true;
    } catch (const std::exception& e) {
        reporter.Error(e.what());
        return false;
    }
}

void BindClientDataSet(appserver::ClientDataSet& dataSet, appserver::DCOMConnection& connection,
                       const std::string& name, const std::string& provider) {
    dataSet.SetName(name);
    dataSet.SetRemoteServer(&connection);
    dataSet.SetProviderName(provider);
}

void ExecuteText(appserver::ClientDataSet& temp, std::string statement) {
    temp.Close();
    temp.SetCommandText(std::move(statement));
    temp.Execute();
}

}  // namespace jobs
