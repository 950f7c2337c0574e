// The tag tree over pages in memory: random insertions and removals against a plain
// ordered model with the page checker run on every node, bulk builds, and hostile pages
// that must end in a fault rather than a crash or an endless walk.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "xbase/file/EngineError.h"
#include "xbase/index/cdx/CdxBulkLoad.h"
#include "xbase/index/cdx/CdxKey.h"
#include "xbase/index/cdx/CdxMemoryStore.h"
#include "xbase/index/cdx/CdxNodeCache.h"
#include "xbase/index/cdx/CdxPageChecker.h"
#include "xbase/index/cdx/CdxTree.h"

using namespace xbase::cdx;
using MemoryStore = CdxMemoryStore;

namespace {

using Entry = std::pair<std::string, std::uint32_t>;

// A store holding an empty root leaf at 1024.
std::uint32_t EmptyRoot(MemoryStore& store, std::uint16_t keyLength, std::uint8_t pad) {
    CdxNode root;
    root.offset = store.AllocatePage();
    root.root = true;
    root.keyLength = keyLength;
    root.pad = pad;
    std::vector<std::uint8_t> page(512);
    EncodeNode(root, 1, page.data());
    store.WritePage(root.offset, page.data());
    return root.offset;
}

std::vector<Entry> Walk(CdxTree& tree) {
    std::vector<Entry> out;
    for (CdxPosition at = tree.First(); at.Valid(); tree.Next(at)) {
        out.emplace_back(
            std::string(reinterpret_cast<const char*>(tree.KeyAt(at)), tree.KeyLength()),
            tree.RecordAt(at));
    }
    return out;
}

std::vector<Entry> WalkBack(CdxTree& tree) {
    std::vector<Entry> out;
    for (CdxPosition at = tree.Last(); at.Valid(); tree.Prior(at)) {
        out.emplace_back(
            std::string(reinterpret_cast<const char*>(tree.KeyAt(at)), tree.KeyLength()),
            tree.RecordAt(at));
    }
    return {out.rbegin(), out.rend()};
}

struct EditCase {
    const char* name;
    std::uint16_t keyLength;
    char keyType;
    int alphabet;  // distinct leading letters: few means long shared prefixes and duplicates
};

class CdxTreeEdits : public testing::TestWithParam<EditCase> {};

std::string RandomKey(std::mt19937& rng, const EditCase& c) {
    std::uint8_t key[240];
    if (c.keyType == 'N') {
        std::uniform_real_distribution<double> value(-1000, 1000);
        EncodeNumberKey(std::round(value(rng) * 100) / 100, key);
        return std::string(reinterpret_cast<const char*>(key), 8);
    }
    std::string text;
    const int length = static_cast<int>(rng() % c.keyLength) + 1;
    for (int i = 0; i < length; ++i) text += static_cast<char>('A' + rng() % c.alphabet);
    EncodeTextKey(text, c.keyLength, key);
    return std::string(reinterpret_cast<const char*>(key), c.keyLength);
}

TEST_P(CdxTreeEdits, TenThousandRandomEditsKeepEveryPageSound) {
    const EditCase c = GetParam();
    const std::uint8_t pad = PadFor(c.keyType);
    MemoryStore store;
    CdxTree tree(store, EmptyRoot(store, c.keyLength, pad), c.keyLength, pad);
    std::set<Entry> model;
    std::vector<Entry> present;
    std::mt19937 rng(16);
    std::uint32_t nextRecord = 1;
    for (int edit = 1; edit <= 10000; ++edit) {
        const auto* k = reinterpret_cast<const std::uint8_t*>(0);
        if (present.empty() || rng() % 3 != 0) {
            Entry e{RandomKey(rng, c), nextRecord++};
            k = reinterpret_cast<const std::uint8_t*>(e.first.data());
            tree.Insert(k, e.second, nextRecord);
            model.insert(e);
            present.push_back(e);
        } else {
            const std::size_t pick = rng() % present.size();
            Entry e = present[pick];
            present[pick] = present.back();
            present.pop_back();
            ASSERT_TRUE(
                tree.Remove(reinterpret_cast<const std::uint8_t*>(e.first.data()), e.second));
            ASSERT_FALSE(
                tree.Remove(reinterpret_cast<const std::uint8_t*>(e.first.data()), e.second));
            model.erase(e);
        }
        if (edit % 1000 == 0) {
            const CdxCheckResult check = CheckTag(store, tree.Root(), c.keyLength, pad, nextRecord);
            ASSERT_TRUE(check.Sound()) << check.fault << " after " << edit << " edits";
            ASSERT_EQ(check.keys, model.size());
            tree.Invalidate();  // read everything back from the pages
            ASSERT_EQ(Walk(tree), std::vector<Entry>(model.begin(), model.end()));
            ASSERT_EQ(WalkBack(tree), std::vector<Entry>(model.begin(), model.end()));
        }
    }
    // Removing everything leaves an empty root leaf on the root's page.
    for (const Entry& e : model)
        ASSERT_TRUE(tree.Remove(reinterpret_cast<const std::uint8_t*>(e.first.data()), e.second));
    EXPECT_FALSE(tree.First().Valid());
    EXPECT_TRUE(CheckTag(store, tree.Root(), c.keyLength, pad, nextRecord).Sound());
}

INSTANTIATE_TEST_SUITE_P(Keys, CdxTreeEdits,
                         testing::Values(EditCase{"ShortText", 10, 'C', 3},
                                         EditCase{"WideText", 60, 'C', 2},
                                         EditCase{"Numbers", 8, 'N', 0},
                                         EditCase{"LongestKeys", 240, 'C', 26}),
                         [](const auto& info) { return std::string(info.param.name); });

// Bulk-loads the sorter's keys as pages appended to the store's bytes, checking that the
// runs of pages come in order, each right after the one before.
CdxBuiltTree LoadInto(MemoryStore& store, const CdxSorter& sorter, std::uint32_t maxRecord) {
    const auto first = static_cast<std::uint32_t>(store.Bytes().size());
    return BulkLoad(sorter, ' ', maxRecord, first,
                    [&](std::uint32_t offset, const std::uint8_t* pages, std::size_t size) {
                        EXPECT_EQ(offset, store.Bytes().size());
                        store.Bytes().insert(store.Bytes().end(), pages, pages + size);
                    });
}

TEST(CdxTreeBulk, BuildFillsLeavesLeftToRightAndSeeksFindEveryKey) {
    for (std::size_t count : {0u, 1u, 40u, 5000u, 70000u}) {
        CdxSorter sorter(10);
        std::mt19937 rng(static_cast<unsigned>(count));
        for (std::size_t r = 1; r <= count; ++r) {
            std::uint8_t key[10];
            EncodeTextKey("K" + std::to_string(rng() % (count + 1)), 10, key);
            sorter.Add(key, static_cast<std::uint32_t>(r));
        }
        sorter.Sort(false);
        MemoryStore store;
        store.Bytes().resize(1536);
        const CdxBuiltTree built = LoadInto(store, sorter, static_cast<std::uint32_t>(count));
        EXPECT_EQ(store.Bytes().size(), 1536 + built.pages * 512);
        const CdxCheckResult check =
            CheckTag(store, built.root, 10, ' ', static_cast<std::uint32_t>(count));
        ASSERT_TRUE(check.Sound()) << check.fault << " with " << count << " keys";
        EXPECT_EQ(check.keys, count);
        CdxTree tree(store, built.root, 10, ' ');
        for (std::size_t i = 0; i < sorter.Count(); i += 97) {
            std::uint8_t key[10];
            sorter.CopyKey(i, key);
            const CdxPosition at = tree.LowerBound(key, 10, CdxTree::kBeforeEqual);
            ASSERT_TRUE(at.Valid());
            EXPECT_EQ(std::memcmp(tree.KeyAt(at), key, 10), 0);
            EXPECT_LE(tree.RecordAt(at), sorter.Record(i));
        }
        // Then edits on the built tree keep it sound.
        for (std::uint32_t r = 1; r <= 300; ++r) {
            std::uint8_t key[10];
            EncodeTextKey("K" + std::to_string(r * 7), 10, key);
            tree.Insert(key, static_cast<std::uint32_t>(count) + r,
                        static_cast<std::uint32_t>(count) + r);
        }
        const CdxCheckResult after =
            CheckTag(store, built.root, 10, ' ', static_cast<std::uint32_t>(count) + 300);
        EXPECT_TRUE(after.Sound()) << after.fault;
        EXPECT_EQ(after.keys, count + 300);
    }
}

TEST(CdxTreeBulk, UniqueKeepsTheLowestRecordOfEachKey) {
    CdxSorter sorter(3);
    const char* keys[] = {"BBB", "AAA", "BBB", "CCC", "AAA"};
    for (std::uint32_t r = 0; r < 5; ++r)
        sorter.Add(reinterpret_cast<const std::uint8_t*>(keys[r]), r + 1);
    sorter.Sort(true);
    ASSERT_EQ(sorter.Count(), 3u);
    EXPECT_EQ(sorter.Record(0), 2u);
    EXPECT_EQ(sorter.Record(1), 1u);
    EXPECT_EQ(sorter.Record(2), 4u);
}

// The node cache's table through growth and removals (each removal shifts the entries
// after it back): every entry still found, every removed one gone and marked so, and a
// cleared cache hands its node objects out again.
TEST(CdxNodeCacheTable, FindsWhatItHoldsThroughGrowthAndRemovals) {
    CdxNodeCache cache;
    std::vector<CdxNode*> nodes;
    for (std::uint32_t k = 1; k <= 3000; ++k) nodes.push_back(&cache.Add(k * 512));
    for (std::uint32_t k = 3; k <= 3000; k += 3) cache.Erase(k * 512);
    EXPECT_EQ(cache.Size(), 2000u);
    for (std::uint32_t k = 1; k <= 3000; ++k) {
        const bool kept = k % 3 != 0;
        ASSERT_EQ(cache.Find(k * 512), kept ? nodes[k - 1] : nullptr) << k;
        EXPECT_EQ(nodes[k - 1]->offset, k * 512);
        EXPECT_EQ(nodes[k - 1]->generation != 0, kept) << k;
    }
    EXPECT_EQ(cache.Find(3001 * 512), nullptr);
    cache.Clear();
    EXPECT_EQ(cache.Size(), 0u);
    EXPECT_EQ(cache.Find(512), nullptr);
    EXPECT_EQ(nodes[0]->generation, 0u);
    CdxNode& again = cache.Add(7 * 512);
    EXPECT_EQ(&again, nodes[0]);  // the first object handed out before
    EXPECT_EQ(again.Count(), 0u);
    EXPECT_GT(again.generation, 3000u);
}

// The sorter against a plain sort of (key, record) pairs: keys packed into the sort's
// items (up to 12 bytes) and longer ones, few distinct keys (long runs of equal keys in
// one bucket) and many, records given in ascending order (as a build reads them) and out
// of order.
TEST(CdxSorterOrder, EqualsAPlainSortOfKeyAndRecord) {
    struct Case {
        std::uint16_t length;
        std::uint32_t distinct;
        bool shuffled;
    };
    for (const Case c :
         {Case{1, 3, false}, Case{8, 50, false}, Case{10, 100000, false}, Case{10, 7, true},
          Case{12, 400, true}, Case{13, 400, false}, Case{20, 90, true}}) {
        std::mt19937 rng(c.length * 31u + c.distinct);
        std::vector<std::pair<std::string, std::uint32_t>> pairs;
        for (std::uint32_t r = 1; r <= 3000; ++r) {
            std::string key(c.length, ' ');
            const std::uint32_t v = rng() % c.distinct;
            // Bytes spread over the whole key: the first two, the middle and the last.
            key[0] = static_cast<char>('A' + v % 5);
            if (c.length > 1) key[c.length - 1] = static_cast<char>(v % 251);
            if (c.length > 2) key[1] = static_cast<char>(0xE0 + v / 5 % 3);
            if (c.length > 9) key[9] = static_cast<char>(v / 15 % 256);
            pairs.emplace_back(key, r);
        }
        if (c.shuffled) std::shuffle(pairs.begin(), pairs.end(), rng);
        CdxSorter sorter(c.length);
        for (const auto& [key, record] : pairs)
            sorter.Add(reinterpret_cast<const std::uint8_t*>(key.data()), record);
        sorter.Sort(false);
        std::sort(pairs.begin(), pairs.end());
        ASSERT_EQ(sorter.Count(), pairs.size());
        std::string key(c.length, '\0');
        for (std::size_t i = 0; i < pairs.size(); ++i) {
            sorter.CopyKey(i, reinterpret_cast<std::uint8_t*>(key.data()));
            ASSERT_EQ(key, pairs[i].first) << "length " << c.length << " at " << i;
            ASSERT_EQ(sorter.Record(i), pairs[i].second) << "length " << c.length << " at " << i;
        }
    }
}

// A three-level tree of 3,000 keys whose pages the hostile cases then damage.
struct Damaged {
    MemoryStore store;
    std::uint32_t root = 0;
    std::uint32_t interior = 0;  // first child of the root
    std::uint32_t leaf = 0;      // first leaf
};

void Build(Damaged& d) {
    CdxSorter sorter(40);
    for (std::uint32_t r = 1; r <= 3000; ++r) {
        std::uint8_t key[40];
        EncodeTextKey("KEY" + std::to_string(100000 + r * 13 % 3000), 40, key);
        sorter.Add(key, r);
    }
    sorter.Sort(false);
    d.store.Bytes().resize(1024);
    const CdxBuiltTree built = LoadInto(d.store, sorter, 3000);
    d.root = built.root;
    d.interior = GetBe32(d.store.Bytes().data() + d.root + 12 + 44);
    d.leaf = GetBe32(d.store.Bytes().data() + d.interior + 12 + 44);
}

struct HostileCase {
    const char* name;
    void (*damage)(Damaged&);
};

TEST(CdxTreeHostile, DamagedPagesEndInAFaultNeverALoop) {
    const HostileCase cases[] = {
        {"child outside the file",
         [](Damaged& d) { PutBe32(d.store.Bytes().data() + d.root + 56, 0x7FFFFE00); }},
        {"child off a page boundary",
         [](Damaged& d) { PutBe32(d.store.Bytes().data() + d.root + 56, 1030); }},
        {"child back up the path",
         [](Damaged& d) { PutBe32(d.store.Bytes().data() + d.interior + 56, d.root); }},
        {"child is the node itself",
         [](Damaged& d) { PutBe32(d.store.Bytes().data() + d.interior + 56, d.interior); }},
        {"interior count over the page",
         [](Damaged& d) { PutLe16(d.store.Bytes().data() + d.root + 2, 60); }},
        {"interior without keys",
         [](Damaged& d) { PutLe16(d.store.Bytes().data() + d.interior + 2, 0); }},
        {"leaf count over the page",
         [](Damaged& d) { PutLe16(d.store.Bytes().data() + d.leaf + 2, 400); }},
        {"bad record mask", [](Damaged& d) { d.store.Bytes()[d.leaf + 16] = 0x7F; }},
        {"sibling loop", [](Damaged& d) { PutLe32(d.store.Bytes().data() + d.leaf + 8, d.leaf); }},
        {"sibling to interior",
         [](Damaged& d) { PutLe32(d.store.Bytes().data() + d.leaf + 8, d.interior); }},
        {"root at page zero", [](Damaged& d) { d.root = 0; }},
    };
    for (const auto& c : cases) {
        Damaged d;
        Build(d);
        c.damage(d);
        SCOPED_TRACE(c.name);
        CdxTree tree(d.store, d.root, 40, ' ');
        std::uint8_t key[40];
        EncodeTextKey("KEY101500", 40, key);
        auto walkAll = [&] {
            std::size_t n = 0;
            for (CdxPosition at = tree.First(); at.Valid() && n < 10000; tree.Next(at)) ++n;
            for (CdxPosition at = tree.Last(); at.Valid() && n < 20000; tree.Prior(at)) ++n;
            tree.LowerBound(key, 40, CdxTree::kBeforeEqual);
            tree.Insert(key, 5000, 5000);
            return n;
        };
        EXPECT_THROW(walkAll(), xbase::XBaseError);
        EXPECT_FALSE(CheckTag(d.store, d.root, 40, ' ', 5000).Sound());
    }
}

}  // namespace
