// The alias list: the process-wide table that turns a dataset's DatabaseName into a
// directory. Its first line is "Default Directory" (the running program's directory);
// every further line is NAME=DIRECTORY in upper case. The lines come from section
// "Alias" of "xbase.cfg" in the Windows directory, read once, and grow by one line for
// every new directory name a dataset is given.
#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace xbase {

class AliasList {
public:
    static constexpr std::string_view kDefaultDirectory = "Default Directory";

    // A list read from the "Alias" section of the INI file at `configHostPath` (a missing
    // file or section leaves only the first line).
    explicit AliasList(const std::string& configHostPath);

    // The process-wide list, read from "xbase.cfg" in the Windows directory on first use.
    static AliasList& Global();
    // Host path of the configuration file the process-wide list reads.
    static std::string ConfigPath();

    // The lines, first "Default Directory", then NAME=DIRECTORY.
    std::vector<std::string> Lines() const;
    // Whether `name` has a line (without regard to case).
    bool Contains(std::string_view name) const;
    // The directory of an alias; empty when there is none.
    std::string Value(std::string_view name) const;
    // Sets (or replaces) the line of `name`, upper-cased; an empty value adds nothing.
    void Set(std::string_view name, std::string_view value);

    // The name a DatabaseName assignment stores, registering a new directory name as
    // NAME=NAME: upper case, one trailing '\' removed; "Default Directory" in any case is
    // returned as given.
    std::string Register(std::string_view databaseName);
    // The directory a DatabaseName stands for, ending in a separator; empty for an empty
    // name (tables are then found relative to the current directory).
    std::string Resolve(std::string_view databaseName) const;

    static bool IsDefaultDirectory(std::string_view name);

private:
    struct Entry {
        std::string name;
        std::string value;
    };
    std::vector<Entry>::const_iterator Find(std::string_view upperName) const;

    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
};

}  // namespace xbase
