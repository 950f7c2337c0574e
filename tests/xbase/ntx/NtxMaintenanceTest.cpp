// Clipper index files kept current by record writes: random appends, key changes,
// deletions and recalls split and empty pages at every level; the check passes all along,
// the walk holds the keys of a rebuild in order, and the version counter moves.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "../index/IndexTestSupport.h"
#include "IndexFileImage.h"
#include "xbase/index/IndexCheck.h"
#include "xbase/index/IndexFile.h"
#include "xbase/index/IndexTag.h"
#include "xbase/index/ntx/NtxWalker.h"

namespace {

using indextest::Append;
using indextest::Change;
using indextest::Walk;

struct TagCase {
    const char* tag;
    const char* key;
    const char* forExpr;
    bool unique;
    bool descending;
    bool nameInKey;  // the key holds NAME
    bool qtyInKey;   // the key holds QTY
};

// The key fields of each record of a tag's walk (equal keys may stand in any order).
std::vector<std::string> WalkKeys(xbase::DbfHandler& table, const std::string& tag, const TagCase& c) {
    table.SelectTag(tag);
    std::vector<std::string> keys;
    for (std::int32_t rec : Walk(table)) {
        table.GoTo(rec);
        keys.push_back((c.nameInKey ? table.GetFieldText("NAME") : "") + "/" +
                       (c.qtyInKey ? table.GetFieldText("QTY") : ""));
    }
    return keys;
}

std::uint16_t FileVersion(const std::string& path) {
    auto bytes = indextest::ReadFile(path);
    return static_cast<std::uint16_t>(bytes[2] | bytes[3] << 8);
}

TEST(NtxMaintenance, RandomWritesKeepEveryTagSoundAndEqualToARebuild) {
    // The long key leaves room for 6 keys a page, so the trees grow several levels deep.
    const TagCase cases[] = {
        {"BYNAME", "NAME", "", false, false, true, false},
        {"ONENAME", "NAME", "", true, false, true, false},
        {"QTYDOWN", "QTY", "", false, true, false, true},
        {"LONGKEY", "NAME+STR(QTY,3)+SPACE(100)", "QTY > 30", false, false, true, true},
    };
    tabletest::TempDir dir;
    const std::string path = indextest::WriteKeyTable(dir, "T.DBF", {{"AA", 10}, {"BB", 60}});
    xbase::DbfHandler table(path, true, true);
    table.SetUseDeleted(true);
    for (const TagCase& c : cases) {
        table.CreateIndex(dir.file(std::string(c.tag) + ".NTX"), c.tag, c.key, c.forExpr, c.unique,
                          c.descending);
    }
    std::uint16_t version = FileVersion(dir.file("BYNAME.NTX"));
    std::mt19937 random(4321);
    auto name = [&] {
        return std::string(1, static_cast<char>('A' + random() % 8)) + static_cast<char>('A' + random() % 4);
    };
    for (int step = 1; step <= 10000; ++step) {
        const std::int32_t count = table.RecordCount();
        const unsigned what = random() % 5;
        const auto n = static_cast<std::int32_t>(1 + random() % static_cast<unsigned>(count));
        if (what <= 1 || count < 5) {
            Append(table, name(), static_cast<int>(random() % 100));
        } else if (what == 2) {
            Change(table, n, name(), static_cast<int>(random() % 100));
        } else {
            table.GoTo(n);
            if (what == 3) table.DeleteRecord(); else table.RecallRecord();
        }
        if (step % 100 != 0) continue;
        for (std::size_t t = 0; t < std::size(cases); ++t) {
            xbase::IndexTag* tag = table.TagByOrdinal(static_cast<int>(t) + 1);
            ASSERT_EQ(xbase::CheckTag(*tag), "") << cases[t].tag << " after step " << step;
        }
        const std::uint16_t now = FileVersion(dir.file("BYNAME.NTX"));
        EXPECT_NE(now, version) << "after step " << step;
        version = now;
    }
    // A fresh build of each non-unique tag walks the same keys in the same order, and the
    // files' own walkers find every page sound.
    for (const TagCase& c : cases) {
        const std::string file = dir.file(std::string(c.tag) + ".NTX");
        indextest::FileImage image{indextest::ReadFile(file)};
        xbase::ntx::NtxWalker walker(file, image.bytes.size(), image.Reader());
        walker.ReadHeader();
        std::uint64_t keys = 0;
        EXPECT_EQ(walker.Check(keys), "") << c.tag;
        if (c.unique) continue;
        const std::vector<std::string> kept = WalkKeys(table, c.tag, c);
        const std::string again = std::string("RE") + c.tag;
        table.CreateIndex(dir.file(again + ".NTX"), again, c.key, c.forExpr, false, c.descending);
        EXPECT_EQ(WalkKeys(table, again, c), kept) << c.tag;
        EXPECT_EQ(keys, kept.size()) << c.tag;
    }
}

}  // namespace
