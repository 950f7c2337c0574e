// The memo write lock: its byte range under each lock protocol, the retries before a
// refusal, and two processes rewriting memos of one file at the same time.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <set>
#include <sstream>

#include "../table/TableTestSupport.h"
#include "MemoTestSupport.h"
#include "platform/OsFile.h"
#include "xbase/file/EngineError.h"

using memotest::Open;
using memotest::Text;
using xbase::MemoKind;

namespace {

TEST(MemoWriteLock, RangeFollowsTheLockProtocol) {
    tabletest::TempDir dir;
    memotest::CreateEmptyMemo(MemoKind::DBase3, dir.file("t.dbf"));
    auto memo = Open(MemoKind::DBase3, dir.file("t.dbf"));
    struct Expect {
        int protocol;
        std::uint64_t first, offset, length;
    };
    for (auto e : {Expect{0, 0x7FFFFFFE, 0x7FFFFFFD, 1}, Expect{1, 0xEFFFFFFF, 0xEFFFFFFE, 2},
                   Expect{2, 1000000000, 1000000000, 1}, Expect{3, 0x7FFFFFFE, 0x7FFFFFFD, 1}}) {
        memo->SetLockProtocol(static_cast<xbase::LockProtocol>(e.protocol));
        EXPECT_EQ(memo->Numbers().appendOffset, e.first) << e.protocol;
        EXPECT_EQ(memo->WriteLockOffset(), e.offset) << e.protocol;
        EXPECT_EQ(memo->WriteLockLength(), e.length) << e.protocol;
    }
    memo->SetLockProtocol(
        static_cast<xbase::LockProtocol>(7));  // unknown: the previous range stays
    EXPECT_EQ(memo->WriteLockOffset(), 0x7FFFFFFDu);
    EXPECT_EQ(memo->Numbers().fileLockBase, 0x40000000u);
}

TEST(MemoWriteLock, RefusedAfterTheRetriesAndNothingIsWritten) {
    tabletest::TempDir dir;
    memotest::CreateEmptyMemo(MemoKind::FoxPro, dir.file("t.dbf"));
    auto memo = Open(MemoKind::FoxPro, dir.file("t.dbf"));
    std::int32_t block = 0;
    memo->WriteMemo("first", block);
    auto before = tabletest::ReadFile(memo->HostPath());
    platform::OsFile other;  // another program holding the memo's write lock
    ASSERT_EQ(other.Open(memo->HostPath(), true, true), 0);
    ASSERT_EQ(other.Lock(0x7FFFFFFD, 1), 0);
    memo->SetWriteLockRetries(3, 1);
    std::int32_t ref = block;
    try {
        memo->WriteMemo(Text(2000, 1), ref);
        FAIL() << "wrote without the lock";
    } catch (const xbase::XBaseError& e) {
        EXPECT_EQ(e.subcode(), xbase::memoinfo::WriteLock);
        EXPECT_NE(e.code(), 0);
    }
    EXPECT_EQ(ref, block);
    EXPECT_EQ(tabletest::ReadFile(memo->HostPath()), before);
    other.Unlock(0x7FFFFFFD, 1);
    memo->WriteMemo(Text(2000, 1), ref);
    EXPECT_EQ(memo->ReadMemoText(ref), Text(2000, 1));
    EXPECT_EQ(memo->LockNesting(), 0);  // released after the write
}

TEST(MemoWriteLock, ExclusiveFileTakesNoSystemLock) {
    tabletest::TempDir dir;
    memotest::CreateEmptyMemo(MemoKind::DBase4, dir.file("t.dbf"));
    auto memo = Open(MemoKind::DBase4, dir.file("t.dbf"), /*shared=*/false);
    std::int32_t block = 0;
    memo->WriteMemo("exclusive", block);
    EXPECT_EQ(memo->ReadMemoText(block), "exclusive");
    EXPECT_EQ(memo->LockNesting(), 0);
    platform::OsFile probe;  // nobody else may even open the file meanwhile
    EXPECT_NE(probe.Open(memo->HostPath(), true, true), 0);
}

// Each process rewrites its own memos many times, growing and shrinking them; the write
// lock must keep their allocations apart.
void RewriteMany(MemoKind kind, const std::string& table, int who, const std::string& out) {
    auto memo = Open(kind, table);
    std::vector<std::int32_t> blocks(10, 0);
    std::vector<std::string> texts(10);
    for (int round = 0; round < 60; ++round) {
        for (int i = 0; i < 10; ++i) {
            texts[i] = Text(static_cast<std::size_t>((round * 37 + i * 101 + who * 7) % 1500 + 1),
                            static_cast<unsigned>(who * 100000 + round * 10 + i));
            memo->WriteMemo(texts[i], blocks[i]);
        }
    }
    std::ofstream result(out);
    for (int i = 0; i < 10; ++i)
        result << blocks[i] << ' ' << texts[i].size() << ' ' << texts[i] << '\n';
}

class TwoWriters : public ::testing::TestWithParam<MemoKind> {};

TEST_P(TwoWriters, EveryMemoIntactInDistinctBlocks) {
    tabletest::TempDir dir;
    std::string table = dir.file("t.dbf");
    memotest::CreateEmptyMemo(GetParam(), table);
    std::vector<pid_t> children;
    for (int who = 0; who < 2; ++who) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            int rc = 0;
            try {
                RewriteMany(GetParam(), table, who, dir.file("out" + std::to_string(who)));
            } catch (...) {
                rc = 1;
            }
            _exit(rc);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    auto memo = Open(GetParam(), table);
    std::set<std::int64_t> used;
    for (int who = 0; who < 2; ++who) {
        std::ifstream in(dir.file("out" + std::to_string(who)));
        std::int32_t block = 0;
        std::size_t size = 0;
        std::string text;
        int seen = 0;
        while (in >> block >> size >> text) {
            ++seen;
            EXPECT_EQ(memo->ReadMemoText(block), text) << "process " << who;
            std::size_t header = GetParam() == MemoKind::DBase3 ? 2 : 8;
            std::int64_t blocks = static_cast<std::int64_t>((size + header + 511) / 512);
            for (std::int64_t k = 0; k < blocks; ++k) {
                EXPECT_TRUE(used.insert(block + k).second) << "block " << block + k << " shared";
            }
        }
        EXPECT_EQ(seen, 10);
    }
}

INSTANTIATE_TEST_SUITE_P(AllKinds, TwoWriters,
                         ::testing::Values(MemoKind::DBase3, MemoKind::DBase4, MemoKind::FoxPro));

}  // namespace
