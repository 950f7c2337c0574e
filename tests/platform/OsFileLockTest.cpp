// Byte-range locks as another process sees them: exact regions at the engine's offsets
// (above 2 GiB too), refusal at once with 33, locks owned by the open file rather than
// the process, and conflicts with the classic fcntl() locks of other xBase programs.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "ChildProcess.h"
#include "TempDir.h"
#include "platform/OsFile.h"

using platform::OsFile;
using platform_test::HoldingChild;
using platform_test::runInChild;
using platform_test::TempDir;

namespace {

// The engine's lock regions.
constexpr std::uint64_t kAppendDefault = 0x7FFFFFFE;
constexpr std::uint64_t kAppendDb4 = 0xEFFFFFFF;
constexpr std::uint64_t kFileLockBase = 0x40000000;
constexpr std::uint64_t kFileLockLengthDefault = 0x3FFFFFFF;
constexpr std::uint64_t kFileLockLengthDb4 = 0xB0000000;
constexpr std::uint64_t kRecord1Default = 1073741985;  // base + header length 161
constexpr std::uint64_t kWholeFileLength = 0x7FFFFFFF;

enum class Probe { Classic, OpenFileDescription };

struct flock region(short type, std::uint64_t offset, std::uint64_t length) {
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(offset);
    fl.l_len = static_cast<off_t>(length);
    return fl;
}

// Whether a write lock on one byte at `offset` would be refused, asked by another
// process with F_GETLK (classic locks) or F_OFD_GETLK.
bool lockedForOthers(const std::string& path, std::uint64_t offset, Probe probe = Probe::Classic) {
    const int result = runInChild([&] {
        const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        if (fd < 0) return 10;
        struct flock fl = region(F_WRLCK, offset, 1);
        if (::fcntl(fd, probe == Probe::Classic ? F_GETLK : F_OFD_GETLK, &fl) != 0) return 11;
        return fl.l_type == F_UNLCK ? 0 : 1;
    });
    EXPECT_TRUE(result == 0 || result == 1) << "probe failed with " << result;
    return result == 1;
}

// Takes a classic fcntl() write lock, as another xBase program would; 0 when granted.
// The lock lasts as long as the calling process.
int takeClassicLock(const std::string& path, std::uint64_t offset, std::uint64_t length) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    struct flock fl = region(F_WRLCK, offset, length);
    return fd >= 0 && ::fcntl(fd, F_SETLK, &fl) == 0 ? 0 : 1;
}

class OsFileLock : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = dir_.write("fa_piao.dbf", std::string(1024, ' '));
        ASSERT_EQ(file_.Open(path_, true, true), 0);
    }

    TempDir dir_;
    std::string path_;
    OsFile file_;
};

}  // namespace

TEST_F(OsFileLock, AppendLockIsExactlyOneByteAtTheAppendOffset) {
    ASSERT_EQ(file_.Lock(kAppendDefault, 1), 0);
    EXPECT_TRUE(lockedForOthers(path_, kAppendDefault));
    EXPECT_TRUE(lockedForOthers(path_, kAppendDefault, Probe::OpenFileDescription));
    EXPECT_FALSE(lockedForOthers(path_, kAppendDefault - 1));
    EXPECT_FALSE(lockedForOthers(path_, kAppendDefault + 1));
    ASSERT_EQ(file_.Unlock(kAppendDefault, 1), 0);
    EXPECT_FALSE(lockedForOthers(path_, kAppendDefault));
}

TEST_F(OsFileLock, RegionsAboveTwoGigabytesAreExact) {
    ASSERT_EQ(file_.Lock(kAppendDb4, 1), 0);
    EXPECT_TRUE(lockedForOthers(path_, kAppendDb4));
    EXPECT_FALSE(lockedForOthers(path_, kAppendDb4 - 1));
    EXPECT_FALSE(lockedForOthers(path_, kAppendDb4 + 1));
    ASSERT_EQ(file_.Unlock(kAppendDb4, 1), 0);

    // The dBase IV file lock runs from 1 GiB to 3.75 GiB.
    ASSERT_EQ(file_.Lock(kFileLockBase, kFileLockLengthDb4), 0);
    EXPECT_FALSE(lockedForOthers(path_, kFileLockBase - 1));
    EXPECT_TRUE(lockedForOthers(path_, kFileLockBase));
    EXPECT_TRUE(lockedForOthers(path_, kFileLockBase + kFileLockLengthDb4 - 1));
    EXPECT_FALSE(lockedForOthers(path_, kFileLockBase + kFileLockLengthDb4));
}

TEST_F(OsFileLock, RecordLockAtBasePlusRecordPosition) {
    ASSERT_EQ(file_.Lock(kRecord1Default, 1), 0);
    EXPECT_TRUE(lockedForOthers(path_, kRecord1Default));
    EXPECT_FALSE(lockedForOthers(path_, kRecord1Default + 1));
    EXPECT_FALSE(lockedForOthers(path_, kRecord1Default - 1));
}

