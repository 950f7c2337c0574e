// taxbridge customers|products|invoices: the three jobs without windows. Each prints what
// its window shows (the refresh result grid; the check window's invoice list and, with
// --lines, each invoice's line comparison) as an aligned table or as JSON.
#include <CLI/CLI.hpp>
#include <ctime>
#include <iostream>
#include <stdexcept>
#include <string>

#include "cli/CommandGroups.h"
#include "cli/ConsoleReporter.h"
#include "jobs/CheckContext.h"
#include "jobs/CustomerRefresh.h"
#include "jobs/DateContext.h"
#include "jobs/GridColumns.h"
#include "jobs/HostParameters.h"
#include "jobs/InvoiceReadIn.h"
#include "jobs/MainContext.h"
#include "jobs/ProductRefresh.h"
#include "jobs/ReadInDate.h"
#include "jobs/TableRefill.h"
#include "platform/Clock.h"
#include "platform/DateText.h"

namespace cli {

namespace {

struct JobArgs {
    std::string server;
    std::string format = "table";
    std::string date;
    bool lines = false;
    bool allowEmpty = false;
};

OutputFormat FormatOf(const JobArgs& args) {
    return args.format == "json" ? OutputFormat::Json : OutputFormat::Table;
}

CLI::App* AddJobCommand(CLI::App& app, const char* name, const char* description, JobArgs& args) {
    CLI::App* command = app.add_subcommand(name, description);
    command
        ->add_option("--server", args.server,
                     "Server computer name from the server configuration (default: the "
                     "embedded database)")
        ->type_name("NAME");
    command->add_option("--format", args.format, "Output: table or json")
        ->check(CLI::IsMember({"table", "json"}));
    return command;
}

// The job ends with a failure the job has already reported.
[[noreturn]] void failReported() { throw CLI::RuntimeError(1); }

template <typename Job>
void RunRefresh(const JobArgs& args, const char* title, Job job) {
    jobs::hostParameters().ServerComputerName = args.server;
    ConsoleReporter reporter(FormatOf(args), title);
    jobs::MainContext main;
    if (!main.FormShow(reporter)) failReported();
    jobs::RefreshOptions options;
    options.allowEmpty = args.allowEmpty;
    try {
        job(main, reporter, options);
    } catch (const jobs::EmptyRefreshError& e) {
        throw std::runtime_error(std::string(e.what()) +
                                 " Run with --allow-empty to empty it on purpose.");
    }
    reporter.Finish(std::cout);
}

CLI::App* AddRefreshCommand(CLI::App& app, const char* name, const char* description,
                            JobArgs& args) {
    CLI::App* command = AddJobCommand(app, name, description, args);
    command->add_flag("--allow-empty", args.allowEmpty,
                      "Empty the machine's table when the sales system returns no rows for it");
    return command;
}

platform::CivilDate Today() {
    const platform::LocalTime now = platform::LocalNow();
    return {now.year, now.month, now.day};
}

platform::CivilDate DateOf(const std::string& text) {
    if (text.empty()) return Today();
    auto date = platform::ParseDate(text, "yyyy-mm-dd", '-');
    if (!date || text.size() != 10) {
        throw CLI::ValidationError("--date", "expected YYYY-MM-DD, got '" + text + "'");
    }
    return *date;
}

void RunInvoices(const JobArgs& args) {
    const platform::CivilDate date = DateOf(args.date);
    jobs::hostParameters().ServerComputerName = args.server;
    ConsoleReporter reporter(FormatOf(args), "发票读入");
    jobs::DateContext window;
    if (!window.FormShow(reporter)) failReported();
    jobs::CheckContext check;
    reporter.ProgressStart();
    const jobs::ReadInOutcome outcome = jobs::InvoiceReadIn(window, date, reporter);
    reporter.ProgressStop(true);
    if (!outcome.committed) failReported();
    nlohmann::json& doc = reporter.Document();
    doc["date"] = jobs::ReadInDate();
    doc["invoicesSent"] = outcome.invoices;
    doc["linesSent"] = outcome.lines;
    if (FormatOf(args) == OutputFormat::Table) {
        std::cout << "读入日期 " << jobs::ReadInDate() << ": " << outcome.invoices << " invoices, "
                  << outcome.lines << " invoice lines sent\n\n";
    }
    reporter.ProgressStart();
    if (!check.FormShow(reporter)) failReported();
    check.FormActivate(reporter);
    reporter.ProgressStop(true);
    reporter.Grid("invoices",
                  {"核对正确数据", jobs::InvoiceListColumns(), &check.cds_gstsker_dhao});
    if (args.lines) {
        for (check.cds_gstsker_dhao.First(); !check.cds_gstsker_dhao.Eof();
             check.cds_gstsker_dhao.Next()) {
            check.InvoiceClick();
            const std::string heading =
                check.cds_gstsker_dhao.FieldByName("FP_NO").AsString() + " / " +
                check.cds_gstsker_dhao.FieldByName("FP_NO10").AsString() + "  " +
                check.cds_gstsker_dhao.FieldByName("FP_DW").AsString();
            reporter.Grid("lines", {heading, jobs::InvoiceLineColumns(), &check.CDS_GSVSKER_SLBJ},
                          true);
        }
    }
    reporter.Finish(std::cout);
}

}  // namespace

void AddJobCommands(CLI::App& app) {
    static JobArgs customers, products, invoices;
    AddRefreshCommand(app, "customers",
                      "Customer refresh: upload ke_hu.dbf and BANK.dbf, then write the sales "
                      "system's customers and bank accounts into them",
                      customers)
        ->callback([] { RunRefresh(customers, "客户刷新", jobs::CustomerRefresh); });
    AddRefreshCommand(app, "products",
                      "Product refresh: upload detail.dbf, then write the sales system's "
                      "cigarettes at their current prices into it",
                      products)
        ->callback([] { RunRefresh(products, "商品刷新", jobs::ProductRefresh); });
    CLI::App* command = AddJobCommand(
        app, "invoices",
        "Invoice read-in: copy one day's invoices and their lines to the sales server and "
        "list them beside the sales system's figures",
        invoices);
    command->add_option("--date", invoices.date, "The day to read in (default: today)")
        ->type_name("YYYY-MM-DD");
    command->add_flag("--lines", invoices.lines, "Also list each invoice's line comparison");
    command->callback([] { RunInvoices(invoices); });
}

}  // namespace cli
