#include "TableTestSupport.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace tabletest {

int RecordLengthOf(const TableShape& layout) {
    if (layout.recordLengthOverride >= 0) return layout.recordLengthOverride;
    int length = 1;
    for (const FieldShape& f : layout.fields) length += f.length;
    return length;
}

int HeaderLengthOf(const TableShape& layout) {
    if (layout.headerLengthOverride >= 0) return layout.headerLengthOverride;
    int tail = layout.version == 0x30 ? 296 : 33;
    return 32 * static_cast<int>(layout.fields.size()) + tail;
}

std::vector<std::uint8_t> BuildTable(const TableShape& layout) {
    const int headerLength = HeaderLengthOf(layout);
    const int recordLength = RecordLengthOf(layout);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(headerLength), 0);
    auto put16 = [&](std::size_t at, int v) {
        bytes[at] = static_cast<std::uint8_t>(v);
        bytes[at + 1] = static_cast<std::uint8_t>(v >> 8);
    };
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    bytes[0] = layout.version;
    bytes[1] = 124;
    bytes[2] = 1;
    bytes[3] = 2;
    int count = layout.headerCountOverride >= 0 ? layout.headerCountOverride
                                                : static_cast<int>(layout.records.size());
    put32(4, static_cast<std::uint32_t>(count));
    put16(8, headerLength);
    put16(10, recordLength);
    bytes[28] = layout.flags;
    std::size_t at = 32;
    for (const FieldShape& f : layout.fields) {
        if (at + 32 > bytes.size()) break;
        for (std::size_t i = 0; i < f.name.size() && i < 11; ++i) bytes[at + i] = f.name[i];
        bytes[at + 11] = static_cast<std::uint8_t>(f.type);
        if (f.type == 'C') {
            put16(at + 16, f.length);
        } else {
            bytes[at + 16] = static_cast<std::uint8_t>(f.length);
            bytes[at + 17] = static_cast<std::uint8_t>(f.decimals);
        }
        at += 32;
    }
    if (at < bytes.size()) bytes[at] = 0x0D;
    for (const std::string& r : layout.records) {
        std::string record = layout.recordsHaveFlag ? r : " " + r;
        record.resize(static_cast<std::size_t>(recordLength), ' ');
        bytes.insert(bytes.end(), record.begin(), record.end());
    }
    if (layout.eofMark) bytes.push_back(0x1A);
    return bytes;
}

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

TableShape SimpleShape(const std::vector<std::string>& names) {
    TableShape layout;
    layout.fields = {{"NAME", 'C', 10, 0}, {"QTY", 'N', 8, 2}, {"FLAG", 'L', 1, 0}};
    for (const std::string& n : names) layout.records.push_back(Pad(n, 10) + "    1.50T");
    return layout;
}

pid_t Spawn(const std::function<int()>& body) {
    pid_t pid = ::fork();
    if (pid == 0) {
        int rc = 3;
        try {
            rc = body();
        } catch (...) {
            rc = 3;
        }
        ::_exit(rc);
    }
    return pid;
}

int ExitCode(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 255;
}

std::string Pad(const std::string& text, std::size_t width) {
    std::string out = text.substr(0, width);
    out.resize(width, ' ');
    return out;
}

}  // namespace tabletest
