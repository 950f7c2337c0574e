// Reading and writing memos of each kind: texts of every size, the layouts other
// programs expect, block 0, short buffers, the dBase III scan limit and renames.
#include <gtest/gtest.h>

#include <filesystem>

#include "../table/TableTestSupport.h"
#include "MemoTestSupport.h"
#include "xbase/file/ByteOrder.h"
#include "xbase/file/EngineError.h"

using memotest::Open;
using xbase::MemoKind;

namespace {

class MemoKinds : public ::testing::TestWithParam<MemoKind> {
protected:
    void SetUp() override {
        table_ = dir_.file("notes.dbf");
        memotest::CreateEmptyMemo(GetParam(), table_);
    }
    std::string MemoPath() const {
        return dir_.file(GetParam() == MemoKind::FoxPro ? "notes.fpt" : "notes.dbt");
    }
    tabletest::TempDir dir_;
    std::string table_;
};

TEST_P(MemoKinds, TextsOfEverySizeReadBackUnchanged) {
    auto memo = Open(GetParam(), table_);
    std::vector<std::string> texts = {"x",
                                      "short memo",
                                      memotest::Text(502, 1),
                                      memotest::Text(504, 2),
                                      memotest::Text(510, 3),
                                      memotest::Text(511, 4),
                                      memotest::Text(4000, 5),
                                      "\xB7\xA2\xC6\xB1\xB1\xB8\xD7\xA2 GBK"};
    std::vector<std::int32_t> blocks;
    for (const auto& text : texts) {
        std::int32_t block = 0;
        EXPECT_GT(memo->WriteMemo(text, block), 0);
        blocks.push_back(block);
    }
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(memo->MemoSize(blocks[i]), texts[i].size()) << i;
        EXPECT_EQ(memo->ReadMemoText(blocks[i]), texts[i]) << i;
    }
    // Memos never share blocks.
    for (std::size_t i = 1; i < blocks.size(); ++i) EXPECT_GT(blocks[i], blocks[i - 1]);
}

TEST_P(MemoKinds, BlockZeroIsAnEmptyMemoAndClearsTheBuffer) {
    auto memo = Open(GetParam(), table_);
    char buffer[8] = "abcdefg";
    EXPECT_EQ(memo->ReadMemo(0, buffer, sizeof buffer), 0u);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(memo->MemoSize(0), 0u);
    EXPECT_EQ(memo->ReadMemoText(0), "");
}

TEST_P(MemoKinds, ShortBufferGetsTheFrontOfTheText) {
    auto memo = Open(GetParam(), table_);
    std::int32_t block = 0;
    memo->WriteMemo("abcdefghij", block);
    char buffer[4] = {};
    EXPECT_EQ(memo->ReadMemo(block, buffer, sizeof buffer), 4u);
    EXPECT_EQ(std::string(buffer, 4), "abcd");
    EXPECT_EQ(memo->CurrentBlock(), block);
}

TEST_P(MemoKinds, EmptyTextOverAMemoLeavesNoReference) {
    auto memo = Open(GetParam(), table_);
    std::int32_t block = 0;
    memo->WriteMemo("something", block);
    ASSERT_GT(block, 0);
    EXPECT_EQ(memo->WriteMemo("", block), 0);
    EXPECT_EQ(block, 0);
    std::int32_t none = 0;
    EXPECT_EQ(memo->WriteMemo("", none), 0);
}

TEST_P(MemoKinds, RenameFollowsTheTable) {
    auto memo = Open(GetParam(), table_);
    std::int32_t block = 0;
    memo->WriteMemo("kept across the rename", block);
    ASSERT_TRUE(memo->RenameWithTable(dir_.file("renamedtable.dbf")));
    std::string ext = GetParam() == MemoKind::FoxPro ? ".FPT" : ".DBT";
    EXPECT_NE(memo->FullPath().find("RENAMEDTABLE" + ext), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(MemoPath()));
    EXPECT_EQ(memo->ReadMemoText(block), "kept across the rename");
    auto bytes = tabletest::ReadFile(memo->HostPath());
    std::string name(bytes.begin() + 8, bytes.begin() + 17);
    if (GetParam() == MemoKind::FoxPro) {
        EXPECT_EQ(name, std::string(9, '\0'));  // FoxPro headers keep no name
    } else {
        EXPECT_EQ(name, std::string("RENAMEDT\0", 9));
    }
}

