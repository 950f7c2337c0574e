// POSIX implementation of Windows-style path names: drive mapping, full-path expansion
// and case-insensitive resolution of host files.
#include "platform/Paths.h"

#include <dirent.h>
#include <limits.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace platform {

namespace {

std::mutex settingsMutex;
std::array<std::optional<std::string>, 26> driveOverrides;
std::optional<std::string> windowsDirectoryOverride;

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char UpperChar(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
char LowerChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (UpperChar(a[i]) != UpperChar(b[i])) return false;
    return true;
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string WithoutTrailingSlashes(std::string dir) {
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    return dir;
}

std::string HomeDirectory() {
    std::string home = Environment("HOME");
    if (!home.empty()) return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/tmp";
}

// $XDG_<kind>_HOME, or the home directory's fallback for it.
std::string XdgDirectory(const char* variable, const char* fallbackUnderHome) {
    std::string dir = Environment(variable);
    if (!dir.empty() && dir.front() == '/') return WithoutTrailingSlashes(dir);
    return WithoutTrailingSlashes(HomeDirectory()) + "/" + fallbackUnderHome;
}

std::string CurrentDirectory() {
    std::vector<char> buffer(PATH_MAX);
    for (;;) {
        if (::getcwd(buffer.data(), buffer.size())) return buffer.data();
        if (errno != ERANGE) return "/";
        buffer.resize(buffer.size() * 2);
    }
}

// Splits on both separators, dropping empty and "." components and folding "..".
// A ".." at the root stays at the root.
std::vector<std::string> NormalizedComponents(std::string_view path) {
    std::vector<std::string> parts;
    std::size_t i = 0;
    while (i < path.size()) {
        while (i < path.size() && IsSeparator(path[i])) ++i;
        std::size_t end = i;
        while (end < path.size() && !IsSeparator(path[end])) ++end;
        const std::string_view part = path.substr(i, end - i);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.emplace_back(part);
        }
        i = end;
    }
    return parts;
}

std::string JoinComponents(std::string root, const std::vector<std::string>& parts, char separator,
                           bool trailingSeparator) {
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (!root.empty() && root.back() != separator) root += separator;
        root += parts[i];
    }
    if (trailingSeparator && !parts.empty()) root += separator;
    return root;
}

bool HasDrive(std::string_view name) {
    return name.size() >= 2 && IsAsciiLetter(name[0]) && name[1] == ':';
}

// The directory entry of `directory` whose name equals `name` without regard to ASCII
// case; of several such entries the smallest name wins, so the choice is stable.
std::optional<std::string> FindEntryIgnoringCase(const std::string& directory,
                                                 const std::string& name) {
    DIR* dir = ::opendir(directory.empty() ? "." : directory.c_str());
    if (!dir) return std::nullopt;
    std::optional<std::string> best;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view candidate(entry->d_name);
        if (equalsIgnoringAsciiCase(candidate, name) && (!best || candidate < *best))
            best = std::string(candidate);
    }
    ::closedir(dir);
    return best;
}

}  // namespace

std::string UpperAscii(std::string text) {
    for (char& c : text) c = UpperChar(c);
    return text;
}

std::string DriveRoot(char letter) {
    const char upper = UpperChar(letter);
    if (upper < 'A' || upper > 'Z') return {};
    {
        std::lock_guard<std::mutex> guard(settingsMutex);
        if (const auto& root = driveOverrides[static_cast<std::size_t>(upper - 'A')]) return *root;
    }
    const std::string variable = std::string("TAXBRIDGE_DRIVE_") + upper;
    std::string fromEnvironment = Environment(variable.c_str());
    if (!fromEnvironment.empty()) return WithoutTrailingSlashes(fromEnvironment);
    return XdgDirectory("XDG_DATA_HOME", ".local/share") + "/taxbridge/drive_" + LowerChar(upper);
}

