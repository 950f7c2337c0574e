// Key maintenance against a rebuild: random appends, key changes, deletions and recalls
// over tags with FOR conditions, unique and descending flags, checked every 100 steps.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "IndexTestSupport.h"
#include "TestIndexFormat.h"
#include "xbase/file/EngineError.h"
#include "xbase/index/IndexCheck.h"
#include "xbase/index/IndexFile.h"
#include "xbase/index/IndexTag.h"

namespace {

using indextest::Append;
using indextest::Change;
using indextest::Walk;

struct TagCase {
    const char* file;
    const char* tag;
    const char* key;
    const char* forExpr;
    bool unique;
    bool descending;
    bool byRecord;
};

// A tag's walk as the records hold it: the key field of each, and its record number
// where equal keys are ordered by record number.
std::vector<std::string> WalkKeys(xbase::DbfHandler& table, const std::string& tag,
                                  const char* field, bool withRecord) {
    table.SelectTag(tag);
    std::vector<std::string> keys;
    for (std::int32_t rec : Walk(table)) {
        table.GoTo(rec);
        keys.push_back(table.GetFieldText(field) + (withRecord ? "#" + std::to_string(rec) : ""));
    }
    return keys;
}

TEST(IndexMaintenanceTest, RandomWritesKeepEveryTagEqualToARebuild) {
    const TagCase cases[] = {
        {"BYNAME.TIX", "BYNAME", "NAME", "", false, false, false},
        {"ONENAME.TIX", "ONENAME", "NAME", "", true, false, false},
        {"BIGQTY.TIX", "BIGQTY", "QTY", "QTY > 50", false, true, true},
        {"NAMEQ.TIX", "NAMEQ", "NAME", "QTY < 30", false, false, true},
    };
    tabletest::TempDir dir;
    const std::string path = indextest::WriteKeyTable(dir, "T.DBF", {{"AA", 10}, {"BB", 60}});
    xbase::DbfHandler table(path, true, true);
    table.SetUseDeleted(true);
    for (const TagCase& c : cases) {
        indextest::SetTixOrdersByRecord(c.byRecord);
        table.CreateIndex(dir.file(c.file), c.tag, c.key, c.forExpr, c.unique, c.descending);
    }
    std::mt19937 random(1234);
    auto name = [&] {
        return std::string(1, static_cast<char>('A' + random() % 6)) +
               static_cast<char>('A' + random() % 3);
    };
    for (int step = 1; step <= 10000; ++step) {
        const std::int32_t count = table.RecordCount();
        const unsigned what = random() % 4;
        const std::int32_t n =
            static_cast<std::int32_t>(1 + random() % static_cast<unsigned>(count));
        if (what == 0 || count < 5) {
            Append(table, name(), static_cast<int>(random() % 100));
        } else if (what == 1) {
            Change(table, n, name(), static_cast<int>(random() % 100));
        } else {
            table.GoTo(n);
            if (what == 2)
                table.DeleteRecord();
            else
                table.RecallRecord();
        }
        if (step % 100 != 0) continue;
        for (const TagCase& c : cases) {
            xbase::IndexTag* tag = table.TagByOrdinal(static_cast<int>(&c - cases) + 1);
            ASSERT_EQ(xbase::CheckTag(*tag), "") << c.file << " after step " << step;
        }
    }
    // A fresh build of each non-unique tag walks the same keys in the same order.
    for (const TagCase& c : cases) {
        if (c.unique) continue;
        const std::vector<std::string> kept = WalkKeys(table, c.tag, c.key, c.byRecord);
        indextest::SetTixOrdersByRecord(c.byRecord);
        const std::string again = std::string("RE") + c.tag;
        table.CreateIndex(dir.file(again + ".TIX"), again, c.key, c.forExpr, false, c.descending);
        EXPECT_EQ(WalkKeys(table, again, c.key, c.byRecord), kept) << c.tag;
    }
}

// When the last key under an interior node goes, the separator above may stay higher than
// the keys left under it (formats whose last child has no key cannot lower it); keys added
// between the two must still land in order, and the walk must still give every key once.
TEST(IndexMaintenanceTest, KeysAddedBelowAStaleSeparatorStayInOrder) {
    for (bool childOnlyLast : {false, true}) {
        tabletest::TempDir dir;
        std::vector<std::pair<std::string, int>> rows;
        for (int i = 1; i <= 60; ++i) rows.push_back({"R", i * 10});
        xbase::DbfHandler table(indextest::WriteKeyTable(dir, "T.DBF", rows), true, true);
        indextest::SetTixOrdersByRecord(false);
        indextest::SetTixChildOnlyLast(childOnlyLast);
        table.CreateIndex(dir.file("Q.TIX"), "Q", "QTY", "", false, false);
        indextest::SetTixChildOnlyLast(false);
        for (int i = 1; i <= 60; ++i) {
            // Key i*10 leaves (its record moves to the end), two keys just below it arrive.
            Change(table, i, "R", 9000 + i);
            Append(table, "N", i * 10 - 3);
            Append(table, "N", i * 10 - 1);
            ASSERT_EQ(xbase::CheckTag(*table.TagByOrdinal(1)), "")
                << "key " << i * 10 << " child-only " << childOnlyLast;
        }
        const std::vector<std::string> keys = WalkKeys(table, "Q", "QTY", false);
        ASSERT_EQ(keys.size(), 180u);
        EXPECT_EQ(keys[0], "7");
        EXPECT_EQ(keys[1], "9");
        EXPECT_EQ(keys[118], "597");
        EXPECT_EQ(keys[119], "599");
        EXPECT_EQ(keys[120], "9001");
        EXPECT_EQ(keys[179], "9060");
    }
}

}  // namespace
