// Test support for the taxbridge command: running the built program and the Debian
// python3 with its xBase modules, capturing output and exit status.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace clitest {

struct RunResult {
    int status = -1;  // exit status; -1 when the program did not exit normally
    std::string out;
    std::string err;
};

// Runs taxbridge with the arguments.
RunResult Taxbridge(const std::vector<std::string>& args);
// Runs `taxbridge table` with the arguments.
RunResult TableCommand(const std::vector<std::string>& args);
// Runs /usr/bin/python3 with a script (and arguments after it).
RunResult Python(const std::string& script, const std::vector<std::string>& args = {});
// Whether /usr/bin/python3 can import the module.
bool PythonHas(const std::string& module);

// Dump of a table as parsed JSON (fails the test when the command fails).
nlohmann::json DumpJson(const std::vector<std::string>& args);

// The four bytes of a little-endian 32-bit number, as binary fields store it.
std::string Le32(std::uint32_t value);

// Bytes given one per code point (the peer manifest's strings) as the UTF-8 text of
// those bytes in `encoding`, converted by iconv.
std::string LatinBytesAsUtf8(const std::string& latinView, const char* encoding);

}  // namespace clitest
