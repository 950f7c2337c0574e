// Appends, replaces, deletion flags and the header rewrite, byte by byte.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "../table/TableTestSupport.h"
#include "platform/Clock.h"
#include "xbase/cursor/DbfHandler.h"
#include "xbase/file/EngineError.h"

using namespace tabletest;
using xbase::DbfHandler;
namespace move = xbase::move;

namespace {

std::uint32_t At32(const std::vector<std::uint8_t>& b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | b[at + i];
    return v;
}

class WriteTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetFixedTime(platform::LocalTime{2008, 3, 3, 10, 20, 30, 400});
    }
    void TearDown() override { platform::SetFixedTime(std::nullopt); }
    std::string Write(const TableShape& layout, const std::string& name = "t.dbf") {
        std::string path = dir.file(name);
        WriteFile(path, BuildTable(layout));
        return path;
    }
    static void AppendName(DbfHandler& table, const std::string& name) {
        table.BlankRecord();
        table.PutFieldText("NAME", name);
        ASSERT_TRUE(table.AppendRecord());
    }
    TempDir dir;
};

TEST_F(WriteTest, HeaderRewriteWritesDateCountStampUserAndFlags) {
    TableShape layout = SimpleShape({"1", "2", "3", "4", "5", "6", "7"});
    layout.headerCountOverride = 5;
    layout.flags = 0xF9;
    std::vector<std::uint8_t> before = BuildTable(layout);
    before[29] = 0x4D;  // language byte, carried through
    before[13] = 0x55;  // uninterpreted, carried through
    before[25] = 0x66;
    WriteFile(dir.file("t.dbf"), before);
    {
        DbfHandler table(dir.file("t.dbf"), true, true);
        // The flags name a production index that is not there: writing is asked for.
        table.SetIgnoreProductionIndex(true);
        table.SetUserId(7);
        table.GoTo(1);
        table.ReplaceRecord(1);
    }
    std::vector<std::uint8_t> after = ReadFile(dir.file("t.dbf"));
    EXPECT_EQ(after[0], 0x03);
    EXPECT_EQ(after[1], 8);
    EXPECT_EQ(after[2], 3);
    EXPECT_EQ(after[3], 3);
    EXPECT_EQ(At32(after, 4), 7u);
    EXPECT_EQ(after[15], 0);
    EXPECT_EQ(At32(after, 16), ((10u * 64 + 20) * 64 + 30) * 1024 + 400);
    EXPECT_EQ(At32(after, 20), 7u);
    EXPECT_EQ(after[28], 0x01);
    EXPECT_EQ(after[29], 0x4D);
    EXPECT_EQ(after[13], 0x55);
    EXPECT_EQ(after[25], 0x66);
    EXPECT_EQ(std::vector<std::uint8_t>(after.begin() + 32, after.end()),
              std::vector<std::uint8_t>(before.begin() + 32, before.end()));
}

TEST_F(WriteTest, AppendWritesRecordAndEndMarkThenRewritesTheHeader) {
    std::string path = Write(SimpleShape({"A", "B"}));
    DbfHandler table(path, true, true);
    AppendName(table, "C");
    EXPECT_EQ(table.CurrentRecord(), 3);
    EXPECT_FALSE(table.Eof());
    std::vector<std::uint8_t> bytes = ReadFile(path);
    ASSERT_EQ(bytes.size(), 129u + 3 * 20 + 1);
    EXPECT_EQ(bytes.back(), 0x1A);
    EXPECT_EQ(std::string(bytes.begin() + 129 + 40, bytes.begin() + 129 + 60),
              " C             0.00 ");
    EXPECT_EQ(At32(bytes, 4), 3u);
    EXPECT_EQ(bytes[1], 8);
}

