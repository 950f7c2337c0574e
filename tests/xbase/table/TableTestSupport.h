// Test support: temporary directories and a tiny table writer that lays out the header,
// descriptors and records byte by byte, so tests never depend on the engine to make files.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "../../platform/TempDir.h"

namespace tabletest {

struct FieldShape {
    std::string name;
    char type = 'C';
    int length = 10;
    int decimals = 0;
};

struct TableShape {
    std::uint8_t version = 0x03;
    std::vector<FieldShape> fields;
    std::vector<std::string> records;  // each without deletion flag unless withFlag
    bool recordsHaveFlag = false;      // true: record strings start with the flag byte
    int headerCountOverride = -1;      // record count stored in the header (-1: real count)
    int headerLengthOverride = -1;
    int recordLengthOverride = -1;
    bool eofMark = true;
    std::uint8_t flags = 0;
};

// Builds the bytes of a table; records are padded or cut to the record length.
std::vector<std::uint8_t> BuildTable(const TableShape& layout);
int RecordLengthOf(const TableShape& layout);
int HeaderLengthOf(const TableShape& layout);

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> ReadFile(const std::string& path);

// A fresh directory under $TMPDIR (or /tmp), removed with everything in it.
using platform_test::TempDir;

// The common three-field table: NAME C(10), QTY N(8,2), FLAG L.
TableShape SimpleShape(const std::vector<std::string>& names);

// Forks a process that runs `body` and leaves with its result (3 for an exception).
pid_t Spawn(const std::function<int()>& body);
// Waits for the process; its exit code, 255 when it did not exit normally.
int ExitCode(pid_t pid);
inline int RunInChild(const std::function<int()>& body) { return ExitCode(Spawn(body)); }

// Pads or cuts text to width (left-aligned).
std::string Pad(const std::string& text, std::size_t width);

}  // namespace tabletest
