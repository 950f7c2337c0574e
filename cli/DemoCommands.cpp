// taxbridge demo init DIR [--load-server [--server NAME]]: writes the demo tax-control
// machine folder (the five tables in GBK, matching the sales system's demo data) into a
// directory, and on request loads the demo sales data into a sales server.
#include <CLI/CLI.hpp>
#include <iostream>
#include <string>

#include "appserver/DemoData.h"
#include "cli/CommandGroups.h"
#include "jobs/MachineTables.h"
#include "jobs/demo/DemoMachineFolder.h"

namespace cli {

void AddDemoCommands(CLI::App& app) {
    static std::string directory;
    static std::string server;
    static bool loadServer = false;
    CLI::App* demo = app.add_subcommand("demo", "The demo data");
    demo->require_subcommand(1);
    CLI::App* init = demo->add_subcommand(
        "init",
        "Write the demo tax-control machine folder (FA_PIAO.dbf, fpadd.dbf, ke_hu.dbf, "
        "BANK.dbf, detail.dbf) into DIR; point drive C: at DIR's parent so that "
        "c:\\tax is DIR");
    init->add_option("DIR", directory, "Directory to write the tables into")->required();
    init->add_flag("--load-server", loadServer,
                   "Also replace the sales server's data with the matching demo sales data");
    init->add_option("--server", server,
                     "Server computer name for --load-server (default: the embedded database)")
        ->type_name("NAME");
    init->callback([] {
        jobs::demo::WriteDemoMachineFolder(directory);
        for (const char* table : {jobs::kInvoiceTable, jobs::kInvoiceLineTable,
                                  jobs::kCustomerTable, jobs::kBankTable, jobs::kProductTable}) {
            std::cout << directory << '/' << table << '\n';
        }
        if (loadServer) {
            appserver::initDemo(server);
            std::cout << "demo sales data loaded into "
                      << (server.empty() ? "the embedded database" : "server " + server) << '\n';
        }
    });
}

}  // namespace cli
