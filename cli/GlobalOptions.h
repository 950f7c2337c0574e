// Options every taxbridge subcommand understands: drive mappings for Windows-style
// paths (--drive C=/srv/tax), the Windows directory that holds "xbase.cfg" and the
// process-wide OEM code page of the tables.
#pragma once

namespace CLI {
class App;
}

namespace cli {

// Registers the options; their values are applied as soon as they are parsed, before
// any subcommand runs.
void AddGlobalOptions(CLI::App& app);

}  // namespace cli
