// dBase single index files kept current by record writes: random appends, key changes,
// deletions and recalls split and empty nodes at every level; the check passes all along
// and each walk holds the keys of a rebuild in order. What the format cannot hold is
// refused when the tag is made.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../index/RandomEdits.h"
#include "xbase/file/EngineError.h"

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
        table.CreateIndex(dir.file(std::string(c.tag) + ".NDX"), c.tag, c.key, c.forExpr, c.unique, false);
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
        if (c.existing) xbase::DbfHandler(path, true, true).CreateIndex(index, "X", "NAME", "", false, false);
        const std::vector<std::uint8_t> before = c.existing ? tabletest::ReadFile(index) : std::vector<std::uint8_t>{};
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

}  // namespace
