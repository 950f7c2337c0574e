// How the jobs talk to a person on the command line: a progress line on stderr while a
// job runs (only when stderr is a terminal), result grids printed as aligned tables or
// gathered as JSON, message boxes as "caption: text" lines, errors and notices on stderr.
#pragma once

#include <atomic>
#include <iosfwd>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>

#include "jobs/JobReporter.h"

namespace cli {

enum class OutputFormat { Table, Json };

class ConsoleReporter : public jobs::JobReporter {
public:
    ConsoleReporter(OutputFormat format, std::string jobName);
    ~ConsoleReporter() override;

    void ProgressStart() override;
    void ProgressStop(bool hideBar) override;
    void ShowResult(const jobs::ResultView& view) override;
    void MessageBox(const std::string& text, const std::string& caption) override;
    void Error(const std::string& message) override;
    // On stderr, whatever the output format.
    void Notice(const std::string& text) override;

    // Prints a grid (table format) or adds it to the JSON document: as the document itself
    // (empty key), under `key`, or appended to the list under `key` (asList).
    void Grid(const std::string& key, const jobs::ResultView& view, bool asList = false);
    nlohmann::json& Document() { return document_; }
    // Prints the JSON document (JSON format only).
    void Finish(std::ostream& out) const;
    bool Failed() const { return failed_; }

private:
    OutputFormat format_;
    std::string jobName_;
    nlohmann::json document_ = nlohmann::json::object();
    std::atomic<bool> running_{false};
    std::thread ticker_;
    bool failed_ = false;
};

}  // namespace cli
