#include "cli/GlobalOptions.h"

#include <CLI/CLI.hpp>
#include <cctype>
#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "platform/Paths.h"

namespace cli {

namespace {

void ApplyDrive(const std::string& mapping) {
    std::size_t eq = mapping.find('=');
    bool letter = eq == 1 || (eq == 2 && mapping[1] == ':');
    if (!letter || !std::isalpha(static_cast<unsigned char>(mapping[0])) ||
        eq + 1 >= mapping.size()) {
        throw CLI::ValidationError("--drive", "expected LETTER=DIRECTORY, got '" + mapping + "'");
    }
    platform::SetDriveRoot(static_cast<char>(std::toupper(static_cast<unsigned char>(mapping[0]))),
                           mapping.substr(eq + 1));
}

}  // namespace

void AddGlobalOptions(CLI::App& app) {
    app.add_option_function<std::vector<std::string>>(
           "--drive",
           [](const std::vector<std::string>& mappings) {
               for (const std::string& mapping : mappings) ApplyDrive(mapping);
           },
           "Map a drive letter of Windows-style paths to a directory, e.g. C=/srv/tax "
           "(repeatable)")
        ->type_name("LETTER=DIR")
        ->allow_extra_args(false);
    app.add_option_function<std::string>(
           "--windows-dir",
           [](const std::string& directory) { platform::SetWindowsDirectory(directory); },
           "Directory holding xbase.cfg (the alias list)")
        ->type_name("DIR");
    app.add_option_function<std::string>(
           "--oem-codepage",
           [](const std::string& codePage) { platform::SetOemCodePage(codePage); },
           "Code page of the text in the tables for every table (default CP936)")
        ->type_name("CP");
}

}  // namespace cli