TEST_F(WriteTest, AppendOverwritesATornRemainder) {
    std::vector<std::uint8_t> bytes = BuildTable(SimpleShape({"A", "B"}));
    bytes.back() = 'x';  // the end mark replaced by half a record
    for (int i = 0; i < 7; ++i) bytes.push_back('x');
    WriteFile(dir.file("t.dbf"), bytes);
    DbfHandler table(dir.file("t.dbf"), true, true);
    EXPECT_EQ(table.RecordCount(), 2);
    AppendName(table, "C");
    std::vector<std::uint8_t> after = ReadFile(dir.file("t.dbf"));
    ASSERT_EQ(after.size(), 129u + 3 * 20 + 1);
    EXPECT_EQ(after[129 + 40], ' ');
    EXPECT_EQ(after.back(), 0x1A);
}

TEST_F(WriteTest, AppendFromACallersBufferStillEndsWithTheMark) {
    std::string path = Write(SimpleShape({"A"}));
    DbfHandler table(path, true, true);
    std::vector<std::uint8_t> row(20, ' ');
    std::memcpy(row.data() + 1, "OWN", 3);
    table.UseRecordBuffer(row.data());
    ASSERT_TRUE(table.AppendRecord());
    table.UseRecordBuffer(nullptr);
    std::vector<std::uint8_t> bytes = ReadFile(path);
    ASSERT_EQ(bytes.size(), 129u + 2 * 20 + 1);
    EXPECT_EQ(std::string(bytes.begin() + 149, bytes.begin() + 153), " OWN");
    EXPECT_EQ(bytes.back(), 0x1A);
}

TEST_F(WriteTest, ReplaceWritesInPlaceWithoutAnEndMark) {
    TableShape layout = SimpleShape({"A", "B"});
    layout.eofMark = false;
    std::string path = Write(layout);
    DbfHandler table(path, true, true);
    table.GoTo(2);
    table.PutFieldText("NAME", "Z");
    ASSERT_TRUE(table.ReplaceRecord(2));
    EXPECT_TRUE(table.RecordWritten());
    std::vector<std::uint8_t> bytes = ReadFile(path);
    ASSERT_EQ(bytes.size(), 129u + 2 * 20);
    EXPECT_EQ(bytes[149 + 1], 'Z');
}

TEST_F(WriteTest, DeleteAndRecallChangeOnlyTheFlag) {
    std::string path = Write(SimpleShape({"A", "B"}));
    DbfHandler table(path, true, true);
    table.GoTo(2);
    table.DeleteRecord();
    EXPECT_EQ(ReadFile(path)[149], '*');
    EXPECT_EQ(table.LockNesting(), 0);  // the lock taken for the change is given back
    table.RecallRecord();
    EXPECT_EQ(ReadFile(path)[149], ' ');
}

TEST_F(WriteTest, DeletingADeletedRecordWritesNothing) {
    std::string path = Write(SimpleShape({"A"}));
    DbfHandler table(path, true, true);
    table.GoTo(1);
    table.DeleteRecord();
    std::vector<std::uint8_t> before = ReadFile(path);
    platform::SetFixedTime(platform::LocalTime{2011, 5, 6, 1, 2, 3, 4});
    table.DeleteRecord();
    EXPECT_EQ(ReadFile(path), before);
}

TEST_F(WriteTest, DeleteKeepsAnotherUsersChangeMadeAfterTheRead) {
    std::string path = Write(SimpleShape({"A", "B"}));
    DbfHandler mine(path, true, true);
    DbfHandler theirs(path, true, true);
    mine.GoTo(1);
    theirs.GoTo(1);
    theirs.PutFieldText("NAME", "THEIRS");
    theirs.ReplaceRecord(1);
    mine.DeleteRecord();
    std::vector<std::uint8_t> bytes = ReadFile(path);
    EXPECT_EQ(std::string(bytes.begin() + 129, bytes.begin() + 136), "*THEIRS");
}

TEST_F(WriteTest, DeleteRefusedWhileTheRecordIsLockedElsewhere) {
    std::string path = Write(SimpleShape({"A", "B"}));
    DbfHandler mine(path, true, true);
    DbfHandler theirs(path, true, true);
    theirs.GoTo(1);
    ASSERT_TRUE(theirs.RecordLock());
    mine.GoTo(1);
    try {
        mine.DeleteRecord();
        FAIL() << "deleted a record locked elsewhere";
    } catch (const xbase::XBaseError& e) {
        EXPECT_EQ(e.code(), 33);
    }
    EXPECT_EQ(ReadFile(path)[129], ' ');
    // Holding the lock itself, the table writes the flag.
    theirs.DeleteRecord();
    EXPECT_EQ(ReadFile(path)[129], '*');
    EXPECT_EQ(theirs.LockNesting(), 1);
}

