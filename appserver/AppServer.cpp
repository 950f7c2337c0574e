#include "appserver/AppServer.h"

#include <cctype>
#include <sstream>

#include "appserver/ServerError.h"
#include "appserver/SqlTokenizer.h"
#include "appserver/TextCase.h"

namespace appserver {

namespace {

std::string textOf(const SqlValue& value) { return value ? *value : std::string(); }

bool isPlainName(const std::string& name) {
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0]))) return false;
    for (char c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    }
    return true;
}

std::vector<std::string> splitNames(const std::string& list) {
    std::vector<std::string> names;
    std::istringstream in(list);
    std::string name;
    while (std::getline(in, name, ',')) {
        size_t b = name.find_first_not_of(' ');
        size_t e = name.find_last_not_of(' ');
        if (b != std::string::npos) names.push_back(name.substr(b, e - b + 1));
    }
    return names;
}

}  // namespace

AppServer::AppServer(std::unique_ptr<Backend> db) : db_(std::move(db)) {}

void AppServer::loadProviders() {
    ResultSet r = db_->runNative(
        "SELECT PROVIDER_NAME, SELECT_SQL, EXECUTE_SQL, PARAMS, APPLY_TABLE, ACCEPTS_COMMAND_TEXT "
        "FROM TB_PROVIDER");
    providers_.clear();
    for (const auto& row : r.rows) {
        ProviderDefinition p;
        p.name = textOf(row[0]);
        p.selectSql = textOf(row[1]);
        p.executeSql = textOf(row[2]);
        p.params = splitNames(textOf(row[3]));
        p.applyTable = textOf(row[4]);
        p.acceptsCommandText = textOf(row[5]) == "1";
        providers_[toUpperAscii(p.name)] = std::move(p);
    }
    providersLoaded_ = true;
}

const ProviderDefinition& AppServer::provider(const std::string& name) {
    if (!providersLoaded_) loadProviders();
    auto found = providers_.find(toUpperAscii(name));
    if (found == providers_.end()) {
        throw ServerError("The application server has no provider '" + name + "'");
    }
    return found->second;
}

ResultSet AppServer::runCommandText(const ProviderDefinition& p, const std::string& commandText,
                                    const SqlParams& params) {
    if (!p.acceptsCommandText)
        throw ServerError("Provider '" + p.name + "' does not run command text");
    return db_->run(commandText, params);
}

void AppServer::execute(const std::string& providerName, const std::string& commandText,
                        const SqlParams& params) {
    const ProviderDefinition& p = provider(providerName);
    if (!commandText.empty()) {
        runCommandText(p, commandText, params);
        return;
    }
    if (!p.executeSql.empty()) {
        for (const std::string& statement : splitSqlStatements(p.executeSql)) db_->run(statement);
    } else if (!p.selectSql.empty()) {
        db_->run(p.selectSql, params);
    } else {
        throw ServerError("Provider '" + p.name +
                          "' has no statement to execute: the command text is empty");
    }
}

ResultSet AppServer::open(const std::string& providerName, const std::string& commandText,
                          const SqlParams& params) {
    const ProviderDefinition& p = provider(providerName);
    if (!commandText.empty()) return runCommandText(p, commandText, params);
    if (p.selectSql.empty()) {
        throw ServerError("Provider '" + p.name + "' has no query: the command text is empty");
    }
    if (!p.params.empty() && p.params.size() != params.size()) {
        throw ServerError("Provider '" + p.name + "' takes " + std::to_string(p.params.size()) +
                          " parameters, " + std::to_string(params.size()) + " were given");
    }
    return db_->run(p.selectSql, params);
}

ApplyResult AppServer::applyInserts(const std::string& providerName,
                                    const std::vector<std::string>& columns,
                                    const std::vector<std::vector<SqlValue>>& rows, int maxErrors) {
    const ProviderDefinition& p = provider(providerName);
    ApplyResult result;
    if (rows.empty()) return result;
    if (p.applyTable.empty())
        throw ServerError("Provider '" + p.name + "' does not accept applied rows");
    std::string names, marks;
    for (const std::string& column : columns) {
        if (!isPlainName(column)) throw ServerError("Cannot apply a column named '" + column + "'");
        names += (names.empty() ? "" : ",") + column;
        marks += marks.empty() ? "?" : ",?";
    }
    const std::string insert =
        "INSERT INTO " + p.applyTable + "(" + names + ") VALUES (" + marks + ")";

    // The rows go in together: inside the session's open transaction through a
    // savepoint, otherwise in a transaction of their own.
    const bool nested = db_->inTransaction();
    if (nested) {
        db_->runNative("SAVEPOINT tb_apply");
    } else {
        db_->begin();
    }
    bool tooMany = false;
    for (size_t i = 0; i < rows.size(); ++i) {
        try {
            db_->run(insert, rows[i]);
            ++result.appliedCount;
        } catch (const ServerError& e) {
            ++result.errorCount;
            result.errors.push_back("row " + std::to_string(i + 1) + ": " + e.what());
            result.refusedRows.push_back(i);
            if (maxErrors >= 0 && result.errorCount > maxErrors) {
                tooMany = true;
                break;
            }
        }
    }
    if (tooMany) {
        result.appliedCount = 0;
        result.rolledBack = true;
        if (nested) {
            db_->runNative("ROLLBACK TO SAVEPOINT tb_apply");
            db_->runNative("RELEASE SAVEPOINT tb_apply");
        } else {
            db_->rollback();
        }
    } else if (nested) {
        db_->runNative("RELEASE SAVEPOINT tb_apply");
    } else {
        db_->commit();
    }
    return result;
}

void AppServer::call(const std::string& method) {
    if (equalsIgnoreCase(method, "CustObjdbTranStart")) {
        db_->begin();
    } else if (equalsIgnoreCase(method, "CustObjdbCommit")) {
        db_->commit();
    } else if (equalsIgnoreCase(method, "CustObjdbRollback")) {
        db_->rollback();
    } else {
        throw ServerError("The application server has no method '" + method + "'");
    }
}

}  // namespace appserver
