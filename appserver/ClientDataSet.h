// A client dataset bound to a named provider of the sales server through a connection:
// Execute sends the command text; Open fetches every row of the command text or of the
// provider's own query (with its parameters); columns are read by name without regard
// to case, as text. Rows inserted and posted here are kept as pending until
// ApplyUpdates sends them to the provider; a later apply sends only rows added since.
#pragma once

#include <string>
#include <vector>

#include "appserver/Backend.h"
#include "appserver/ClientParams.h"
#include "data/MemoryDataSet.h"

namespace appserver {

class DCOMConnection;

class ClientDataSet : public data::MemoryDataSet {
public:
    ClientDataSet();
    ~ClientDataSet() override;

    DCOMConnection* RemoteServer() const { return connection_; }
    void SetRemoteServer(DCOMConnection* connection) { connection_ = connection; }
    const std::string& ProviderName() const { return providerName_; }
    void SetProviderName(std::string name) { providerName_ = std::move(name); }
    const std::string& CommandText() const { return commandText_; }
    void SetCommandText(std::string text) { commandText_ = std::move(text); }
    ClientParams& Params() { return params_; }

    // Has the provider run the command text (or its own statements); nothing is read.
    void Execute();
    // Sends the pending inserted rows; when more than maxErrors are refused (-1: no
    // limit) none is kept and all stay pending. Returns the number refused.
    int ApplyUpdates(int maxErrors);
    // Messages of the rows the last apply refused.
    const std::vector<std::string>& ApplyErrors() const { return applyErrors_; }
    // Rows inserted and not yet applied.
    int ChangeCount() const;

protected:
    // Fetches the rows, then opens as every in-memory dataset does.
    void InternalOpen() override;
    void InternalClose() override;
    void InternalInitFieldDefs() override;

private:
    DCOMConnection& Connection() const;

    DCOMConnection* connection_ = nullptr;
    std::string providerName_;
    std::string commandText_;
    ClientParams params_;
    ResultSet fetched_;            // columns of the last open (its rows move into the dataset)
    std::vector<int> textWidths_;  // per column: the longest fetched text, at least 255
    std::vector<std::string> applyErrors_;
};

}  // namespace appserver
