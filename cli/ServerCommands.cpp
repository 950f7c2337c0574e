// taxbridge server init-demo [--server NAME]: replaces a sales server's data with the demo
// sales data (the embedded database when no name is given; it is created on first use).
#include <CLI/CLI.hpp>
#include <iostream>
#include <string>

#include "appserver/DemoData.h"
#include "cli/CommandGroups.h"

namespace cli {

void addServerCommands(CLI::App& app) {
    static std::string server;
    CLI::App* group = app.add_subcommand("server", "The sales server");
    group->require_subcommand(1);
    CLI::App* init = group->add_subcommand(
        "init-demo", "Replace the sales server's data with the demo sales data");
    init->add_option("--server", server,
                     "Server computer name (default: the embedded database)")
        ->type_name("NAME");
    init->callback([] {
        appserver::initDemo(server);
        std::cout << "demo sales data loaded into "
                  << (server.empty() ? "the embedded database" : "server " + server) << '\n';
    });
}

}  // namespace cli
