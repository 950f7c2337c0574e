// The server object behind a connection (the sales system's CoCustObj): named
// providers that execute command text, return result sets and apply inserted rows,
// and the transaction methods called by name. One session on the sales database.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "appserver/Backend.h"

namespace appserver {

// A provider as the provider table defines it.
struct ProviderDefinition {
    std::string name;
    std::string selectSql;   // run when a client dataset opens
    std::string executeSql;  // run when executed without command text
    std::vector<std::string> params;
    std::string applyTable;  // where applied rows go
    bool acceptsCommandText = false;
};

struct ApplyResult {
    int errorCount = 0;
    int appliedCount = 0;             // rows stored
    std::vector<std::string> errors;  // one message per refused row
    std::vector<size_t> refusedRows;  // indexes of the refused rows
    bool rolledBack = false;          // too many errors: nothing was kept
};

class AppServer {
public:
    explicit AppServer(std::unique_ptr<Backend> db);

    Backend& backend() { return *db_; }

    // The provider of that name, without regard to case; ServerError naming it when
    // there is none.
    const ProviderDefinition& provider(const std::string& name);

    // Runs the command text (providers that accept it), else the provider's own
    // statements. Nothing is read back.
    void execute(const std::string& provider, const std::string& commandText,
                 const SqlParams& params = {});
    // Runs the command text (providers that accept it), else the provider's query with
    // the parameters; returns every row.
    ResultSet open(const std::string& provider, const std::string& commandText,
                   const SqlParams& params = {});
    // Inserts rows into the provider's table, all or nothing: when more than maxErrors
    // rows are refused (maxErrors -1: no limit) none is kept. Returns the error count.
    ApplyResult applyInserts(const std::string& provider, const std::vector<std::string>& columns,
                             const std::vector<std::vector<SqlValue>>& rows, int maxErrors);

    // CustObjdbTranStart / CustObjdbCommit / CustObjdbRollback, matched without regard
    // to case; any other name raises a ServerError naming it.
    void call(const std::string& method);

private:
    void loadProviders();
    ResultSet runCommandText(const ProviderDefinition& p, const std::string& commandText,
                             const SqlParams& params);

    std::unique_ptr<Backend> db_;
    bool providersLoaded_ = false;
    std::map<std::string, ProviderDefinition> providers_;  // by upper-case name
};

}  // namespace appserver
