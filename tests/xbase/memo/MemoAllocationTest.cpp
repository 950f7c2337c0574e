// Where memos go: dBase III and FoxPro rewrite in place while the text fits and append
// otherwise; dBase IV gives released runs back to a free chain taken first fit.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

#include "../table/TableTestSupport.h"
#include "MemoTestSupport.h"
#include "xbase/file/ByteOrder.h"
#include "xbase/memo/MemoFile4.h"

using memotest::Open;
using memotest::Text;
using xbase::MemoKind;

namespace {

class ReuseOrAppend : public ::testing::TestWithParam<MemoKind> {};

TEST_P(ReuseOrAppend, TextThatFitsKeepsItsBlockLongerMovesToTheEnd) {
    tabletest::TempDir dir;
    memotest::CreateEmptyMemo(GetParam(), dir.file("t.dbf"));
    auto memo = Open(GetParam(), dir.file("t.dbf"));
    std::int32_t a = 0, b = 0;
    memo->WriteMemo(Text(900, 1), a);  // two blocks
    memo->WriteMemo("second", b);
    std::int32_t before = a;
    memo->WriteMemo(Text(600, 2), a);  // still two blocks
    EXPECT_EQ(a, before);
    EXPECT_EQ(memo->ReadMemoText(a), Text(600, 2));
    memo->WriteMemo("x", a);  // shorter: same place
    EXPECT_EQ(a, before);
    std::uint64_t blocksBefore = tabletest::ReadFile(memo->HostPath()).size() / 512;
    memo->WriteMemo(Text(1500, 3), a);  // three blocks: appended at the end
    EXPECT_EQ(static_cast<std::uint64_t>(a), blocksBefore);
    EXPECT_EQ(memo->ReadMemoText(a), Text(1500, 3));
    EXPECT_EQ(memo->ReadMemoText(b), "second");
    // The old blocks are not reclaimed: the next memo goes after the moved one.
    std::int32_t c = 0;
    memo->WriteMemo("third", c);
    EXPECT_EQ(c, a + 3);
}

INSTANTIATE_TEST_SUITE_P(DBase3AndFoxPro, ReuseOrAppend,
                         ::testing::Values(MemoKind::DBase3, MemoKind::FoxPro));

TEST(ReuseOrAppendFile, AppendsAfterUnpaddedLastMemoNotIntoIt) {
    // Files of other programs end right after the last text; the header's next free block
    // may lag behind it. New memos must never land on an existing one.
    tabletest::TempDir dir;
    memotest::CreateEmptyMemo(MemoKind::FoxPro, dir.file("t.dbf"), 64);
    {
        std::int32_t b = 0;
        Open(MemoKind::FoxPro, dir.file("t.dbf"))->WriteMemo(Text(100, 7), b);
    }
    auto bytes = tabletest::ReadFile(dir.file("t.fpt"));
    bytes.resize(8 * 64 + 8 + 100);
    xbase::byteorder::PutBe32(bytes.data(), 9);  // lags: the memo runs into block 9
    tabletest::WriteFile(dir.file("t.fpt"), bytes);
    auto memo = Open(MemoKind::FoxPro, dir.file("t.dbf"));
    std::int32_t next = 0;
    memo->WriteMemo("after", next);
    EXPECT_EQ(next, 10);
    EXPECT_EQ(memo->ReadMemoText(8), Text(100, 7));
}

std::uint32_t FirstFree(const xbase::MemoFile& memo) {
    auto bytes = tabletest::ReadFile(memo.HostPath());
    return xbase::byteorder::GetLe32(bytes.data());
}

TEST(FreeChain, RewriteThatNeedsNoMoreBlocksLandsOnTheSameBlock) {
    tabletest::TempDir dir;
    memotest::CreateEmptyMemo(MemoKind::DBase4, dir.file("t.dbf"));
    auto memo = Open(MemoKind::DBase4, dir.file("t.dbf"));
    std::int32_t a = 0, b = 0;
    memo->WriteMemo(Text(1000, 1), a);  // 2 blocks at 1
    memo->WriteMemo(Text(10, 2), b);    // 1 block at 3
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 3);
    memo->WriteMemo(Text(400, 3), a);  // released run of 2 at the front: first fit, split
    EXPECT_EQ(a, 1);
    std::vector<xbase::MemoFile4::FreeRun> runs;
    ASSERT_TRUE(static_cast<xbase::MemoFile4&>(*memo).FreeChain(runs));
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].block, 2u);
    EXPECT_EQ(runs[0].count, 1u);
    std::int32_t c = 0;
    memo->WriteMemo("fits the hole", c);  // taken whole
    EXPECT_EQ(c, 2);
    ASSERT_TRUE(static_cast<xbase::MemoFile4&>(*memo).FreeChain(runs));
    EXPECT_TRUE(runs.empty());
    EXPECT_EQ(FirstFree(*memo), 4u);    // the end of the file
    memo->WriteMemo(Text(1200, 4), a);  // grows to 3 blocks: no run fits, goes to the end
    EXPECT_EQ(a, 4);
    EXPECT_EQ(memo->ReadMemoText(b), Text(10, 2));
    EXPECT_EQ(memo->ReadMemoText(c), "fits the hole");
    EXPECT_EQ(memo->ReadMemoText(a), Text(1200, 4));
}

