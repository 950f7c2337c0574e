// MDX files kept current by record writes, and their tag table: random appends, key
// changes, deletions and recalls split nodes at every level; the check passes all along,
// each walk holds the keys of a rebuild in order; tags stand in name order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../index/RandomEdits.h"
#include "../ntx/IndexFileImage.h"
#include "xbase/index/IndexFile.h"
#include "xbase/index/IndexTag.h"
#include "xbase/index/mdx/MdxWalker.h"

namespace {

using indextest::EditedTag;
using indextest::WalkKeys;

TEST(MdxMaintenance, RandomWritesKeepEveryTagSoundAndEqualToARebuild) {
    // The long key leaves room for 8 keys a node, so the trees grow several levels deep.
    const std::vector<EditedTag> cases = {
        {"BYNAME", "NAME", "", false, false, true, false},
        {"ONENAME", "NAME", "", true, false, true, false},
        {"QTYDOWN", "QTY", "", false, true, false, true},
        {"LONGKEY", "NAME+STR(QTY,3)+SPACE(91)", "QTY > 30", false, false, true, true},
    };
    tabletest::TempDir dir;
    const std::string path = indextest::WriteKeyTable(dir, "T.DBF", {{"AA", 10}, {"BB", 60}});
    xbase::DbfHandler table(path, true, true);
    table.SetUseDeleted(true);
    for (const EditedTag& c : cases) {
        table.CreateIndex(dir.file("TAGS.MDX"), c.tag, c.key, c.forExpr, c.unique, c.descending);
    }
    ASSERT_TRUE(indextest::RandomEdits(table, cases, 8765, 10000));
    // The file's own walker finds every node sound, and a fresh build of each non-unique
    // tag walks the same keys in the same order.
    indextest::FileImage image{indextest::ReadFile(dir.file("TAGS.MDX"))};
    xbase::mdx::MdxWalker walker("TAGS.MDX", image.bytes.size(), image.Reader());
    walker.ReadHeaders();
    for (std::size_t t = 0; t < walker.Tags().size(); ++t) {
        std::uint64_t keys = 0;
        EXPECT_EQ(walker.Check(t, keys), "") << walker.Entries()[t].name;
    }
    for (const EditedTag& c : cases) {
        if (c.unique) continue;
        const std::vector<std::string> kept = WalkKeys(table, c.tag, c);
        const std::string again = std::string("R") + c.tag;
        table.CreateIndex(dir.file("AGAIN.MDX"), again, c.key, c.forExpr, false, c.descending);
        EXPECT_EQ(WalkKeys(table, again, c), kept) << c.tag;
    }
}

TEST(MdxMaintenance, TagsStandInNameOrderAndAReplacedTagKeepsItsPlace) {
    tabletest::TempDir dir;
    const std::string path =
        indextest::WriteKeyTable(dir, "T.DBF", {{"AA", 10}, {"BB", 60}, {"CC", 5}});
    xbase::DbfHandler table(path, false, true);
    for (const char* name : {"C", "A", "b", "A"})
        table.CreateIndex(dir.file("X.MDX"), name, "NAME", "", false, false);
    indextest::FileImage image{indextest::ReadFile(dir.file("X.MDX"))};
    xbase::mdx::MdxWalker walker("X.MDX", image.bytes.size(), image.Reader());
    walker.ReadHeaders();
    std::vector<std::string> names;
    for (const auto& entry : walker.Entries()) names.push_back(entry.name);
    EXPECT_EQ(names, (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(image.bytes[0], 2);
    EXPECT_EQ(image.bytes[28], 3);
    for (std::size_t t = 0; t < 3; ++t) {
        std::vector<std::uint32_t> order;
        walker.Walk(t, [&](std::string_view, std::uint32_t r) { order.push_back(r); });
        EXPECT_EQ(order, (std::vector<std::uint32_t>{1, 2, 3})) << names[t];
    }
}

}  // namespace
