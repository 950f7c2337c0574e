// Memo files that cannot be trusted fail with error 1005 (or the disk error), never a
// crash, a hang or a read past the end of the file.
#include <gtest/gtest.h>

#include "../table/TableTestSupport.h"
#include "MemoTestSupport.h"
#include "xbase/file/ByteOrder.h"
#include "xbase/file/EngineError.h"
#include "xbase/memo/MemoFile4.h"

using memotest::Open;
using xbase::MemoKind;
namespace mb = xbase::byteorder;

namespace {

int CodeOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const xbase::XBaseError& e) {
        return e.code();
    }
    return 0;
}

class Hostile : public ::testing::Test {
protected:
    // Writes the file and opens it as `kind` for a table named t.dbf.
    void Make(MemoKind kind, const std::vector<std::uint8_t>& bytes) {
        kind_ = kind;
        tabletest::WriteFile(dir_.file(kind == MemoKind::FoxPro ? "t.fpt" : "t.dbt"), bytes);
    }
    std::unique_ptr<xbase::MemoFile> OpenIt() { return Open(kind_, dir_.file("t.dbf")); }
    tabletest::TempDir dir_;
    MemoKind kind_ = MemoKind::DBase3;
};

TEST_F(Hostile, BlockSizeZeroOrAbove32768IsRefusedAtOpen) {
    std::vector<std::uint8_t> header(512, 0);
    Make(MemoKind::FoxPro, header);  // block size 0
    EXPECT_EQ(CodeOf([&] { OpenIt(); }), xbase::err::MemoFormat);
    mb::PutBe32(header.data() + 4, 65535);
    Make(MemoKind::FoxPro, header);
    EXPECT_EQ(CodeOf([&] { OpenIt(); }), xbase::err::MemoFormat);
    mb::PutLe32(header.data() + 20, 32769);
    Make(MemoKind::DBase4, header);
    EXPECT_EQ(CodeOf([&] { OpenIt(); }), xbase::err::MemoFormat);
    mb::PutLe32(header.data() + 20, 32768);
    Make(MemoKind::DBase4, header);
    EXPECT_EQ(CodeOf([&] { OpenIt(); }), 0);
}

TEST_F(Hostile, BlockNumberPastTheEndOrInsideTheHeader) {
    for (MemoKind kind : {MemoKind::DBase3, MemoKind::DBase4, MemoKind::FoxPro}) {
        memotest::CreateEmptyMemo(kind, dir_.file("t.dbf"));
        kind_ = kind;
        auto memo = OpenIt();
        std::int32_t block = 0;
        memo->WriteMemo("one", block);
        EXPECT_EQ(CodeOf([&] { memo->ReadMemoText(block + 1); }), xbase::err::MemoFormat);
        EXPECT_EQ(CodeOf([&] { memo->ReadMemoText(0x7FFFFFFF); }), xbase::err::MemoFormat);
        EXPECT_EQ(CodeOf([&] { memo->ReadMemoText(-3); }), xbase::err::MemoFormat);
        EXPECT_EQ(CodeOf([&] { memo->MemoSize(block + 5); }), xbase::err::MemoFormat);
        std::int32_t bogus = block + 9;  // a rewrite of a bad reference reports it too
        EXPECT_EQ(CodeOf([&] { memo->WriteMemo("new", bogus); }), xbase::err::MemoFormat);
    }
}

TEST_F(Hostile, LengthRunningPastTheEndOfTheFile) {
    memotest::CreateEmptyMemo(MemoKind::FoxPro, dir_.file("t.dbf"), 64);
    kind_ = MemoKind::FoxPro;
    std::int32_t block = 0;
    OpenIt()->WriteMemo("abc", block);
    auto bytes = tabletest::ReadFile(dir_.file("t.fpt"));
    mb::PutBe32(bytes.data() + 64 * block + 4, 0xFFFFFFF0u);
    tabletest::WriteFile(dir_.file("t.fpt"), bytes);
    auto memo = OpenIt();
    EXPECT_EQ(CodeOf([&] { memo->ReadMemoText(block); }), xbase::err::MemoFormat);

    memotest::CreateEmptyMemo(MemoKind::DBase4, dir_.file("t.dbf"));
    kind_ = MemoKind::DBase4;
    block = 0;
    OpenIt()->WriteMemo("abc", block);
    bytes = tabletest::ReadFile(dir_.file("t.dbt"));
    mb::PutLe32(bytes.data() + 512 * block + 4, 513);  // one byte past the file
    tabletest::WriteFile(dir_.file("t.dbt"), bytes);
    memo = OpenIt();
    EXPECT_EQ(CodeOf([&] { memo->ReadMemoText(block); }), xbase::err::MemoFormat);
    mb::PutLe32(bytes.data() + 512 * block + 4, 7);  // shorter than its own header
    tabletest::WriteFile(dir_.file("t.dbt"), bytes);
    EXPECT_EQ(CodeOf([&] { memo->ReadMemoText(block); }), xbase::err::MemoFormat);
}