TEST(FreeChain, EmptyTextGivesTheRunBack) {
    tabletest::TempDir dir;
    memotest::CreateEmptyMemo(MemoKind::DBase4, dir.file("t.dbf"));
    auto memo = Open(MemoKind::DBase4, dir.file("t.dbf"));
    std::int32_t a = 0, b = 0;
    memo->WriteMemo(Text(700, 1), a);
    memo->WriteMemo("tail", b);
    memo->WriteMemo("", a);
    EXPECT_EQ(a, 0);
    std::vector<xbase::MemoFile4::FreeRun> runs;
    ASSERT_TRUE(static_cast<xbase::MemoFile4&>(*memo).FreeChain(runs));
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].block, 1u);
    EXPECT_EQ(runs[0].count, 2u);
    auto bytes = tabletest::ReadFile(memo->HostPath());
    EXPECT_EQ(xbase::byteorder::GetLe32(bytes.data() + 4), 0u);
}

TEST(FreeChain, StaysConsistentOverAThousandRandomRewrites) {
    tabletest::TempDir dir;
    memotest::CreateEmptyMemo(MemoKind::DBase4, dir.file("t.dbf"));
    auto memo = Open(MemoKind::DBase4, dir.file("t.dbf"));
    auto& memo4 = static_cast<xbase::MemoFile4&>(*memo);
    std::mt19937 random(20240607);
    constexpr int kMemos = 40;
    std::vector<std::int32_t> blocks(kMemos, 0);
    std::vector<std::string> texts(kMemos);
    for (int step = 0; step < 1000; ++step) {
        int i = static_cast<int>(random() % kMemos);
        std::size_t length = random() % 5 == 0 ? 0 : random() % 3000;
        texts[i] = Text(length, static_cast<unsigned>(step));
        memo->WriteMemo(texts[i], blocks[i]);
    }
    std::map<std::uint32_t, std::string> owner;  // block -> who holds it
    std::uint64_t fileBlocks = (tabletest::ReadFile(memo->HostPath()).size() + 511) / 512;
    for (int i = 0; i < kMemos; ++i) {
        EXPECT_EQ(memo->ReadMemoText(blocks[i]), texts[i]) << "memo " << i;
        if (blocks[i] == 0) continue;
        std::uint32_t count = static_cast<std::uint32_t>((texts[i].size() + 8 + 511) / 512);
        for (std::uint32_t k = 0; k < count; ++k) {
            auto [it, fresh] = owner.emplace(blocks[i] + k, "memo " + std::to_string(i));
            EXPECT_TRUE(fresh) << "block " << blocks[i] + k << " used twice";
        }
    }
    std::vector<xbase::MemoFile4::FreeRun> runs;
    ASSERT_TRUE(memo4.FreeChain(runs));
    for (const auto& run : runs) {
        EXPECT_LE(run.block + run.count, fileBlocks);
        for (std::uint32_t k = 0; k < run.count; ++k) {
            auto [it, fresh] = owner.emplace(run.block + k, "free");
            EXPECT_TRUE(fresh) << "block " << run.block + k << " is free and " << it->second;
        }
    }
}

}  // namespace
