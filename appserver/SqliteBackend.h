// The SQLite session: a database file, opened (and created) with the Oracle
// compatibility functions registered on the connection.
#pragma once

#include <string>

#include "appserver/Backend.h"

struct sqlite3;

namespace appserver {

class SqliteBackend : public Backend {
public:
    // With `create`, opens the file, creating it and its directory when missing, in
    // write-ahead-log mode. Without, opens an existing file as it is and changes nothing
    // in it (a missing file is an error).
    explicit SqliteBackend(const std::string& path, bool create = true);
    ~SqliteBackend() override;

    SqlTarget dialect() const override { return SqlTarget::Sqlite; }
    std::string describe() const override { return "SQLite database " + path_; }
    bool hasTable(const std::string& name) override;
    ResultSet runNative(const std::string& sql, const SqlParams& params = {}) override;

protected:
    // Takes the write lock at the start, so two sessions never deadlock upgrading.
    std::string beginStatement() const override { return "BEGIN IMMEDIATE"; }

private:
    std::string path_;
    sqlite3* db_ = nullptr;
};

}  // namespace appserver
