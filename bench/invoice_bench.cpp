// Invoice read-in of 10,000 invoices with 50,000 lines against the embedded SQLite
// server, beside the floor: the same statement texts executed with the SQLite C API in
// one transaction (prepare, step, finalize each), on the same database.
//
// Run: build/<dir>/bench/invoice_bench
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <array>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "appserver/DemoData.h"
#include "appserver/OracleDialect.h"
#include "appserver/ServerDirectory.h"
#include "appserver/SqliteFunctions.h"
#include "jobs/DateContext.h"
#include "jobs/HostParameters.h"
#include "jobs/InvoiceReadIn.h"
#include "jobs/JobReporter.h"
#include "jobs/Statements.h"
#include "jobs/demo/DemoMachineFolder.h"
#include "jobs/demo/MachineLayouts.h"
#include "platform/Paths.h"
#include "xbase/dataset/XBaseDataSet.h"

namespace {

constexpr int kInvoices = 10000;
constexpr int kLinesPerInvoice = 5;

class SilentReporter : public jobs::JobReporter {
public:
    void ProgressStart() override {}
    void ProgressStop(bool) override {}
    void ShowResult(const jobs::ResultView&) override {}
    void MessageBox(const std::string&, const std::string&) override {}
    void Error(const std::string& message) override { throw std::runtime_error(message); }
};

// A machine folder with kInvoices invoices of one day, each with its line list, and an
// embedded sales server of its own.
struct Workload {
    std::string root;
    std::string taxDir;
    std::string database;
    platform::CivilDate day = jobs::demo::DemoDay(0);

    Workload() {
        std::string tmpl =
            (std::filesystem::temp_directory_path() / "tb_invoice_bench_XXXXXX").string();
        if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
        root = tmpl;
        taxDir = root + "/c/tax";
        std::filesystem::create_directories(taxDir);
        platform::SetDriveRoot('C', root + "/c");
        setenv("XDG_DATA_HOME", root.c_str(), 1);
        setenv("TAXBRIDGE_SERVERS_CONF", (root + "/servers.conf").c_str(), 1);
        jobs::hostParameters().ServerComputerName.clear();
        appserver::initDemo("");
        database = appserver::ServerConfig::embeddedDatabasePath();

        jobs::demo::DbfWriter invoices(jobs::demo::InvoiceLayout());
        jobs::demo::DbfWriter lines(jobs::demo::InvoiceLineLayout());
        const auto demo = appserver::demo::machineInvoices();
        for (int n = 0; n < kInvoices; ++n) {
            appserver::demo::MachineInvoice invoice =
                demo[static_cast<std::size_t>(n) % demo.size()];
            char number[16];
            std::snprintf(number, sizeof number, "%08d", 10000000 + n);
            invoice.number = number;
            while (invoice.lines.size() < kLinesPerInvoice)
                invoice.lines.push_back(invoice.lines.front());
            invoice.lines.resize(kLinesPerInvoice);
            invoices.AddRecord(jobs::demo::InvoiceRecord(invoice, day));
            for (const auto& line : jobs::demo::InvoiceLineRecords(invoice)) lines.AddRecord(line);
        }
        invoices.Write(taxDir + "/FA_PIAO.dbf");
        lines.Write(taxDir + "/fpadd.dbf");
    }
    ~Workload() { std::filesystem::remove_all(root); }

    // The statement texts the read-in sends, built once from the tables.
    std::vector<std::string> Statements(bool edit = false) const {
        std::vector<std::string> out;
        xbase::XBaseDataSet table;
        table.SetDatabaseName("c:\\tax");
        table.SetTableName("FA_PIAO.dbf");
        table.Open();
        std::array<std::string, jobs::kInvoiceFieldCount> invoice;
        for (; !table.Eof(); table.Next()) {
            if (edit) table.Edit();
            for (std::size_t i = 0; i < invoice.size(); ++i) {
                invoice[i] = table.FieldByName(jobs::kInvoiceFields[i]).AsString();
            }
            out.push_back(jobs::InvoiceInsert(invoice));
        }
        table.Close();
        table.SetTableName("fpadd.dbf");
        table.Open();
        std::array<std::string, jobs::kLineFieldCount> line;
        for (; !table.Eof(); table.Next()) {
            for (std::size_t i = 0; i < line.size(); ++i) {
                line[i] = table.FieldByName(jobs::kLineFields[i]).AsString();
            }
            out.push_back(jobs::LineInsert(line));
        }
        return out;
    }
};

Workload& workload() {
    static Workload w;
    return w;
}

void BM_InvoiceReadIn(benchmark::State& state) {
    Workload& w = workload();
    SilentReporter reporter;
    for (auto _ : state) {
        jobs::DateContext window;
        window.FormShow(reporter);
        jobs::ReadInOutcome outcome = jobs::InvoiceReadIn(window, w.day, reporter);
        if (!outcome.committed || outcome.invoices != kInvoices) {
            state.SkipWithError("the read-in did not copy every invoice");
        }
    }
    state.counters["statements"] = kInvoices * (1 + kLinesPerInvoice);
}

void Exec(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr) !=
            SQLITE_OK ||
        sqlite3_step(stmt) != SQLITE_DONE) {
        std::string message = sqlite3_errmsg(db);
        sqlite3_finalize(stmt);
        throw std::runtime_error(message + ": " + sql.substr(0, 80));
    }
    sqlite3_finalize(stmt);
}

void BM_RawSqliteSameStatements(benchmark::State& state) {
    Workload& w = workload();
    const std::vector<std::string> inserts = w.Statements();
    auto native = [](const char* oracle) {
        return appserver::adaptOracleSql(oracle, appserver::SqlTarget::Sqlite).sql;
    };
    const std::string truncateInvoices = native(jobs::kTruncateFaPiao);
    const std::string truncateLines = native(jobs::kTruncateFaAdd);
    const std::string orphans = native(jobs::kDeleteOrphanLines);
    sqlite3* db = nullptr;
    if (sqlite3_open(w.database.c_str(), &db) != SQLITE_OK) {
        state.SkipWithError("cannot open the database");
        return;
    }
    appserver::registerOracleFunctions(db);
    for (auto _ : state) {
        Exec(db, truncateInvoices);
        Exec(db, truncateLines);
        Exec(db, "BEGIN");
        for (const std::string& sql : inserts) Exec(db, sql);
        Exec(db, orphans);
        Exec(db, "COMMIT");
    }
    sqlite3_close(db);
    state.counters["statements"] = static_cast<double>(inserts.size());
}

// Only the reading: every invoice put in edit state and read, every line read.
void BM_ReadTablesOnly(benchmark::State& state) {
    workload();
    for (auto _ : state) {
        benchmark::DoNotOptimize(workload().Statements(true));
    }
}

// Only the server side's dialect adaptation of the same statements, for comparison.
void BM_AdaptSameStatements(benchmark::State& state) {
    const std::vector<std::string> inserts = workload().Statements();
    for (auto _ : state) {
        for (const std::string& sql : inserts) {
            benchmark::DoNotOptimize(appserver::adaptOracleSql(sql, appserver::SqlTarget::Sqlite));
        }
    }
}

BENCHMARK(BM_InvoiceReadIn)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RawSqliteSameStatements)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_AdaptSameStatements)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReadTablesOnly)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