void SetDriveRoot(char letter, const std::string& hostDirectory) {
    const char upper = UpperChar(letter);
    if (upper < 'A' || upper > 'Z') return;
    std::lock_guard<std::mutex> guard(settingsMutex);
    auto& slot = driveOverrides[static_cast<std::size_t>(upper - 'A')];
    if (hostDirectory.empty())
        slot.reset();
    else
        slot = WithoutTrailingSlashes(hostDirectory);
}

std::string ExpandPath(const std::string& name) {
    if (name.empty()) return {};
    // Taken as given: UNC-like names and names with a colon past the drive position.
    const auto colon = name.find(':');
    if (name.find("\\\\") != std::string::npos || (colon != std::string::npos && colon > 1))
        return name;

    const bool trailing = IsSeparator(name.back());
    if (HasDrive(name)) {
        // "c:\tax\x.dbf" and "c:x.dbf" alike are taken from the drive's root.
        std::string root{UpperChar(name[0]), ':', '\\'};
        return JoinComponents(root, NormalizedComponents(std::string_view(name).substr(2)), '\\',
                              trailing);
    }
    if (name.front() == '/' || name.front() == '\\') {
        // A host path; a name rooted with '\' is rooted at the host's root as well,
        // the drive of the (host) current directory.
        return JoinComponents("/", NormalizedComponents(name), '/', trailing);
    }
    return JoinComponents("/", NormalizedComponents(CurrentDirectory() + "/" + name), '/',
                          trailing);
}

std::string ExpandFullPath(const std::string& name) { return UpperAscii(ExpandPath(name)); }

std::string ResolveHostPath(const std::string& fullPath) {
    std::string host;
    std::string_view rest = fullPath;
    if (HasDrive(fullPath)) {
        host = DriveRoot(fullPath[0]);
        if (host.empty()) host = "/";
        rest.remove_prefix(2);
    } else if (!fullPath.empty() && IsSeparator(fullPath.front())) {
        host = "/";
    }
    // A ".." never climbs above the drive's directory (or the host root).
    const std::vector<std::string> parts = NormalizedComponents(rest);

    bool parentExists = true;
    for (const std::string& part : parts) {
        std::string exact = host;
        if (!exact.empty() && exact.back() != '/') exact += '/';
        exact += part;
        if (parentExists) {
            struct stat st {};
            if (::lstat(exact.c_str(), &st) == 0) {
                host = std::move(exact);
                continue;
            }
            if (auto match = FindEntryIgnoringCase(host, part)) {
                if (!host.empty() && host.back() != '/') host += '/';
                host += *match;
                continue;
            }
            parentExists = false;
        }
        // Missing from here on: kept as written, so a file about to be created gets the
        // name the caller gave.
        host = std::move(exact);
    }
    if (host.empty()) host = ".";
    return host;
}

std::string ProgramDirectory() {
    std::vector<char> buffer(PATH_MAX);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) return CurrentDirectory();
        if (static_cast<std::size_t>(n) < buffer.size()) {
            std::string exe(buffer.data(), static_cast<std::size_t>(n));
            const auto slash = exe.find_last_of('/');
            if (slash == std::string::npos) return CurrentDirectory();
            return slash == 0 ? std::string("/") : exe.substr(0, slash);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string WindowsDirectory() {
    {
        std::lock_guard<std::mutex> guard(settingsMutex);
        if (windowsDirectoryOverride) return *windowsDirectoryOverride;
    }
    std::string fromEnvironment = Environment("TAXBRIDGE_WINDIR");
    if (!fromEnvironment.empty()) return WithoutTrailingSlashes(fromEnvironment);
    return XdgDirectory("XDG_CONFIG_HOME", ".config") + "/taxbridge";
}

void SetWindowsDirectory(const std::string& hostDirectory) {
    std::lock_guard<std::mutex> guard(settingsMutex);
    if (hostDirectory.empty())
        windowsDirectoryOverride.reset();
    else
        windowsDirectoryOverride = WithoutTrailingSlashes(hostDirectory);
}

}  // namespace platform
