// OsFile opening, reading, writing, sizing, cutting and renaming, with the Windows error
// codes the engine reports.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "TempDir.h"
#include "platform/OsFile.h"

using platform::OsFile;
using platform_test::TempDir;

namespace {

std::string readAll(OsFile& file, std::uint64_t offset, std::size_t count) {
    std::string data(count, '\0');
    std::size_t got = 0;
    EXPECT_EQ(file.ReadAt(offset, data.data(), count, got), 0);
    data.resize(got);
    return data;
}

}  // namespace

TEST(OsFileOpen, MissingFileIsFileNotFoundAndMissingDirectoryIsPathNotFound) {
    TempDir dir;
    OsFile file;
    EXPECT_EQ(file.Open(dir.file("none.dbf"), true, true), 2);
    EXPECT_EQ(file.Open(dir.file("nodir/none.dbf"), true, true), 3);
    EXPECT_EQ(file.Open(dir.file("nodir/deeper/none.dbf"), false, true), 3);
    EXPECT_FALSE(file.IsOpen());
}

TEST(OsFileOpen, DirectoryAndUnreadableFileAreAccessDenied) {
    TempDir dir;
    OsFile file;
    EXPECT_EQ(file.Open(dir.path(), false, true), 5);
    EXPECT_EQ(file.Open(dir.path(), true, true), 5);
    if (::geteuid() != 0) {  // root reads anything
        const std::string locked = dir.write("locked.dbf", "x");
        ::chmod(locked.c_str(), 0);
        EXPECT_EQ(file.Open(locked, false, true), 5);
    }
    EXPECT_FALSE(file.IsOpen());
}

TEST(OsFileOpen, DescriptorIsClosedOnExec) {
    TempDir dir;
    OsFile file;
    ASSERT_EQ(file.Open(dir.write("a.dbf", "abc"), true, true), 0);
    EXPECT_TRUE(::fcntl(file.Fd(), F_GETFD) & FD_CLOEXEC);
}

TEST(OsFileCreate, CreatesEmptiesAndLeavesClosed) {
    TempDir dir;
    const std::string path = dir.write("t.dbf", "old content");
    EXPECT_EQ(OsFile::Create(path), 0);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 0);

    const std::string fresh = dir.file("new.dbf");
    EXPECT_EQ(OsFile::Create(fresh), 0);
    EXPECT_TRUE(platform::FileExists(fresh));
    EXPECT_EQ(OsFile::Create(dir.file("nodir/new.dbf")), 3);
}

TEST(OsFileCreate, FileOpenElsewhereIsNotEmptied) {
    TempDir dir;
    const std::string path = dir.write("t.dbf", "keep me");
    OsFile holder;
    ASSERT_EQ(holder.Open(path, false, true), 0);
    EXPECT_EQ(OsFile::Create(path), 32);
    EXPECT_EQ(readAll(holder, 0, 100), "keep me");
}

TEST(OsFileIo, WritesAndReadsAtOffsets) {
    TempDir dir;
    const std::string path = dir.file("t.dbf");
    ASSERT_EQ(OsFile::Create(path), 0);
    OsFile file;
    ASSERT_EQ(file.Open(path, true, true), 0);
    ASSERT_EQ(file.WriteAt(0, "header", 6), 0);
    ASSERT_EQ(file.WriteAt(10, "record", 6), 0);
    std::uint64_t size = 0;
    ASSERT_EQ(file.Size(size), 0);
    EXPECT_EQ(size, 16u);
    EXPECT_EQ(readAll(file, 10, 6), "record");
    EXPECT_EQ(readAll(file, 0, 16), std::string("header\0\0\0\0record", 16));
    EXPECT_EQ(file.Flush(), 0);
}

TEST(OsFileIo, ShortReadAtEndReportsWhatArrived) {
    TempDir dir;
    OsFile file;
    ASSERT_EQ(file.Open(dir.write("t.dbf", "0123456789"), false, true), 0);
    char buffer[32];
    std::size_t got = 99;
    EXPECT_EQ(file.ReadAt(6, buffer, sizeof buffer, got), 0);
    EXPECT_EQ(got, 4u);
    EXPECT_EQ(std::string(buffer, got), "6789");
    EXPECT_EQ(file.ReadAt(10, buffer, sizeof buffer, got), 0);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(file.ReadAt(1000, buffer, sizeof buffer, got), 0);
    EXPECT_EQ(got, 0u);
}

