#include "cli/ConsoleReporter.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <iostream>

#include "cli/TextTable.h"
#include "jobs/GridText.h"

namespace cli {

ConsoleReporter::ConsoleReporter(OutputFormat format, std::string jobName)
    : format_(format), jobName_(std::move(jobName)) {}

ConsoleReporter::~ConsoleReporter() { ProgressStop(true); }

void ConsoleReporter::ProgressStart() {
    ProgressStop(true);
    if (!isatty(STDERR_FILENO)) return;
    running_ = true;
    ticker_ = std::thread([this] {
        static const char frames[] = {'|', '/', '-', '\\'};
        const auto start = std::chrono::steady_clock::now();
        for (unsigned step = 0; running_; ++step) {
            const auto seconds = std::chrono::duration_cast<std::chrono::duration<double>>(
                std::chrono::steady_clock::now() - start);
            std::fprintf(stderr, "\r%s %c %.1fs", jobName_.c_str(), frames[step % 4],
                         seconds.count());
            std::fflush(stderr);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        std::fprintf(stderr, "\r\033[K");
        std::fflush(stderr);
    });
}

void ConsoleReporter::ProgressStop(bool) {
    running_ = false;
    if (ticker_.joinable()) ticker_.join();
}

void ConsoleReporter::Grid(const std::string& key, const jobs::ResultView& view, bool asList) {
    const jobs::GridRows rows = jobs::ReadGrid(*view.dataset, view.columns);
    std::vector<std::string> captions;
    for (const jobs::GridColumn& column : view.columns) captions.push_back(column.caption);
    if (format_ == OutputFormat::Table) {
        if (!view.heading.empty()) std::cout << view.heading << '\n';
        PrintTable(std::cout, captions, rows);
        std::cout << '\n';
        return;
    }
    nlohmann::json grid = {{"heading", view.heading}, {"columns", nlohmann::json::array()}};
    for (const jobs::GridColumn& column : view.columns) {
        grid["columns"].push_back({{"field", column.field}, {"caption", column.caption}});
    }
    grid["rows"] = rows;
    if (key.empty()) {
        document_.update(grid);
    } else if (asList) {
        document_[key].push_back(grid);
    } else {
        document_[key] = grid;
    }
}

void ConsoleReporter::ShowResult(const jobs::ResultView& view) { Grid("", view); }

void ConsoleReporter::MessageBox(const std::string& text, const std::string& caption) {
    if (format_ == OutputFormat::Table) {
        std::cout << caption << ": " << text << '\n';
    } else {
        document_["messages"].push_back({{"caption", caption}, {"text", text}});
    }
}

void ConsoleReporter::Error(const std::string& message) {
    ProgressStop(false);
    failed_ = true;
    std::cerr << "taxbridge: " << message << '\n';
}

void ConsoleReporter::Notice(const std::string& text) {
    ProgressStop(false);
    std::cerr << "taxbridge: " << text << '\n';
}

void ConsoleReporter::Finish(std::ostream& out) const {
    if (format_ == OutputFormat::Json) out << document_.dump(2) << '\n';
}

}  // namespace cli