TEST_F(OsFileLock, FileAndWholeFileRegions) {
    ASSERT_EQ(file_.Lock(kFileLockBase, kFileLockLengthDefault), 0);
    EXPECT_TRUE(lockedForOthers(path_, kFileLockBase + kFileLockLengthDefault - 1));
    EXPECT_FALSE(lockedForOthers(path_, kFileLockBase + kFileLockLengthDefault));
    ASSERT_EQ(file_.Unlock(kFileLockBase, kFileLockLengthDefault), 0);

    ASSERT_EQ(file_.Lock(0, kWholeFileLength), 0);
    EXPECT_TRUE(lockedForOthers(path_, 0));
    EXPECT_TRUE(lockedForOthers(path_, kWholeFileLength - 1));
    EXPECT_FALSE(lockedForOthers(path_, kWholeFileLength));
}

TEST_F(OsFileLock, RegionHeldByAnotherProcessIsRefusedAtOnceWith33) {
    HoldingChild other([&] {
        static OsFile held;  // stays open, with its lock, until the child exits
        if (held.Open(path_, true, true) != 0) return 1;
        return held.Lock(kRecord1Default, 1) != 0 ? 2 : 0;
    });
    ASSERT_EQ(other.ready(), 0);
    EXPECT_EQ(file_.Lock(kRecord1Default, 1), 33);
    EXPECT_EQ(file_.Lock(kFileLockBase, kFileLockLengthDefault), 33);  // overlaps the record
    EXPECT_EQ(file_.Lock(kRecord1Default + 1, 1), 0);                  // the next record is free
    other.release();
    EXPECT_EQ(file_.Lock(kRecord1Default, 1), 0);
}

TEST_F(OsFileLock, ClassicLocksOfOtherProgramsConflict) {
    ASSERT_EQ(file_.Lock(kAppendDefault, 1), 0);
    EXPECT_EQ(runInChild([&] { return takeClassicLock(path_, kAppendDefault, 1); }), 1);
    EXPECT_EQ(runInChild([&] { return takeClassicLock(path_, kAppendDefault + 1, 1); }), 0);

    HoldingChild other([&] { return takeClassicLock(path_, kRecord1Default, 1); });
    ASSERT_EQ(other.ready(), 0);
    EXPECT_EQ(file_.Lock(kRecord1Default, 1), 33);
}

TEST_F(OsFileLock, TwoOpenFilesInOneProcessExcludeEachOther) {
    OsFile second;
    ASSERT_EQ(second.Open(path_, true, true), 0);
    ASSERT_EQ(file_.Lock(kAppendDefault, 1), 0);
    EXPECT_EQ(second.Lock(kAppendDefault, 1), 33);
    ASSERT_EQ(file_.Unlock(kAppendDefault, 1), 0);
    EXPECT_EQ(second.Lock(kAppendDefault, 1), 0);
    EXPECT_EQ(file_.Lock(kAppendDefault, 1), 33);
}

TEST_F(OsFileLock, ClosingAnotherOpenFileOfTheSameFileKeepsTheLock) {
    ASSERT_EQ(file_.Lock(kRecord1Default, 1), 0);
    {
        OsFile second;
        ASSERT_EQ(second.Open(path_, true, true), 0);
        second.Close();
    }
    {
        OsFile third;
        ASSERT_EQ(third.Open(path_, false, true), 0);
    }  // destroyed
    EXPECT_TRUE(lockedForOthers(path_, kRecord1Default));
}

TEST_F(OsFileLock, ClosingTheFileReleasesItsLocks) {
    ASSERT_EQ(file_.Lock(kRecord1Default, 1), 0);
    file_.Close();
    EXPECT_FALSE(lockedForOthers(path_, kRecord1Default));
}

TEST_F(OsFileLock, ReadOnlyFileTakesALockThatExcludesWriters) {
    OsFile reader;
    ASSERT_EQ(reader.Open(path_, false, true), 0);
    ASSERT_EQ(reader.Lock(kRecord1Default, 1), 0);
    EXPECT_EQ(file_.Lock(kRecord1Default, 1), 33);
    EXPECT_TRUE(lockedForOthers(path_, kRecord1Default));
    ASSERT_EQ(reader.Unlock(kRecord1Default, 1), 0);
    EXPECT_EQ(file_.Lock(kRecord1Default, 1), 0);
}

TEST_F(OsFileLock, ZeroLengthRegionLocksNothing) {
    EXPECT_EQ(file_.Lock(5, 0), 0);
    EXPECT_FALSE(lockedForOthers(path_, 5));
    EXPECT_FALSE(lockedForOthers(path_, 1000000));
    EXPECT_EQ(file_.Unlock(5, 0), 0);
}

TEST_F(OsFileLock, RegionPastTheLargestOffsetIsInvalid) {
    EXPECT_EQ(file_.Lock(0x7FFFFFFFFFFFFFFFULL, 2), 87);
    EXPECT_EQ(file_.Lock(0xFFFFFFFFFFFFFFFFULL, 1), 87);
}
