// The subcommand groups of the taxbridge command. Each group lives in its own file and
// registers its subcommands on the application; main.cpp calls every add... function.
// A new group adds its declaration here and its call in main.cpp.
#pragma once

namespace CLI {
class App;
}

namespace cli {

// taxbridge table info|dump|append|set|delete|recall (TableCommands.cpp)
void addTableCommands(CLI::App& app);
// taxbridge table create (TableCreate.cpp), registered by addTableCommands
void addTableCreateCommand(CLI::App& tableGroup);

// taxbridge index list|walk|seek|create|reindex|check (IndexCommands.cpp)
void addIndexCommands(CLI::App& app);

// taxbridge customers|products|invoices (JobCommands.cpp)
void addJobCommands(CLI::App& app);

// taxbridge demo init (DemoCommands.cpp)
void addDemoCommands(CLI::App& app);

// taxbridge server init|init-demo (ServerCommands.cpp)
void addServerCommands(CLI::App& app);

}  // namespace cli
