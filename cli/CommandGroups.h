// The subcommand groups of the taxbridge command. Each group lives in its own file and
// registers its subcommands on the application; main.cpp calls every add... function.
// A new group adds its declaration here and its call in main.cpp.
#pragma once

namespace CLI {
class App;
}

namespace cli {

// taxbridge table info|dump|append|set|delete|recall (TableCommands.cpp)
void AddTableCommands(CLI::App& app);
// taxbridge table create (TableCreate.cpp), registered by AddTableCommands
void AddTableCreateCommand(CLI::App& tableGroup);

// taxbridge index list|walk|seek|create|reindex|check (IndexCommands.cpp)
void AddIndexCommands(CLI::App& app);

// taxbridge customers|products|invoices (JobCommands.cpp)
void AddJobCommands(CLI::App& app);

// taxbridge demo init (DemoCommands.cpp)
void AddDemoCommands(CLI::App& app);

// taxbridge server init|init-demo (ServerCommands.cpp)
void AddServerCommands(CLI::App& app);

}  // namespace cli
