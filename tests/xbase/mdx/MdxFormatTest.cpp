// dBase IV multiple index layout: packed decimal keys, sizes, the tag table, and trees laid
// out by the bulk builder.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "MdxTestFile.h"
#include "xbase/index/mdx/MdxWalker.h"

namespace xbase::mdx {
namespace {

using Bytes = std::array<std::uint8_t, kNumericKeyLength>;

TEST(MdxFormat, NumericKeysArePackedDecimals) {
    struct Case {
        double value;
        Bytes key;
    };
    const Case cases[] = {
        {12.5, {0x36, 0x11, 0x12, 0x50}},
        {-12.5, {0x36, 0x91, 0x12, 0x50}},
        {100, {0x37, 0x09, 0x10}},
        {0, {0x34, 0x01}},
        {0.05, {0x33, 0x09, 0x50}},
        {123456789.25, {0x3D, 0x31, 0x12, 0x34, 0x56, 0x78, 0x92, 0x50}},
        // More than 15 integer digits: fifteen 9s.
        {1e20, {0x43, 0x41, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x90}},
        // Fifteen significant digits, rounded to nearest.
        {0.1 + 0.2, {0x34, 0x09, 0x30}},
        {1.0 / 3, {0x34, 0x41, 0x33, 0x33, 0x33, 0x33, 0x33, 0x33, 0x33, 0x30}},
        {9.999999999999998, {0x36, 0x09, 0x10}},
        {123.45, {0x37, 0x19, 0x12, 0x34, 0x50}},
        {-0.07, {0x33, 0x89, 0x70}},
        {1e-9, {0x2C, 0x09, 0x10}},
        {2.5e-8, {0x2D, 0x09, 0x25}},
        {999999999999999.4, {0x43, 0x41, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x90}},
        {98765.4321, {0x39, 0x29, 0x98, 0x76, 0x54, 0x32, 0x10}},
    };
    for (const Case& c : cases) {
        Bytes key{};
        EncodeNumber(c.value, key.data());
        EXPECT_EQ(key, c.key) << c.value;
        if (c.value < 1e14 && c.value != 1.0 / 3 && c.value != 0.1 + 0.2 &&
            c.value != 9.999999999999998) {
            EXPECT_DOUBLE_EQ(DecodeNumber(key.data()), c.value);
        }
    }
}

TEST(MdxFormat, EntrySizesAndKeysPerNode) {
    struct Case {
        char type;
        std::size_t length, keyLength, entrySize, maxKeys;
    };
    for (const Case& c :
         {Case{'C', 10, 10, 16, 62}, Case{'D', 0, 8, 12, 83}, Case{'N', 0, 12, 16, 62},
          Case{'C', 1, 1, 8, 126}, Case{'C', 100, 100, 104, 8}}) {
        TagHeader tag = TagHeader::ForNewTag(c.type, c.length, 1024, false, false, "K", "");
        EXPECT_EQ(tag.keyLength, c.keyLength) << c.type << c.length;
        EXPECT_EQ(tag.entrySize, c.entrySize) << c.type << c.length;
        EXPECT_EQ(tag.maxKeys, c.maxKeys) << c.type << c.length;
    }
}

TEST(MdxFormat, TagHeaderAndTableBytes) {
    TagHeader tag = TagHeader::ForNewTag('C', 10, 1024, true, true, "UPPER(NAME)", "QTY > 1");
    tag.rootPage = 8;
    std::vector<std::uint8_t> block(1024);
    tag.Encode(block.data(), block.size());
    EXPECT_EQ(block[8], 0x10 | 0x40 | 0x08);
    EXPECT_EQ(block[9], 'C');
    EXPECT_EQ(block[12], 10);
    EXPECT_EQ(block[14], 62);
    EXPECT_EQ(block[18], 16);
    EXPECT_EQ(block[23], 0x40);
    EXPECT_EQ(block[245], 1);
    EXPECT_EQ(block[246], 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&block[24])), "UPPER(NAME)");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&block[762])), "QTY > 1");
    TagHeader back = TagHeader::Decode(block.data(), block.size());
    EXPECT_TRUE(back.unique && back.descending);
    EXPECT_EQ(back.forExpr, "QTY > 1");

    std::vector<std::uint8_t> region(2048);
    const TagEntry entries[] = {{4, "A", 'C'}, {6, "B", 'N'}, {8, "C", 'D'}};
    EncodeTagTable(entries, 3, region.data());
    EXPECT_EQ(region[28], 3);
    for (int k = 1; k <= 3; ++k) {
        const std::uint8_t* e = &region[512 + 32 * k];
        EXPECT_EQ(e[0], 2 + 2 * k);
        EXPECT_EQ(e[4], 'A' + k - 1);
        EXPECT_EQ(e[19], 2);
        EXPECT_EQ(e[20], "CND"[k - 1]);
        EXPECT_EQ(region[512 + 32 * (k - 1) + 17], k);  // the entry before names this one
    }
}

TEST(MdxFormat, BuiltTreesWalkInKeyOrderWithEqualKeysInRecordOrder) {
    const std::size_t count = 20000;
    indextest::FileImage file = indextest::MdxTestFile(count);
    MdxWalker walker("T.MDX", file.bytes.size(), file.Reader());
    walker.ReadHeaders();
    ASSERT_EQ(walker.Tags().size(), 3u);
    const auto records = indextest::MdxRecords(count);
    for (std::size_t t = 0; t < 3; ++t) {
        std::uint64_t keys = 0;
        EXPECT_EQ(walker.Check(t, keys), "") << t;
        EXPECT_EQ(keys, count);
        // The order expected: record numbers stably sorted by the tag's key.
        std::vector<std::uint32_t> expected(count);
        for (std::size_t r = 0; r < count; ++r) expected[r] = static_cast<std::uint32_t>(r + 1);
        std::stable_sort(expected.begin(), expected.end(), [&](std::uint32_t a, std::uint32_t b) {
            const auto& x = records[a - 1];
            const auto& y = records[b - 1];
            if (t == 0) return x.code < y.code;
            if (t == 1) return x.price > y.price;  // descending
            return x.sold < y.sold;
        });
        std::vector<std::uint32_t> walked;
        walker.Walk(t, [&](std::string_view, std::uint32_t r) { walked.push_back(r); });
        EXPECT_EQ(walked, expected) << walker.Entries()[t].name;
    }
    // The empty date sorts after every date.
    std::string last;
    walker.Walk(2, [&](std::string_view k, std::uint32_t) { last.assign(k); });
    EXPECT_EQ(DecodeDouble(reinterpret_cast<const std::uint8_t*>(last.data())), kEmptyDate);
}

}  // namespace
}  // namespace xbase::mdx
