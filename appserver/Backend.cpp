#include "appserver/Backend.h"

#include "appserver/ServerError.h"
#include "appserver/TextCase.h"

namespace appserver {

int ResultSet::columnIndex(std::string_view name) const {
    for (size_t i = 0; i < columns.size(); ++i) {
        if (equalsIgnoreCase(columns[i], name)) return static_cast<int>(i);
    }
    return -1;
}

ResultSet Backend::run(std::string_view oracleSql, const SqlParams& params) {
    try {
        AdaptedStatement adapted = adaptOracleSql(oracleSql, dialect());
        if (static_cast<size_t>(adapted.parameterCount) != params.size()) {
            throw ServerError("the statement has " + std::to_string(adapted.parameterCount) +
                              " parameters but " + std::to_string(params.size()) +
                              " values were given");
        }
        return inTransaction_ ? runInTransaction(adapted.sql, params)
                              : runNative(adapted.sql, params);
    } catch (const ServerError& e) {
        throw ServerError("The server rejected the statement \"" + std::string(oracleSql) +
                          "\": " + e.what());
    }
}

void Backend::begin() {
    if (inTransaction_) throw ServerError("A transaction is already active on " + describe());
    runNative(beginStatement());
    inTransaction_ = true;
}

void Backend::commit() {
    if (!inTransaction_) return;
    try {
        runNative("COMMIT");
    } catch (const ServerError&) {
        // A commit that fails leaves nothing half applied: the work is rolled back.
        try {
            runNative("ROLLBACK");
        } catch (const ServerError&) {
        }
        inTransaction_ = false;
        throw;
    }
    inTransaction_ = false;
}

void Backend::rollback() {
    if (!inTransaction_) return;
    inTransaction_ = false;
    runNative("ROLLBACK");
}

}  // namespace appserver