TEST(OsFileIo, OffsetsBeyondFourGigabytesWork) {
    TempDir dir;
    const std::string path = dir.file("sparse.bin");
    ASSERT_EQ(OsFile::Create(path), 0);
    OsFile file;
    ASSERT_EQ(file.Open(path, true, false), 0);
    const std::uint64_t far = 0x100000010ULL;
    if (file.WriteAt(far, "far", 3) == 112)
        GTEST_SKIP() << "file system takes no sparse file this big";
    std::uint64_t size = 0;
    ASSERT_EQ(file.Size(size), 0);
    EXPECT_EQ(size, far + 3);
    EXPECT_EQ(readAll(file, far, 3), "far");
    EXPECT_EQ(file.Truncate(5), 0);
    ASSERT_EQ(file.Size(size), 0);
    EXPECT_EQ(size, 5u);
}

TEST(OsFileIo, WritingAReadOnlyFileFails) {
    TempDir dir;
    OsFile file;
    ASSERT_EQ(file.Open(dir.write("t.dbf", "abc"), false, true), 0);
    EXPECT_NE(file.WriteAt(0, "x", 1), 0);
    EXPECT_EQ(file.Truncate(0), 5);
    EXPECT_EQ(readAll(file, 0, 3), "abc");
}

TEST(OsFileIo, TruncateCutsAndExtends) {
    TempDir dir;
    OsFile file;
    ASSERT_EQ(file.Open(dir.write("t.dbf", "0123456789"), true, true), 0);
    ASSERT_EQ(file.Truncate(4), 0);
    EXPECT_EQ(readAll(file, 0, 100), "0123");
    ASSERT_EQ(file.Truncate(6), 0);
    EXPECT_EQ(readAll(file, 0, 100), std::string("0123\0\0", 6));
}

TEST(OsFileIo, ClosedFileReportsInvalidHandle) {
    OsFile file;
    char c;
    std::size_t got;
    std::uint64_t size;
    EXPECT_EQ(file.ReadAt(0, &c, 1, got), 6);
    EXPECT_EQ(file.WriteAt(0, &c, 1), 6);
    EXPECT_EQ(file.Size(size), 6);
    EXPECT_EQ(file.Lock(0, 1), 6);
    file.Close();  // closing a closed file does nothing
}

TEST(OsFileIo, MovedFileKeepsItsDescriptor) {
    TempDir dir;
    OsFile a;
    ASSERT_EQ(a.Open(dir.write("t.dbf", "abc"), true, true), 0);
    const int fd = a.Fd();
    OsFile b(std::move(a));
    EXPECT_FALSE(a.IsOpen());
    EXPECT_EQ(b.Fd(), fd);
    OsFile c;
    c = std::move(b);
    EXPECT_EQ(c.Fd(), fd);
    EXPECT_EQ(readAll(c, 0, 3), "abc");
    EXPECT_EQ(c.WriteAt(0, "x", 1), 0);  // still read-write after the moves
}

TEST(FileRename, RenamesButNeverReplaces) {
    TempDir dir;
    const std::string from = dir.write("a.dbf", "a");
    const std::string to = dir.file("b.dbf");
    EXPECT_EQ(platform::RenameFile(from, to), 0);
    EXPECT_FALSE(platform::FileExists(from));
    EXPECT_TRUE(platform::FileExists(to));

    const std::string other = dir.write("c.dbf", "c");
    EXPECT_EQ(platform::RenameFile(other, to), 183);
    EXPECT_TRUE(platform::FileExists(other));

    EXPECT_EQ(platform::RenameFile(dir.file("missing.dbf"), dir.file("x.dbf")), 2);
    EXPECT_EQ(platform::RenameFile(other, dir.file("nodir/x.dbf")), 3);
}

TEST(FileExists, SeesFilesAndDirectories) {
    TempDir dir;
    EXPECT_TRUE(platform::FileExists(dir.write("a.dbf", "")));
    EXPECT_TRUE(platform::FileExists(dir.path()));
    EXPECT_FALSE(platform::FileExists(dir.file("b.dbf")));
}