TEST_F(WriteTest, AppendLockHeldHereUnderAnotherRegionFailsAtOnce) {
    std::string path = Write(SimpleShape({"A"}));
    DbfHandler table(path, true, true);
    table.GoTo(1);
    ASSERT_TRUE(table.RecordLock());
    table.BlankRecord();
    EXPECT_THROW(table.AppendRecord(), xbase::XBaseError);
    EXPECT_EQ(ReadFile(path).size(), 129u + 20 + 1);
    EXPECT_EQ(table.RecordCount(), 1);
}

TEST_F(WriteTest, AppendWaitsForAnAppendLockHeldBriefly) {
    std::string path = Write(SimpleShape({"A"}));
    DbfHandler holder(path, true, true);
    ASSERT_TRUE(holder.AppendLock());
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        holder.Unlock();
    });
    DbfHandler table(path, true, true);
    table.BlankRecord();
    bool appended = table.AppendRecord();
    release.join();
    EXPECT_TRUE(appended);
    EXPECT_EQ(table.RecordCount(), 2);
}

TEST_F(WriteTest, AppendGivesUpAfterBoundedRetriesAndWritesNothing) {
    std::string path = Write(SimpleShape({"A"}));
    DbfHandler holder(path, true, true);
    ASSERT_TRUE(holder.AppendLock());
    DbfHandler table(path, true, true);
    table.BlankRecord();
    try {
        table.AppendRecord();
        FAIL() << "appended without the append lock";
    } catch (const xbase::XBaseError& e) {
        EXPECT_EQ(e.code(), 33);
        EXPECT_EQ(std::string(e.what()).rfind("Record locked by another user - ", 0), 0u);
    }
    EXPECT_EQ(ReadFile(path).size(), 129u + 20 + 1);
}

TEST_F(WriteTest, ExclusiveAppendsLeaveTheSameBytesAsSharedOnes) {
    TableShape layout = SimpleShape({"A", "B"});
    layout.headerCountOverride = 1;
    std::vector<std::uint8_t> bytes = BuildTable(layout);
    bytes.back() = 'q';  // a torn tail both must overwrite
    WriteFile(dir.file("s.dbf"), bytes);
    WriteFile(dir.file("e.dbf"), bytes);
    for (const char* name : {"s.dbf", "e.dbf"}) {
        DbfHandler table(dir.file(name), name[0] == 's', true);
        table.SetUserId(3);
        for (int i = 0; i < 30000; ++i) AppendName(table, "R" + std::to_string(i));
        // Reading back in the middle sees what was appended.
        table.GoTo(1000);
        EXPECT_EQ(table.GetFieldText("NAME"), "R997");
        for (int i = 0; i < 10; ++i) AppendName(table, "S" + std::to_string(i));
    }
    std::vector<std::uint8_t> shared = ReadFile(dir.file("s.dbf"));
    std::vector<std::uint8_t> exclusive = ReadFile(dir.file("e.dbf"));
    EXPECT_EQ(shared.size(), 129u + 30012u * 20 + 1);
    EXPECT_TRUE(shared == exclusive);
}

TEST_F(WriteTest, AutoFlushAndHeaderHeldBackDuringAFileLock) {
    std::string path = Write(SimpleShape({"A"}));
    DbfHandler table(path, true, true);
    table.SetAutoFlush(true);
    ASSERT_TRUE(table.FileLock());
    AppendName(table, "B");
    EXPECT_EQ(At32(ReadFile(path), 4), 1u);  // header waits for the file lock
    EXPECT_TRUE(table.HeaderDirty());
    ASSERT_TRUE(table.Unlock());
    EXPECT_EQ(At32(ReadFile(path), 4), 2u);
    EXPECT_FALSE(table.FileLocked());
}

}  // namespace
