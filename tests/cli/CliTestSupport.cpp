#include "cli/CliTestSupport.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <iconv.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "xbase/table/TableTestSupport.h"

extern char** environ;

namespace clitest {

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

RunResult Run(const std::vector<std::string>& argv) {
    tabletest::TempDir dir;
    std::string outPath = dir.file("out");
    std::string errPath = dir.file("err");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    RunResult result;
    int rc = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        result.err = "cannot start " + argv[0];
        return result;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadAll(outPath);
    result.err = ReadAll(errPath);
    return result;
}

}  // namespace

RunResult Taxbridge(const std::vector<std::string>& args) {
    std::vector<std::string> argv{TAXBRIDGE_CLI};
    argv.insert(argv.end(), args.begin(), args.end());
    return Run(argv);
}

RunResult Python(const std::string& script, const std::vector<std::string>& args) {
    std::vector<std::string> argv{"/usr/bin/python3", "-c", script};
    argv.insert(argv.end(), args.begin(), args.end());
    return Run(argv);
}

RunResult TableCommand(const std::vector<std::string>& args) {
    std::vector<std::string> all{"table"};
    all.insert(all.end(), args.begin(), args.end());
    return Taxbridge(all);
}

std::string Le32(std::uint32_t value) {
    std::string bytes;
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>(value >> (8 * i));
    return bytes;
}

bool PythonHas(const std::string& module) { return Python("import " + module).status == 0; }

nlohmann::json DumpJson(const std::vector<std::string>& args) {
    std::vector<std::string> all{"table", "dump"};
    all.insert(all.end(), args.begin(), args.end());
    RunResult result = Taxbridge(all);
    EXPECT_EQ(result.status, 0) << result.err;
    if (result.status != 0) return nlohmann::json::array();
    return nlohmann::json::parse(result.out);
}

std::string LatinBytesAsUtf8(const std::string& latinView, const char* encoding) {
    // UTF-8 code points below 256 back to single bytes.
    std::string bytes;
    for (std::size_t i = 0; i < latinView.size(); ++i) {
        auto c = static_cast<unsigned char>(latinView[i]);
        if (c < 0x80) {
            bytes += static_cast<char>(c);
        } else {
            auto next = static_cast<unsigned char>(latinView[++i]);
            bytes += static_cast<char>(((c & 0x03) << 6) | (next & 0x3F));
        }
    }
    iconv_t cd = iconv_open("UTF-8", encoding);
    std::string out(bytes.size() * 4 + 4, '\0');
    char* in = bytes.data();
    char* to = out.data();
    std::size_t inLeft = bytes.size();
    std::size_t outLeft = out.size();
    iconv(cd, &in, &inLeft, &to, &outLeft);
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

}  // namespace clitest
