// Disk files: short reads, truncation rights, naming, create and rename, the lock
// region rules, and the open-file list that releases everything at unload.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>

#include "../table/TableTestSupport.h"
#include "platform/Paths.h"
#include "xbase/cursor/DbfHandler.h"
#include "xbase/file/DiskFile.h"
#include "xbase/file/EngineError.h"
#include "xbase/file/OpenFileList.h"

using namespace tabletest;
using xbase::DiskFile;
using xbase::XBaseError;

namespace {

// True when some other open file holds a lock on the byte at `offset`.
bool ByteLockedElsewhere(const std::string& path, std::uint64_t offset) {
    int fd = ::open(path.c_str(), O_RDWR);
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = static_cast<off_t>(offset);
    probe.l_len = 1;
    ::fcntl(fd, F_OFD_GETLK, &probe);
    ::close(fd);
    return probe.l_type != F_UNLCK;
}

class DiskFileTest : public ::testing::Test {
protected:
    DiskFileTest() { WriteFile(dir.file("f.bin"), std::vector<std::uint8_t>(64, 'a')); }
    TempDir dir;
};

TEST_F(DiskFileTest, ReadPastTheEndReturnsShortWithoutError) {
    DiskFile file(dir.file("f.bin"), true, false);
    file.DiskOpen();
    char buffer[32];
    EXPECT_EQ(file.DiskRead(64, buffer, 32), 0u);
    EXPECT_EQ(file.LastError(), 221);
    EXPECT_EQ(file.DiskRead(60, buffer, 32), 4u);
    EXPECT_EQ(file.DiskRead(0, buffer, 32), 32u);
    EXPECT_EQ(file.LastError(), 0);
    EXPECT_EQ(file.Position(), 32u);
}

TEST_F(DiskFileTest, TruncateNeedsTheWholeFileLockWhenShared) {
    DiskFile file(dir.file("f.bin"), true, true);
    file.DiskOpen();
    try {
        file.DiskTruncate(10);
        FAIL();
    } catch (const XBaseError& e) {
        EXPECT_EQ(e.code(), 5);
        EXPECT_EQ(e.subcode(), 1109);
    }
    ASSERT_TRUE(file.LockWholeFileIfShared());
    file.DiskTruncate(10);
    EXPECT_EQ(file.DiskSize(), 10u);

    DiskFile exclusive(dir.file("g.bin"), false, true);
    exclusive.DiskCreate();
    exclusive.DiskWrite(0, "abcdef", 6);
    exclusive.DiskTruncate(2);
    EXPECT_EQ(exclusive.DiskSize(), 2u);
}

TEST_F(DiskFileTest, RelativeNamesExpandAgainstTheCurrentDirectory) {
    char cwd[PATH_MAX];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(::chdir(dir.path().c_str()), 0);
    DiskFile file("data.dbf", true, true);
    file.DiskCreate();
    ASSERT_EQ(::chdir(cwd), 0);
    EXPECT_EQ(file.FullPath().rfind(platform::UpperAscii(dir.path()), 0), 0u);
    EXPECT_EQ(file.FullPath().substr(file.FullPath().size() - 8), "DATA.DBF");
    EXPECT_FALSE(file.IsClosed());
}

TEST_F(DiskFileTest, RenameMovesAndReopensAndRefusesAnExistingTarget) {
    DiskFile file(dir.file("f.bin"), true, true);
    file.DiskOpen();
    EXPECT_TRUE(file.DiskRename(dir.file("moved.bin")));
    EXPECT_EQ(file.FullPath(), platform::UpperAscii(dir.file("moved.bin")));
    EXPECT_FALSE(file.IsClosed());
    EXPECT_EQ(file.DiskSize(), 64u);
    WriteFile(dir.file("taken.bin"), {1});
    try {
        file.DiskRename(dir.file("taken.bin"));
        FAIL();
    } catch (const XBaseError& e) {
        EXPECT_EQ(e.subcode(), 1106);
    }
}

TEST_F(DiskFileTest, OneRegionAtATimeWithNesting) {
    std::string path = dir.file("f.bin");
    DiskFile file(path, true, true);
    file.DiskOpen();
    ASSERT_TRUE(file.LockRegion(100, 1));
    ASSERT_TRUE(file.LockRegion(100, 1));
    EXPECT_EQ(file.LockNesting(), 2);
    EXPECT_FALSE(file.LockRegion(200, 1));
    EXPECT_EQ(file.LastError(), 33);
    EXPECT_TRUE(file.HoldsRegion(100, 1));
    EXPECT_TRUE(ByteLockedElsewhere(path, 100));
    EXPECT_TRUE(file.UnlockRegion());
    EXPECT_TRUE(ByteLockedElsewhere(path, 100));
    EXPECT_TRUE(file.UnlockRegion());
    EXPECT_FALSE(ByteLockedElsewhere(path, 100));
    EXPECT_TRUE(file.UnlockRegion());  // nothing held: still success
}

TEST_F(DiskFileTest, ExclusiveFileTakesNoSystemLocks) {
    std::string path = dir.file("f.bin");
    DiskFile file(path, false, true);
    file.DiskOpen();
    EXPECT_TRUE(file.LockRegion(100, 1));
    EXPECT_TRUE(file.LockRegion(300, 5));
    EXPECT_FALSE(ByteLockedElsewhere(path, 100));
    EXPECT_FALSE(ByteLockedElsewhere(path, 300));
}

TEST_F(DiskFileTest, OpenFileListReleasesLocksAndHandlesAtUnload) {
    std::string path = dir.file("f.bin");
    std::size_t before = xbase::OpenFileList::Count();
    DiskFile file(path, true, true);
    file.DiskOpen();
    EXPECT_EQ(xbase::OpenFileList::Count(), before + 1);
    file.DiskClose();
    EXPECT_EQ(xbase::OpenFileList::Count(), before);
    file.DiskOpen();
    ASSERT_TRUE(file.LockRegion(7, 1));
    xbase::OpenFileList::ReleaseAll();
    EXPECT_TRUE(file.IsClosed());
    EXPECT_FALSE(ByteLockedElsewhere(path, 7));
    EXPECT_EQ(xbase::OpenFileList::Count(), 0u);
}

}  // namespace
