// INI section reading with plain stdio; the files are small configuration files.
#include "platform/IniFile.h"

#include <cstdio>
#include <string_view>

namespace platform {

namespace {

std::string_view Trimmed(std::string_view text) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

std::string ReadWholeFile(const std::string& path) {
    std::string content;
    FILE* file = std::fopen(path.c_str(), "rbe");
    if (!file) return content;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) content.append(buffer, n);
    std::fclose(file);
    return content;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> ReadIniSection(const std::string& hostPath,
                                                                const std::string& section) {
    std::vector<std::pair<std::string, std::string>> entries;
    const std::string content = ReadWholeFile(hostPath);
    std::string_view rest = content;
    if (rest.substr(0, 3) == "\xEF\xBB\xBF") rest.remove_prefix(3);  // UTF-8 byte order mark

    const std::string_view wanted = Trimmed(section);
    bool inSection = false;
    bool sectionSeen = false;
    while (!rest.empty()) {
        const auto end = rest.find('\n');
        const std::string_view line = Trimmed(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            if (inSection) break;  // the first section of that name is the one read
            const auto close = line.find(']');
            const std::string_view name = Trimmed(
                line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1));
            inSection = !sectionSeen && equalsIgnoringAsciiCase(name, wanted);
            sectionSeen = sectionSeen || inSection;
            continue;
        }
        if (!inSection) continue;
        const auto equals = line.find('=');
        std::string_view key = Trimmed(line.substr(0, equals));
        std::string_view value = equals == std::string_view::npos
                                     ? std::string_view()
                                     : Trimmed(line.substr(equals + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        if (key.empty()) continue;
        entries.emplace_back(std::string(key), std::string(value));
    }
    return entries;
}

}  // namespace platform
