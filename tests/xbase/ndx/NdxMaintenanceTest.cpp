// dBase single index files kept current by record writes: random appends, key changes,
// deletions and recalls split and empty nodes at every level; the check passes all along
// and each walk holds the keys of a rebuild in order. What the format cannot hold is
// refused when the tag is made; a date kept as eight digits is read as it is kept.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "../index/RandomEdits.h"
#include "xbase/file/EngineError.h"
#include "xbase/index/IndexCheck.h"

namespace {

using indextest::EditedTag;
using indextest::WalkKeys;

TEST(NdxMaintenance, RandomWritesKeepEveryFileSoundAndEqualToARebuild) {
    // The long key leaves room for 4 keys a node (entries of 108 bytes): deep trees whose
    // interior nodes fill their page up to the last child.
    const std::vector<EditedTag> cases = {
        {"BYNAME", "NAME", "", false, false, true, false},
        {"ONENAME", "NAME", "", true, false, true, false},
        {"BYQTY", "QTY", "", false, false, false, true},
        {"LONGKEY", "NAME+STR(QTY,3)+SPACE(91)", "", false, false, true, true},
    };
    tabletest::TempDir dir;
    const std::string path = indextest::WriteKeyTable(dir, "T.DBF", {{"AA", 10}, {"BB", 60}});
    xbase::DbfHandler table(path, true, true);
    table.SetUseDeleted(true);
    for (const EditedTag& c : cases) {
        table.CreateIndex(dir.file(std::string(c.tag) + ".NDX"), c.tag, c.key, c.forExpr, c.unique,
                          false);
    }
    ASSERT_TRUE(indextest::RandomEdits(table, cases, 2468, 10000));
    for (const EditedTag& c : cases) {
        if (c.unique) continue;
        const std::vector<std::string> kept = WalkKeys(table, c.tag, c);
        const std::string again = std::string("RE") + c.tag;
        table.CreateIndex(dir.file(again + ".NDX"), again, c.key, "", false, false);
        EXPECT_EQ(WalkKeys(table, again, c), kept) << c.tag;
    }
}

TEST(NdxMaintenance, HeadersGiveKeyLengthEntrySizeAndKeysPerNodeOfEachKeyType) {
    struct Case {
        const char* key;
        int keyLength, maxKeys, keyType, entrySize;
    };
    const Case cases[] = {
        {"NAME+'    '", 10, 25, 0, 20},
        {"NAME", 6, 31, 0, 16},
        {"QTY", 8, 25, 1, 20},
        {"CTOD('01/02/2003')", 8, 31, 1, 16},
    };
    for (const Case& c : cases) {
        tabletest::TempDir dir;
        const std::string path = indextest::WriteKeyTable(dir, "T.DBF", {{"AA", 10}, {"BB", 60}});
        xbase::DbfHandler(path, true, true)
            .CreateIndex(dir.file("X.NDX"), "X", c.key, "", false, false);
        const std::vector<std::uint8_t> bytes = tabletest::ReadFile(dir.file("X.NDX"));
        ASSERT_EQ(bytes.size(), 1024u) << c.key;
        auto word = [&](std::size_t at) { return bytes[at] | bytes[at + 1] << 8; };
        EXPECT_EQ(word(0), 1) << c.key;  // the root: the one leaf after the header
        EXPECT_EQ(word(4), 2) << c.key;  // the next free page
        EXPECT_EQ(word(12), c.keyLength) << c.key;
        EXPECT_EQ(word(14), c.maxKeys) << c.key;
        EXPECT_EQ(word(16), c.keyType) << c.key;
        EXPECT_EQ(word(18), c.entrySize) << c.key;
        EXPECT_EQ(word(512), 2) << c.key;      // two keys in the leaf
        EXPECT_EQ(word(512 + 8), 1) << c.key;  // record 1 first
    }
}

TEST(NdxMaintenance, WhatTheFormatCannotHoldIsRefusedAndTheFileIsLeftAsItWas) {
    struct Case {
        const char* forExpr;
        bool descending;
        bool existing;  // an index of that name is there before
        const char* message;
    };
    const Case cases[] = {
        {"QTY > 5", false, false, "A dBase index (.NDX) keeps no FOR condition: "},
        {"", true, false, "A dBase index (.NDX) keeps no descending order: "},
        {"QTY > 5", true, true, "A dBase index (.NDX) keeps no FOR condition: "},
        {"", true, true, "A dBase index (.NDX) keeps no descending order: "},
    };
    for (const Case& c : cases) {
        tabletest::TempDir dir;
        const std::string path = indextest::WriteKeyTable(dir, "T.DBF", {{"AA", 10}, {"BB", 60}});
        const std::string index = dir.file("X.NDX");
        if (c.existing)
            xbase::DbfHandler(path, true, true).CreateIndex(index, "X", "NAME", "", false, false);
        const std::vector<std::uint8_t> before =
            c.existing ? tabletest::ReadFile(index) : std::vector<std::uint8_t>{};
        xbase::DbfHandler table(path, true, true);
        try {
            table.CreateIndex(index, "X", "QTY", c.forExpr, false, c.descending);
            ADD_FAILURE() << c.message << "not raised";
        } catch (const xbase::XBaseError& e) {
            // Paths in messages are upper case, as the engine names files.
            const std::string what = e.what();
            EXPECT_EQ(what.substr(0, what.find('/')), c.message);
            EXPECT_EQ(what.substr(what.rfind('/')), "/X.NDX");
        }
        if (c.existing) {
            EXPECT_EQ(tabletest::ReadFile(index), before) << c.message;
        } else {
            EXPECT_FALSE(std::filesystem::exists(index)) << c.message;
        }
    }
}

TEST(NdxMaintenance, ADateKeptAsEightDigitsInACharacterTagIsWalkedSoughtAndKept) {
    // Such a file holds the key expression DAY with character keys "YYYYMMDD" (type 0,
    // length 8): made here as a DTOS(DAY) tag whose expression is then set to DAY.
    tabletest::TableShape shape;
    shape.fields = {{"DAY", 'D', 8, 0}};
    shape.records = {"20240301", "19991231", "        ", "20240105"};
    tabletest::TempDir dir;
    const std::string path = dir.file("D.DBF");
    tabletest::WriteFile(path, tabletest::BuildTable(shape));
    const std::string index = dir.file("DAY.NDX");
    xbase::DbfHandler(path, true, true).CreateIndex(index, "DAY", "DTOS(DAY)", "", false, false);
    std::vector<std::uint8_t> bytes = tabletest::ReadFile(index);
    std::fill(bytes.begin() + 24, bytes.begin() + 512, 0);
    std::copy_n("DAY", 3, bytes.begin() + 24);
    tabletest::WriteFile(index, bytes);

    xbase::DbfHandler table(path, true, true);
    ASSERT_EQ(table.OpenIndexFile("DAY.NDX"), 0);
    table.SelectTag("DAY");
    EXPECT_EQ(indextest::Walk(table), (std::vector<std::int32_t>{3, 2, 4, 1}));
    EXPECT_TRUE(table.SeekKey("20240105"));
    EXPECT_EQ(table.CurrentRecord(), 4);
    table.BlankRecord();
    table.PutFieldRaw(1, "20000101");
    ASSERT_TRUE(table.AppendRecord());
    EXPECT_EQ(indextest::Walk(table), (std::vector<std::int32_t>{3, 2, 5, 4, 1}));
    EXPECT_EQ(xbase::CheckTag(*table.TagByOrdinal(1)), "");
    EXPECT_EQ(tabletest::ReadFile(index)[16], 0) << "the key type stays character";
}

}  // namespace
