// Several processes appending to one shared table at once, with a reader scanning it
// meanwhile: no record number is taken twice, no record is torn, the file ends right.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "../table/TableTestSupport.h"
#include "xbase/cursor/DbfHandler.h"

using namespace tabletest;
using xbase::DbfHandler;
namespace move = xbase::move;

namespace {

constexpr int kWriters = 4;
constexpr int kAppendsEach = 5000;

std::string RecordId(int writer, int i) {
    return "W" + std::to_string(writer) + "-" + std::to_string(i);
}

// A record is whole when both copies of its id agree and the number matches it.
bool RecordIsWhole(DbfHandler& table) {
    if (table.RecordDeleted()) return false;
    std::string id = table.GetFieldText(1);
    if (id.empty() || id != table.GetFieldText(2)) return false;
    std::size_t dash = id.find('-');
    if (dash == std::string::npos) return false;
    return std::stod(id.substr(dash + 1)) == table.GetFieldNumber(3);
}

int AppendAll(const std::string& path, int writer) {
    DbfHandler table(path, true, true);
    for (int i = 0; i < kAppendsEach; ++i) {
        table.BlankRecord();
        std::string id = RecordId(writer, i);
        table.PutFieldText(1, id);
        table.PutFieldText(2, id);
        table.PutFieldNumber(3, i);
        if (!table.AppendRecord()) return 1;
    }
    return 0;
}

// Scans until the stop file appears, then once more; alternates read-ahead on and off.
int ScanUntilStopped(const std::string& path, const std::string& stopFile) {
    DbfHandler table(path, true, false);
    bool readAhead = false;
    for (;;) {
        bool last = std::filesystem::exists(stopFile);
        table.SetReadAhead(readAhead);
        readAhead = !readAhead;
        for (table.GoTo(move::First); !table.Eof(); table.GoTo(move::Next)) {
            if (!RecordIsWhole(table)) return 10;
        }
        if (last) return table.RecordCount() == kWriters * kAppendsEach ? 0 : 11;
    }
}

TEST(ConcurrencyTest, FourProcessesAppendingWhileOneReadsKeepEveryRecord) {
    TempDir dir;
    TableShape layout;
    layout.fields = {{"ID", 'C', 10, 0}, {"COPY", 'C', 10, 0}, {"N", 'N', 6, 0}};
    std::string path = dir.file("shared.dbf");
    WriteFile(path, BuildTable(layout));
    std::string stopFile = dir.file("stop");

    pid_t reader = Spawn([&] { return ScanUntilStopped(path, stopFile); });
    std::vector<pid_t> writers;
    for (int w = 0; w < kWriters; ++w)
        writers.push_back(Spawn([&, w] { return AppendAll(path, w); }));
    for (pid_t pid : writers) EXPECT_EQ(ExitCode(pid), 0);
    WriteFile(stopFile, {1});
    EXPECT_EQ(ExitCode(reader), 0);

    std::vector<std::uint8_t> bytes = ReadFile(path);
    const std::size_t header = 32 + 3 * 32 + 1, record = 27, total = kWriters * kAppendsEach;
    ASSERT_EQ(bytes.size(), header + total * record + 1);
    EXPECT_EQ(bytes.back(), 0x1A);
    std::uint32_t headerCount = bytes[4] | bytes[5] << 8 | bytes[6] << 16 | bytes[7] << 24;
    EXPECT_EQ(headerCount, total);

    DbfHandler table(path, true, false);
    table.SetReadAhead(true);
    std::set<std::string> ids;
    int whole = 0;
    for (table.GoTo(move::First); !table.Eof(); table.GoTo(move::Next)) {
        if (RecordIsWhole(table)) ++whole;
        ids.insert(table.GetFieldText(1));
    }
    EXPECT_EQ(whole, static_cast<int>(total));
    EXPECT_EQ(ids.size(), total);
    for (int w = 0; w < kWriters; ++w) {
        EXPECT_TRUE(ids.count(RecordId(w, 0)) && ids.count(RecordId(w, kAppendsEach - 1)));
    }
}

}  // namespace