INSTANTIATE_TEST_SUITE_P(AllKinds, MemoKinds,
                         ::testing::Values(MemoKind::DBase3, MemoKind::DBase4, MemoKind::FoxPro),
                         [](const auto& info) {
                             return info.param == MemoKind::DBase3   ? std::string("DBase3")
                                    : info.param == MemoKind::DBase4 ? std::string("DBase4")
                                                                     : std::string("FoxPro");
                         });

TEST(MemoLayout, DBase3TextEndsWithTwoTerminatorsAndZeroFill) {
    tabletest::TempDir dir;
    memotest::CreateEmptyMemo(MemoKind::DBase3, dir.file("t.dbf"));
    auto memo = Open(MemoKind::DBase3, dir.file("t.dbf"));
    std::int32_t block = 0;
    memo->WriteMemo(memotest::Text(510, 9), block);  // exactly two bytes to spare
    std::int32_t second = 0;
    memo->WriteMemo(memotest::Text(511, 9), second);  // one byte short: a second block
    EXPECT_EQ(block, 1);
    EXPECT_EQ(second, 2);
    auto bytes = tabletest::ReadFile(dir.file("t.dbt"));
    ASSERT_EQ(bytes.size(), 4u * 512);
    EXPECT_EQ(bytes[512 + 510], 0x1A);
    EXPECT_EQ(bytes[512 + 511], 0x1A);
    EXPECT_EQ(bytes[1024 + 511], 0x1A);
    EXPECT_EQ(bytes[1024 + 512], 0x1A);
    EXPECT_EQ(bytes[1024 + 513], 0x00);
    EXPECT_EQ(xbase::byteorder::GetLe32(bytes.data()), 4u);  // next free block
}

TEST(MemoLayout, BlockHeadersOfDBase4AndFoxPro) {
    tabletest::TempDir dir;
    memotest::CreateEmptyMemo(MemoKind::DBase4, dir.file("a.dbf"));
    memotest::CreateEmptyMemo(MemoKind::FoxPro, dir.file("b.dbf"), 64);
    std::int32_t b4 = 0, bf = 0;
    Open(MemoKind::DBase4, dir.file("a.dbf"))->WriteMemo("hello", b4);
    Open(MemoKind::FoxPro, dir.file("b.dbf"))->WriteMemo("hello", bf);
    auto d4 = tabletest::ReadFile(dir.file("a.dbt"));
    auto fx = tabletest::ReadFile(dir.file("b.fpt"));
    const std::uint8_t* h4 = d4.data() + 512 * b4;
    EXPECT_EQ(b4, 1);
    EXPECT_EQ(h4[0], 0xFF);
    EXPECT_EQ(h4[1], 0xFF);
    EXPECT_EQ(h4[2], 8);
    EXPECT_EQ(xbase::byteorder::GetLe32(h4 + 4), 13u);
    EXPECT_EQ(bf, 8);  // after the 512-byte header in 64-byte blocks
    const std::uint8_t* hf = fx.data() + 64 * bf;
    EXPECT_EQ(xbase::byteorder::GetBe32(hf), 1u);
    EXPECT_EQ(xbase::byteorder::GetBe32(hf + 4), 5u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(hf + 8), 5), "hello");
    EXPECT_EQ(xbase::byteorder::GetBe32(fx.data()), 9u);
    EXPECT_EQ(fx.size(), 9u * 64);
}

TEST(MemoLayout, FoxProPictureBlockReadsAsTextAndBecomesTextOnRewrite) {
    tabletest::TempDir dir;
    memotest::CreateEmptyMemo(MemoKind::FoxPro, dir.file("p.dbf"), 64);
    std::int32_t block = 0;
    Open(MemoKind::FoxPro, dir.file("p.dbf"))->WriteMemo("picture", block);
    auto bytes = tabletest::ReadFile(dir.file("p.fpt"));
    xbase::byteorder::PutBe32(bytes.data() + 64 * block, 0);
    tabletest::WriteFile(dir.file("p.fpt"), bytes);
    auto memo = Open(MemoKind::FoxPro, dir.file("p.dbf"));
    EXPECT_EQ(memo->ReadMemoText(block), "picture");
    memo->WriteMemo("text now", block);
    bytes = tabletest::ReadFile(dir.file("p.fpt"));
    EXPECT_EQ(xbase::byteorder::GetBe32(bytes.data() + 64 * block), 1u);
}

TEST(MemoLayout, DBase3WithoutTerminatorStopsAt65519Bytes) {
    tabletest::TempDir dir;
    memotest::CreateEmptyMemo(MemoKind::DBase3, dir.file("t.dbf"));
    auto bytes = tabletest::ReadFile(dir.file("t.dbt"));
    bytes.resize(512 + 70000, 'm');
    tabletest::WriteFile(dir.file("t.dbt"), bytes);
    auto memo = Open(MemoKind::DBase3, dir.file("t.dbf"));
    EXPECT_EQ(memo->MemoSize(1), 65519u);
    EXPECT_EQ(memo->ReadMemoText(1), std::string(65519, 'm'));
}