TEST_F(Hostile, WrongSignatureOrTypeIsAFormatErrorWithItsSubcode) {
    memotest::CreateEmptyMemo(MemoKind::FoxPro, dir_.file("t.dbf"), 64);
    kind_ = MemoKind::FoxPro;
    std::int32_t block = 0;
    OpenIt()->WriteMemo("abc", block);
    auto bytes = tabletest::ReadFile(dir_.file("t.fpt"));
    mb::PutBe32(bytes.data() + 64 * block, 2);
    tabletest::WriteFile(dir_.file("t.fpt"), bytes);
    try {
        OpenIt()->ReadMemoText(block);
        FAIL();
    } catch (const xbase::XBaseError& e) {
        EXPECT_EQ(e.code(), 1005);
        EXPECT_EQ(e.subcode(), xbase::memoinfo::BadBlock);
        EXPECT_NE(std::string(e.what()).find("dBase memo record has format error"),
                  std::string::npos);
    }
}

TEST_F(Hostile, ReturningErrorHookReadsTheMemoAsEmpty) {
    memotest::CreateEmptyMemo(MemoKind::DBase4, dir_.file("t.dbf"));
    kind_ = MemoKind::DBase4;
    auto memo = OpenIt();
    std::int32_t block = 0;
    memo->WriteMemo("abc", block);
    auto bytes = tabletest::ReadFile(dir_.file("t.dbt"));
    bytes[512 * block] = 0;
    tabletest::WriteFile(dir_.file("t.dbt"), bytes);
    static int reports = 0;
    reports = 0;
    auto previous = xbase::EngineErrorHook();
    xbase::SetEngineErrorHook([](int, int, const std::string&) { ++reports; });
    char buffer[16] = "zzz";
    EXPECT_EQ(memo->ReadMemo(block, buffer, sizeof buffer), 0u);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(memo->MemoSize(block), 0u);
    xbase::SetEngineErrorHook(previous);
    EXPECT_EQ(reports, 2);
}

std::vector<std::uint8_t> Dbt4WithChain(std::uint32_t firstFree,
                                        const std::vector<std::array<std::uint32_t, 3>>& runs,
                                        std::size_t blocks) {
    std::vector<std::uint8_t> bytes(512 * blocks, 0);
    mb::PutLe32(bytes.data(), firstFree);
    mb::PutLe32(bytes.data() + 20, 512);
    for (const auto& run : runs) {  // block, next, count
        mb::PutLe32(bytes.data() + 512 * run[0], run[1]);
        mb::PutLe32(bytes.data() + 512 * run[0] + 4, run[2]);
    }
    return bytes;
}

TEST_F(Hostile, LoopingOrDamagedFreeChainIsRefusedBeforeAnythingChanges) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Case> cases = {
        {"loop", Dbt4WithChain(1, {{1, 2, 1}, {2, 1, 1}}, 4)},
        {"self loop", Dbt4WithChain(2, {{2, 2, 1}}, 4)},
        {"run in the header", Dbt4WithChain(0, {}, 4)},
        {"run past the end", Dbt4WithChain(2, {{2, 9, 5}}, 4)},
        {"empty run", Dbt4WithChain(2, {{2, 9, 0}}, 4)},
    };
    for (const auto& c : cases) {
        Make(MemoKind::DBase4, c.bytes);
        auto memo = OpenIt();
        std::int32_t block = 0;
        EXPECT_EQ(CodeOf([&] { memo->WriteMemo(memotest::Text(3000, 1), block); }),
                  xbase::err::MemoFormat)
            << c.what;
        EXPECT_EQ(block, 0) << c.what;
        EXPECT_EQ(tabletest::ReadFile(dir_.file("t.dbt")), c.bytes) << c.what;
        std::vector<xbase::MemoFile4::FreeRun> runs;
        EXPECT_EQ(CodeOf([&] { static_cast<xbase::MemoFile4&>(*memo).FreeChain(runs); }),
                  xbase::err::MemoFormat)
            << c.what;
    }
}

TEST_F(Hostile, MemoNeedingMoreThan65535BlocksIsAClearError) {
    memotest::CreateEmptyMemo(MemoKind::FoxPro, dir_.file("t.dbf"), 1);
    kind_ = MemoKind::FoxPro;
    auto memo = OpenIt();
    std::int32_t block = 0;
    try {
        memo->WriteMemo(std::string(65528, 'x'), block);
        FAIL() << "wrapped the block count";
    } catch (const xbase::XBaseError& e) {
        EXPECT_NE(std::string(e.what()).find("65,535 blocks"), std::string::npos);
    }
    EXPECT_EQ(block, 0);
    memo->WriteMemo(std::string(65527, 'x'), block);  // exactly 65,535 blocks
    EXPECT_EQ(memo->MemoSize(block), 65527u);
}

TEST_F(Hostile, TruncatedHeadersOpenSafely) {
    Make(MemoKind::FoxPro, {0, 0, 0, 8, 0, 0});
    EXPECT_EQ(CodeOf([&] { OpenIt(); }), xbase::err::MemoFormat);
    Make(MemoKind::DBase3, {});
    auto memo = OpenIt();
    EXPECT_EQ(CodeOf([&] { memo->ReadMemoText(1); }), xbase::err::MemoFormat);
    std::int32_t block = 0;
    memo->WriteMemo("into an empty file", block);
    EXPECT_EQ(block, 1);
    EXPECT_EQ(memo->ReadMemoText(block), "into an empty file");
}

}  // namespace
