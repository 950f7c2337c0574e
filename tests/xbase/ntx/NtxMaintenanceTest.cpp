// Clipper index files kept current by record writes: random appends, key changes,
// deletions and recalls split and empty pages at every level; the check passes all along,
// the walk holds the keys of a rebuild in order, and the version counter moves.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../index/RandomEdits.h"
#include "IndexFileImage.h"
#include "xbase/index/IndexCheck.h"
#include "xbase/index/IndexFile.h"
#include "xbase/index/IndexTag.h"
#include "xbase/index/ntx/NtxWalker.h"

namespace {

using indextest::EditedTag;
using indextest::WalkKeys;

std::uint16_t FileVersion(const std::string& path) {
    auto bytes = indextest::ReadFile(path);
    return static_cast<std::uint16_t>(bytes[2] | bytes[3] << 8);
}

TEST(NtxMaintenance, RandomWritesKeepEveryTagSoundAndEqualToARebuild) {
    // The long key leaves room for 6 keys a page, so the trees grow several levels deep.
    const std::vector<EditedTag> cases = {
        {"BYNAME", "NAME", "", false, false, true, false},
        {"ONENAME", "NAME", "", true, false, true, false},
        {"QTYDOWN", "QTY", "", false, true, false, true},
        {"LONGKEY", "NAME+STR(QTY,3)+SPACE(100)", "QTY > 30", false, false, true, true},
    };
    tabletest::TempDir dir;
    const std::string path = indextest::WriteKeyTable(dir, "T.DBF", {{"AA", 10}, {"BB", 60}});
    xbase::DbfHandler table(path, true, true);
    table.SetUseDeleted(true);
    for (const EditedTag& c : cases) {
        table.CreateIndex(dir.file(std::string(c.tag) + ".NTX"), c.tag, c.key, c.forExpr, c.unique,
                          c.descending);
    }
    std::uint16_t version = FileVersion(dir.file("BYNAME.NTX"));
    ASSERT_TRUE(indextest::RandomEdits(table, cases, 4321, 10000, [&](int step) {
        const std::uint16_t now = FileVersion(dir.file("BYNAME.NTX"));
        EXPECT_NE(now, version) << "after step " << step;
        version = now;
    }));
    // A fresh build of each non-unique tag walks the same keys in the same order, and the
    // files' own walkers find every page sound.
    for (const EditedTag& c : cases) {
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

TEST(NtxMaintenance, PagesKeptInMemoryGiveWayToAnotherUsersWrites) {
    tabletest::TempDir dir;
    const std::string path = indextest::WriteKeyTable(dir, "T.DBF", {{"M0000", 0}});
    xbase::DbfHandler(path, true, true)
        .CreateIndex(dir.file("NAMES.NTX"), "NAMES", "NAME+SPACE(90)", "", false, false);
    xbase::DbfHandler reader(path, true, false);
    ASSERT_EQ(reader.OpenIndexFile("NAMES.NTX"), 0);
    reader.SelectTag("NAMES");
    EXPECT_TRUE(reader.SeekKey("M0000"));  // the root page is kept now
    // Another process splits pages all over the tree (pages of 8 keys).
    ASSERT_EQ(tabletest::RunInChild([&] {
                  xbase::DbfHandler writer(path, true, true);
                  writer.OpenIndexFile("NAMES.NTX");
                  for (int i = 1; i <= 300; ++i)
                      indextest::Append(writer, "K" + std::to_string(i * 7919 % 1000), i);
                  return 0;
              }),
              0);
    int found = 0;
    for (int i = 1; i <= 300; ++i)
        found += reader.SeekKey("K" + std::to_string(i * 7919 % 1000)) ? 1 : 0;
    EXPECT_EQ(found, 300);
    EXPECT_EQ(indextest::Walk(reader).size(), 301u);
    EXPECT_EQ(xbase::CheckTag(*reader.TagByOrdinal(1)), "");
}

}  // namespace