TEST(MemoLayout, DBase3TextRunningToTheEndOfTheFileEndsThere) {
    tabletest::TempDir dir;
    memotest::CreateEmptyMemo(MemoKind::DBase3, dir.file("t.dbf"));
    auto bytes = tabletest::ReadFile(dir.file("t.dbt"));
    bytes.resize(512 + 700, 'e');
    tabletest::WriteFile(dir.file("t.dbt"), bytes);
    EXPECT_EQ(Open(MemoKind::DBase3, dir.file("t.dbf"))->ReadMemoText(1), std::string(700, 'e'));
}

TEST(MemoLayout, DBase3RefusesTextsItCouldNotGiveBack) {
    tabletest::TempDir dir;
    memotest::CreateEmptyMemo(MemoKind::DBase3, dir.file("t.dbf"));
    auto memo = Open(MemoKind::DBase3, dir.file("t.dbf"));
    std::int32_t block = 0;
    EXPECT_THROW(memo->WriteMemo(std::string(65520, 'x'), block), xbase::XBaseError);
    EXPECT_THROW(memo->WriteMemo(std::string("ab\x1A"
                                             "cd"),
                                 block),
                 xbase::XBaseError);
    EXPECT_EQ(block, 0);
    EXPECT_EQ(tabletest::ReadFile(dir.file("t.dbt")).size(), 512u);  // nothing written
    memo->WriteMemo(std::string(65519, 'x'), block);
    EXPECT_EQ(memo->MemoSize(block), 65519u);
}

TEST(MemoLayout, DBase4ZeroFilledShortHeaderIsRefused) {
    tabletest::TempDir dir;
    tabletest::WriteFile(dir.file("s.dbt"), {1, 0, 0, 0});
    EXPECT_THROW(Open(MemoKind::DBase4, dir.file("s.dbf")), xbase::XBaseError);
}

TEST(MemoOpen, MissingFileIsErrorTwoWithItsSubcode) {
    tabletest::TempDir dir;
    try {
        Open(MemoKind::FoxPro, dir.file("none.dbf"));
        FAIL() << "opened a missing memo file";
    } catch (const xbase::XBaseError& e) {
        EXPECT_EQ(e.code(), 2);
        EXPECT_EQ(e.subcode(), xbase::memoinfo::Missing);
        EXPECT_NE(std::string(e.what()).find(dir.file("none.fpt")), std::string::npos);
    }
}

TEST(MemoOpen, NameIsTheTablesWithTheKindsExtensionInTheCaseOfItsOwn) {
    EXPECT_EQ(xbase::MemoFile::MemoFileName("  c:\\tax\\fa_piao.dbf ", ".DBT"),
              "c:\\tax\\fa_piao.dbt");
    EXPECT_EQ(xbase::MemoFile::MemoFileName("C:\\TAX\\FA_PIAO.DBF", ".DBT"),
              "C:\\TAX\\FA_PIAO.DBT");
    EXPECT_EQ(xbase::MemoFile::MemoFileName("c:\\v1.2\\table", ".FPT"), "c:\\v1.2\\table.FPT");
}

TEST(MemoOpen, KindFollowsTheTableVersion) {
    using xbase::MemoKindFor;
    EXPECT_EQ(MemoKindFor(0x83, 0, true), MemoKind::DBase3);
    EXPECT_EQ(MemoKindFor(0x8B, 0, true), MemoKind::DBase4);
    EXPECT_EQ(MemoKindFor(0xF5, 0, true), MemoKind::FoxPro);
    EXPECT_EQ(MemoKindFor(0x30, 0x02, false), MemoKind::FoxPro);
    EXPECT_EQ(MemoKindFor(0x30, 0x00, true), MemoKind::FoxPro);
    EXPECT_EQ(MemoKindFor(0x30, 0x00, false), MemoKind::None);
    EXPECT_EQ(MemoKindFor(0x03, 0x02, true), MemoKind::None);
    EXPECT_TRUE(xbase::IsMemoFieldType('B', 0x8B));
    EXPECT_FALSE(xbase::IsMemoFieldType('B', 0x30));
    EXPECT_TRUE(xbase::IsMemoFieldType('G', 0x30));
    EXPECT_FALSE(xbase::IsMemoFieldType('C', 0x83));
}

}  // namespace
