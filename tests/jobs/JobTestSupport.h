// Test support for the jobs: a fixture with a demo machine folder behind drive C: and a
// demo sales server (SQLite, or PostgreSQL when TAXBRIDGE_TEST_PG is set), a reporter
// that records what a job shows, and a plain reader of table files that does not use
// the engine.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "TestServers.h"
#include "jobs/GridText.h"
#include "jobs/JobReporter.h"

namespace jobs::test {

struct ShownResult {
    std::string heading;
    std::vector<std::string> captions;
    GridRows rows;
};

// Records every call; ShowResult reads the grid's rows at the moment it is called.
class RecordingReporter : public JobReporter {
public:
    void ProgressStart() override { events.push_back("start"); }
    void ProgressStop(bool hideBar) override { events.push_back(hideBar ? "stop hide" : "stop"); }
    void ShowResult(const ResultView& view) override;
    void MessageBox(const std::string& text, const std::string& caption) override {
        events.push_back("message " + text + " / " + caption);
    }
    void Error(const std::string& message) override {
        events.push_back("error");
        errors.push_back(message);
    }
    void Notice(const std::string& text) override {
        events.push_back("notice");
        notices.push_back(text);
    }

    std::vector<std::string> events;
    std::vector<std::string> notices;
    std::vector<ShownResult> results;
    std::vector<std::string> errors;
};

struct DbfRecord {
    bool deleted = false;
    // Upper-case field name -> UTF-8 text; text fields lose trailing blanks, others all.
    std::map<std::string, std::string> values;
    const std::string& at(const std::string& field) const { return values.at(field); }
};

struct DbfContents {
    std::uint32_t headerCount = 0;
    std::vector<DbfRecord> records;
    std::vector<DbfRecord> Live() const;
    // "A|B|C" per live record, for the named fields.
    std::vector<std::string> LiveRows(const std::vector<std::string>& fields) const;
};

// Reads a dBase table byte by byte (GBK text converted to UTF-8).
DbfContents ReadDbf(const std::string& path);
std::vector<std::uint8_t> FileBytes(const std::string& path);

class JobTest : public appserver::test::ServerTest {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string TablePath(const std::string& name) const { return taxDir_ + "/" + name; }
    // Rows of a server query, columns joined with '|' ("NULL" for null).
    std::vector<std::string> ServerRows(const std::string& sql) { return rows(sql); }

    std::string taxDir_;
};

// Joins with '|'.
std::string JoinRow(const std::vector<std::string>& values);
std::vector<std::string> Sorted(std::vector<std::string> rows);

}  // namespace jobs::test
