// Share modes between processes and within one: shared opens coexist, an exclusive open
// excludes every other open, refusals are 32 and leave the file closed.
#include <gtest/gtest.h>

#include "ChildProcess.h"
#include "TempDir.h"
#include "platform/OsFile.h"

using platform::OsFile;
using platform_test::HoldingChild;
using platform_test::runInChild;
using platform_test::TempDir;

namespace {

class OsFileShare : public ::testing::Test {
protected:
    void SetUp() override { path_ = dir_.write("ke_hu.dbf", "customers"); }

    // A child process that opens the file in the given mode and keeps it open.
    std::unique_ptr<HoldingChild> holdInOtherProcess(bool shared) {
        auto child = std::make_unique<HoldingChild>([this, shared] {
            static OsFile held;
            return held.Open(path_, true, shared);
        });
        EXPECT_EQ(child->ready(), 0);
        return child;
    }

    // What opening the file in the given mode returns in another process.
    int openInOtherProcess(bool shared) {
        return runInChild([this, shared] {
            OsFile file;
            return file.Open(path_, true, shared);
        });
    }

    TempDir dir_;
    std::string path_;
};

}  // namespace

TEST_F(OsFileShare, SharedOpensCoexistAcrossProcesses) {
    auto other = holdInOtherProcess(true);
    OsFile file;
    EXPECT_EQ(file.Open(path_, true, true), 0);
    EXPECT_EQ(openInOtherProcess(true), 0);
}

TEST_F(OsFileShare, ExclusiveOpenFailsWhileAnotherProcessHasItShared) {
    auto other = holdInOtherProcess(true);
    OsFile file;
    EXPECT_EQ(file.Open(path_, true, false), 32);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.Open(path_, false, false), 32);
    other->release();
    EXPECT_EQ(file.Open(path_, true, false), 0);
}

TEST_F(OsFileShare, NoOpenSucceedsWhileAnotherProcessHasItExclusive) {
    auto other = holdInOtherProcess(false);
    OsFile file;
    EXPECT_EQ(file.Open(path_, true, true), 32);
    EXPECT_EQ(file.Open(path_, false, true), 32);
    EXPECT_EQ(file.Open(path_, true, false), 32);
    EXPECT_FALSE(file.IsOpen());
    other->release();
    EXPECT_EQ(file.Open(path_, true, true), 0);
}

TEST_F(OsFileShare, ExclusiveOpenRefusesOtherProcessesUntilClosed) {
    OsFile file;
    ASSERT_EQ(file.Open(path_, true, false), 0);
    EXPECT_EQ(openInOtherProcess(true), 32);
    EXPECT_EQ(openInOtherProcess(false), 32);
    file.Close();
    EXPECT_EQ(openInOtherProcess(false), 0);
}

TEST_F(OsFileShare, OpensWithinOneProcessFollowTheSameRules) {
    OsFile first, second;
    ASSERT_EQ(first.Open(path_, true, true), 0);
    EXPECT_EQ(second.Open(path_, true, true), 0);
    OsFile exclusive;
    EXPECT_EQ(exclusive.Open(path_, true, false), 32);
    first.Close();
    second.Close();
    EXPECT_EQ(exclusive.Open(path_, true, false), 0);
    EXPECT_EQ(first.Open(path_, false, true), 32);
}

TEST_F(OsFileShare, ReopeningAnOpenObjectClosesItsEarlierFile) {
    OsFile file;
    ASSERT_EQ(file.Open(path_, true, false), 0);
    // The same object opened again first lets go of its exclusive open.
    EXPECT_EQ(file.Open(path_, true, false), 0);
    EXPECT_EQ(openInOtherProcess(true), 32);
}
