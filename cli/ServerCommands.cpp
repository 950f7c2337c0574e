// taxbridge server init|init-demo [--server NAME]: makes a sales server ready for the
// jobs (the embedded database when no name is given). The jobs themselves never create a
// database: they would copy an empty sales system onto the machine.
#include <CLI/CLI.hpp>
#include <iostream>
#include <string>

#include "appserver/DemoData.h"
#include "appserver/ServerDirectory.h"
#include "cli/CommandGroups.h"

namespace cli {

namespace {

std::string ServerText(const std::string& server) {
    return server.empty() ? "the embedded database" : "server " + server;
}

void AddServerOption(CLI::App& command, std::string& server) {
    command.add_option("--server", server, "Server computer name (default: the embedded database)")
        ->type_name("NAME");
}

}  // namespace

void AddServerCommands(CLI::App& app) {
    static std::string initServer;
    static std::string demoServer;
    CLI::App* group = app.add_subcommand("server", "The sales server");
    group->require_subcommand(1);

    CLI::App* init = group->add_subcommand(
        "init", "Create the sales database and its empty sales schema where they are missing");
    AddServerOption(*init, initServer);
    init->callback([] {
        const std::unique_ptr<appserver::Backend> db = appserver::createServer(initServer);
        std::cout << "sales schema ready in " << db->describe() << '\n';
    });

    CLI::App* demo = group->add_subcommand(
        "init-demo", "Replace the sales server's data with the demo sales data");
    AddServerOption(*demo, demoServer);
    demo->callback([] {
        appserver::initDemo(demoServer);
        std::cout << "demo sales data loaded into " << ServerText(demoServer) << '\n';
    });
}

}  // namespace cli
