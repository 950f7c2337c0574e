#include "MemoTestSupport.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <fstream>

#include "../table/TableTestSupport.h"
#include "xbase/file/ByteOrder.h"

namespace memotest {

namespace {

std::string MemoPath(xbase::MemoKind kind, const std::string& tableName) {
    std::string base = tableName.substr(0, tableName.find_last_of('.'));
    return base + (kind == xbase::MemoKind::FoxPro ? ".fpt" : ".dbt");
}

}  // namespace

void CreateEmptyMemo(xbase::MemoKind kind, const std::string& tableName, int blockSize) {
    using namespace xbase::byteorder;
    std::vector<std::uint8_t> header(512, 0);
    auto size = static_cast<std::uint32_t>(blockSize);
    std::uint32_t first = (512 + size - 1) / size;
    switch (kind) {
        case xbase::MemoKind::DBase3:
            PutLe32(header.data(), 1);
            break;
        case xbase::MemoKind::DBase4:
            PutLe32(header.data(), first);
            PutLe32(header.data() + 20, size);
            break;
        case xbase::MemoKind::FoxPro:
            PutBe32(header.data(), first);
            PutBe32(header.data() + 4, size);
            break;
        case xbase::MemoKind::None:
            return;
    }
    if (kind != xbase::MemoKind::FoxPro && size > 512) header.resize(size, 0);
    tabletest::WriteFile(MemoPath(kind, tableName), header);
}

std::unique_ptr<xbase::MemoFile> Open(xbase::MemoKind kind, const std::string& tableName,
                                      bool shared, int protocol) {
    xbase::MemoOptions options;
    options.tableName = tableName;
    options.tableVersion = kind == xbase::MemoKind::DBase3   ? 0x83
                           : kind == xbase::MemoKind::DBase4 ? 0x8B
                                                             : 0xF5;
    options.shared = shared;
    options.readWrite = true;
    options.lockProtocol = static_cast<xbase::LockProtocol>(protocol);
    return xbase::OpenMemoFile(kind, options);
}

std::string RunPython(const std::string& script) {
    char name[] = "/tmp/memo_peer_XXXXXX";
    int fd = mkstemp(name);
    EXPECT_GE(fd, 0);
    close(fd);
    {
        std::ofstream out(name);
        out << script;
    }
    std::string command = std::string("/usr/bin/python3 ") + name + " 2>&1";
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    EXPECT_NE(pipe, nullptr);
    if (pipe != nullptr) {
        std::array<char, 4096> chunk{};
        std::size_t got = 0;
        while ((got = fread(chunk.data(), 1, chunk.size(), pipe)) > 0)
            output.append(chunk.data(), got);
        int status = pclose(pipe);
        EXPECT_EQ(status, 0) << output;
    }
    unlink(name);
    return output;
}

void WritePeerMemoTables(const std::string& folder, const std::string& firstMemo) {
    static const char* digits = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : firstMemo) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    RunPython(
        "import dbf\n"
        "memo = bytes.fromhex('" +
        hex +
        "').decode('utf-8')\n"
        "for kind, name in (('db3', 't3'), ('fp', 'tf'), ('vfp', 'tv')):\n"
        "    t = dbf.Table('" +
        folder +
        "/' + name, 'NAME C(10); NOTES M', dbf_type=kind,\n"
        "                  codepage='cp936')\n"
        "    t.open(dbf.READ_WRITE)\n"
        "    t.append(('one', memo))\n"
        "    t.append(('two', ''))\n"
        "    t.close()\n");
}

std::string FromHex(const std::string& hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        out.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return out;
}

std::string Text(std::size_t n, unsigned seed) {
    std::string text(n, ' ');
    unsigned state = seed * 2654435761u + 12345u;
    for (std::size_t i = 0; i < n; ++i) {
        state = state * 1103515245u + 12345u;
        text[i] = static_cast<char>('A' + (state >> 16) % 26);
    }
    return text;
}

}  // namespace memotest
