#include "xbase/dataset/AliasList.h"

#include <algorithm>

#include "platform/IniFile.h"
#include "platform/Paths.h"

namespace xbase {

namespace {

bool EqualNoCase(std::string_view a, std::string_view b) {
    auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return upper(x) == upper(y); });
}

// A host directory ends in '/', a Windows-style one in '\'.
std::string WithTrailingSeparator(std::string directory) {
    if (directory.empty()) return directory;
    char last = directory.back();
    if (last == '\\' || last == '/') return directory;
    bool hostStyle =
        directory.find('/') != std::string::npos && directory.find('\\') == std::string::npos;
    directory += hostStyle ? '/' : '\\';
    return directory;
}

}  // namespace

AliasList::AliasList(const std::string& configHostPath) {
    for (const auto& [key, value] : platform::ReadIniSection(configHostPath, "Alias")) {
        Set(key, value);
    }
}

std::string AliasList::ConfigPath() {
    std::string directory = platform::WindowsDirectory();
    if (directory.empty() || directory.back() != '/') directory += '/';
    return platform::ResolveHostPath(directory + "xbase.cfg");
}

AliasList& AliasList::Global() {
    static AliasList list(ConfigPath());
    return list;
}

bool AliasList::IsDefaultDirectory(std::string_view name) {
    return EqualNoCase(name, kDefaultDirectory);
}

std::vector<AliasList::Entry>::const_iterator AliasList::Find(std::string_view upperName) const {
    return std::find_if(entries_.begin(), entries_.end(),
                        [&](const Entry& entry) { return entry.name == upperName; });
}

std::vector<std::string> AliasList::Lines() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> lines{std::string(kDefaultDirectory)};
    for (const Entry& entry : entries_) lines.push_back(entry.name + "=" + entry.value);
    return lines;
}

bool AliasList::Contains(std::string_view name) const {
    if (IsDefaultDirectory(name)) return true;
    std::string upper = platform::UpperAscii(std::string(name));
    std::lock_guard lock(mutex_);
    return Find(upper) != entries_.end();
}

std::string AliasList::Value(std::string_view name) const {
    std::string upper = platform::UpperAscii(std::string(name));
    std::lock_guard lock(mutex_);
    auto it = Find(upper);
    return it == entries_.end() ? std::string() : it->value;
}

void AliasList::Set(std::string_view name, std::string_view value) {
    if (value.empty() || name.empty() || IsDefaultDirectory(name)) return;
    std::string upper = platform::UpperAscii(std::string(name));
    std::string upperValue = platform::UpperAscii(std::string(value));
    std::lock_guard lock(mutex_);
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [&](const Entry& entry) { return entry.name == upper; });
    if (it != entries_.end()) {
        it->value = std::move(upperValue);
    } else {
        entries_.push_back({std::move(upper), std::move(upperValue)});
    }
}

std::string AliasList::Register(std::string_view databaseName) {
    if (IsDefaultDirectory(databaseName)) return std::string(databaseName);
    std::string upper = platform::UpperAscii(std::string(databaseName));
    if (!upper.empty() && upper.back() == '\\') upper.pop_back();
    if (!upper.empty() && !Contains(upper)) Set(upper, upper);
    return upper;
}

std::string AliasList::Resolve(std::string_view databaseName) const {
    if (IsDefaultDirectory(databaseName))
        return WithTrailingSeparator(platform::ProgramDirectory());
    std::string directory = Value(databaseName);
    if (directory.empty()) directory = std::string(databaseName);
    return WithTrailingSeparator(directory);
}

}  // namespace xbase
