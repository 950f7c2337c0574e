// The taxbridge command: parses the global options, hands the command line to the
// subcommand groups and turns every failure into a message on stderr and exit status 1.
#include <CLI/CLI.hpp>
#include <exception>
#include <iostream>

#include "cli/CommandGroups.h"
#include "cli/GlobalOptions.h"

namespace {

// The message and, after " (", the message of each failure that caused it.
void PrintFailure(const std::exception& e) {
    std::cerr << e.what();
    try {
        std::rethrow_if_nested(e);
    } catch (const std::exception& cause) {
        std::cerr << " (";
        PrintFailure(cause);
        std::cerr << ")";
    } catch (...) {
    }
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"taxbridge: look into and fix the tax machine's dBase tables, run the jobs"};
    app.require_subcommand(1);
    // Global options may also follow the subcommand ("table dump --drive C=... FILE").
    app.fallthrough();
    cli::AddGlobalOptions(app);
    cli::AddTableCommands(app);
    cli::AddIndexCommands(app);
    cli::AddJobCommands(app);
    cli::AddDemoCommands(app);
    cli::AddServerCommands(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    } catch (const std::exception& e) {
        std::cerr << "taxbridge: ";
        PrintFailure(e);
        std::cerr << '\n';
        return 1;
    } catch (...) {
        std::cerr << "taxbridge: unknown failure\n";
        return 1;
    }
    return 0;
}
