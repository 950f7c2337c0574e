// Table locks as another process sees them: the exact byte of every protocol's record
// lock, append and file locks, nesting inside a file lock, refusals recorded at once,
// and share modes between processes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "../table/TableTestSupport.h"
#include "xbase/cursor/DbfHandler.h"
#include "xbase/file/EngineError.h"

using namespace tabletest;
using xbase::DbfHandler;

namespace {

// A handler whose first index slot counts as used.
class IndexedHandler : public DbfHandler {
public:
    using DbfHandler::DbfHandler;
    bool HasIndexFiles() const override { return true; }
};

// Asks another process which of the bytes are write-locked; bit i of the result is set
// when offsets[i] is.
int LockedBytesSeenByAnotherProcess(const std::string& path,
                                    const std::vector<std::uint64_t>& offsets) {
    return RunInChild([&] {
        int fd = ::open(path.c_str(), O_RDWR);
        if (fd < 0) return 255;
        int bits = 0;
        for (std::size_t i = 0; i < offsets.size(); ++i) {
            struct flock probe {};
            probe.l_type = F_WRLCK;
            probe.l_whence = SEEK_SET;
            probe.l_start = static_cast<off_t>(offsets[i]);
            probe.l_len = 1;
            if (::fcntl(fd, F_OFD_GETLK, &probe) != 0) return 254;
            if (probe.l_type != F_UNLCK) bits |= 1 << i;
        }
        ::close(fd);
        return bits;
    });
}

// Expects exactly the byte at `offset` (not its neighbours) to be locked.
void ExpectLockedExactlyAt(const std::string& path, std::uint64_t offset) {
    EXPECT_EQ(LockedBytesSeenByAnotherProcess(path, {offset - 1, offset, offset + 1}), 0b010)
        << "offset " << offset;
}

class LockTest : public ::testing::Test {
protected:
    LockTest() {
        path = dir.file("t.dbf");
        WriteFile(path, BuildTable(SimpleShape({"A", "B", "C"})));
    }
    TempDir dir;
    std::string path;
};

TEST_F(LockTest, RecordLockSitsAtTheProtocolsByte) {
    const std::uint64_t header = 129, record = 20, r = 3;
    struct Case {
        int protocol;
        bool indexed;
        std::uint64_t offset;
    } cases[] = {
        {0, false, 0x40000000u + header + (r - 1) * record},
        {0, true, 0x7FFFFFFEu - r},
        {3, false, 0x40000000u + header + (r - 1) * record},
        {3, true, 0x7FFFFFFEu - r},
        {1, false, 0xEFFFFFFFu - r - 1},
        {1, true, 0xEFFFFFFFu - r - 1},
        {2, false, 1000000000u + r},
        {2, true, 1000000000u + r},
    };
    for (const Case& c : cases) {
        std::unique_ptr<DbfHandler> table = c.indexed
                                                ? std::make_unique<IndexedHandler>(path, true, true)
                                                : std::make_unique<DbfHandler>(path, true, true);
        table->SetLockProtocol(static_cast<xbase::LockProtocol>(c.protocol));
        table->GoTo(3);
        ASSERT_TRUE(table->RecordLock());
        ExpectLockedExactlyAt(path, c.offset);
        ASSERT_TRUE(table->Unlock());
        EXPECT_EQ(LockedBytesSeenByAnotherProcess(path, {c.offset}), 0);
    }
}

TEST_F(LockTest, UnknownProtocolHasNoRecordLockAndKeepsItsNumbers) {
    DbfHandler table(path, true, true);
    table.SetLockProtocol(xbase::LockProtocol::ClipLock);
    table.SetLockProtocol(static_cast<xbase::LockProtocol>(4));
    EXPECT_EQ(table.Numbers().appendOffset, 1000000000u);
    table.GoTo(1);
    EXPECT_FALSE(table.RecordLock());
    EXPECT_EQ(table.LockNesting(), 0);
}

TEST_F(LockTest, AppendFileAndWholeFileLockRegions) {
    DbfHandler table(path, true, true);
    ASSERT_TRUE(table.AppendLock());
    ExpectLockedExactlyAt(path, 0x7FFFFFFEu);
    table.Unlock();

    ASSERT_TRUE(table.FileLock());
    EXPECT_EQ(LockedBytesSeenByAnotherProcess(
                  path, {0x3FFFFFFFu, 0x40000000u, 0x40000000u + 0x3FFFFFFEu, 0x7FFFFFFFu}),
              0b0110);
    table.Unlock();

    table.SetLockProtocol(xbase::LockProtocol::DB4Lock);
    ASSERT_TRUE(table.FileLock());
    EXPECT_EQ(LockedBytesSeenByAnotherProcess(path, {0x40000000u, 0xEFFFFFFFu, 0xF0000000u}),
              0b011);
    table.Unlock();

    ASSERT_TRUE(table.WholeFileLock());
    EXPECT_EQ(LockedBytesSeenByAnotherProcess(path, {0, 0x7FFFFFFEu, 0x7FFFFFFFu}), 0b011);
    table.Unlock();
}

TEST_F(LockTest, LocksNestInsideAFileLockAndDifferentRegionsAreRefused) {
    DbfHandler table(path, true, true);
    table.GoTo(1);
    ASSERT_TRUE(table.RecordLock());
    ASSERT_TRUE(table.RecordLock());
    EXPECT_EQ(table.LockNesting(), 2);
    table.GoTo(2);
    EXPECT_FALSE(table.RecordLock());
    EXPECT_EQ(table.LastError(), 33);
    EXPECT_FALSE(table.AppendLock());
    table.Unlock();
    table.Unlock();
    EXPECT_EQ(table.LockNesting(), 0);

    ASSERT_TRUE(table.FileLock());
    EXPECT_TRUE(table.AppendLock());
    EXPECT_TRUE(table.RecordLock());
    EXPECT_EQ(table.LockNesting(), 3);
    table.Unlock();
    table.Unlock();
    EXPECT_TRUE(table.FileLocked());
    table.Unlock();
    EXPECT_FALSE(table.FileLocked());
}

TEST_F(LockTest, RecordLockedByAnotherProcessIsRefusedAtOnce) {
    int ready[2], release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    pid_t pid = ::fork();
    if (pid == 0) {
        ::close(release[1]);
        ::close(ready[0]);
        int rc = 0;
        try {
            DbfHandler holder(path, true, true);
            holder.GoTo(2);
            rc = holder.RecordLock() ? 0 : 1;
            char c = 'x';
            if (::write(ready[1], &c, 1) != 1) rc = 2;
            ::read(release[0], &c, 1);  // until the parent closes its end
        } catch (...) {
            rc = 3;
        }
        ::_exit(rc);
    }
    ::close(ready[1]);
    ::close(release[0]);
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    DbfHandler table(path, true, true);
    table.GoTo(2);
    EXPECT_FALSE(table.RecordLock());
    EXPECT_EQ(table.LastError(), 33);
    EXPECT_EQ(xbase::LastEngineFileError(), 33);
    EXPECT_EQ(table.LockNesting(), 0);
    table.GoTo(1);
    EXPECT_TRUE(table.RecordLock());  // other records stay free
    table.Unlock();
    ::close(release[1]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    table.GoTo(2);
    EXPECT_TRUE(table.RecordLock());
    ::close(ready[0]);
}

TEST_F(LockTest, ExclusiveAndSharedOpensExcludeEachOther) {
    {
        DbfHandler shared(path, true, true);
        EXPECT_EQ(RunInChild([&] {
                      try {
                          DbfHandler exclusive(path, false, true);
                      } catch (const xbase::XBaseError& e) {
                          return e.code() == 32 && e.subcode() == 1107 ? 0 : 1;
                      }
                      return 2;
                  }),
                  0);
    }
    {
        DbfHandler exclusive(path, false, true);
        exclusive.GoTo(1);
        EXPECT_TRUE(exclusive.RecordLock());
        EXPECT_EQ(LockedBytesSeenByAnotherProcess(path, {0x40000000u + 129}), 0);
        EXPECT_EQ(RunInChild([&] {
                      try {
                          DbfHandler shared(path, true, false);
                      } catch (const xbase::XBaseError& e) {
                          return e.code() == 32 ? 0 : 1;
                      }
                      return 2;
                  }),
                  0);
    }
    EXPECT_EQ(RunInChild([&] {
                  DbfHandler shared(path, true, false);
                  return shared.RecordCount() == 3 ? 0 : 1;
              }),
              0);
}

}  // namespace

TEST(RecordLockSet, IsHeldWholeOrNotAtAllAndItsRecordsDeleteWithoutAnotherLock) {
    TempDir dir;
    const std::string path = dir.file("t.dbf");
    WriteFile(path, BuildTable(SimpleShape({"A", "B", "C"})));
    const std::uint64_t first = 0x40000000u + 129, record = 20;
    const std::vector<std::uint64_t> bytes = {first, first + record, first + 2 * record};
    DbfHandler table(path, true, true);
    DbfHandler other(path, true, true);  // another open file: its locks conflict
    other.GoTo(3);
    ASSERT_TRUE(other.RecordLock());
    EXPECT_EQ(table.LockRecords({1, 2, 3}), 3);
    EXPECT_EQ(table.LastError(), 33);
    EXPECT_EQ(LockedBytesSeenByAnotherProcess(path, bytes), 0b100);  // 1 and 2 given back
    other.Unlock();

    EXPECT_EQ(table.LockRecords({1, 2, 3}), 0);
    EXPECT_EQ(LockedBytesSeenByAnotherProcess(path, bytes), 0b111);
    other.GoTo(2);
    EXPECT_FALSE(other.RecordLock());
    table.GoTo(2);
    table.DeleteRecord();
    EXPECT_TRUE(table.AppendRecord());  // the append lock is another byte
    EXPECT_EQ(table.LockNesting(), 0);
    EXPECT_EQ(LockedBytesSeenByAnotherProcess(path, bytes), 0b111);
    table.UnlockRecords();
    EXPECT_EQ(LockedBytesSeenByAnotherProcess(path, bytes), 0);
    DbfHandler after(path, true, false);
    after.GoTo(2);
    EXPECT_TRUE(after.RecordDeleted());
    EXPECT_EQ(after.RecordCount(), 4);
}
