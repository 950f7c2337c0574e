// Leaf and key layouts byte for byte: entry widths by record count, prefix and trailing
// compression, numeric keys, and pages another program wrote that must not be read.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "xbase/index/cdx/CdxKey.h"
#include "xbase/index/cdx/CdxNode.h"

using namespace xbase::cdx;

namespace {

struct ParamsCase {
    std::uint16_t keyLength;
    std::uint32_t records;
    std::uint8_t entryBytes, recordBits, dupBits;
    std::uint32_t recordMask;
};

TEST(CdxLeafLayout, EntryWidthFollowsKeyLengthAndRecordCount) {
    const ParamsCase cases[] = {
        {10, 1000, 3, 16, 4, 0xFFFF},  // a 10-byte tag on 1,000 records
        {10, 65535, 3, 16, 4, 0xFFFF},
        {10, 70000, 4, 24, 4, 0xFFFFFF},  // grows to 4 bytes at 70,000 records
        {10, 20000000, 5, 31, 4, 0x7FFFFFFF},
        {8, 500, 3, 16, 4, 0xFFFF},
        {25, 500, 3, 14, 5, 0x3FFF},
        {25, 30000, 4, 22, 5, 0x3FFFFF},
        {240, 1, 3, 8, 8, 0xFF},
        {240, 1000000, 5, 24, 8, 0xFFFFFF},
    };
    for (const auto& c : cases) {
        const LeafParams p = LeafParams::For(c.keyLength, c.records);
        SCOPED_TRACE(testing::Message() << "L=" << c.keyLength << " R=" << c.records);
        EXPECT_EQ(p.entryBytes, c.entryBytes);
        EXPECT_EQ(p.recordBits, c.recordBits);
        EXPECT_EQ(p.dupBits, c.dupBits);
        EXPECT_EQ(p.trailBits, c.dupBits);
        EXPECT_EQ(p.recordMask, c.recordMask);
        EXPECT_EQ(p.dupMask, (1u << c.dupBits) - 1);
    }
}

CdxNode Leaf(std::uint16_t keyLength, std::uint8_t pad,
             const std::vector<std::pair<std::vector<std::uint8_t>, std::uint32_t>>& keys) {
    CdxNode n;
    n.offset = 1024;
    n.root = true;
    n.keyLength = keyLength;
    n.pad = pad;
    for (const auto& [key, record] : keys) {
        std::vector<std::uint8_t> full(keyLength, pad);
        std::memcpy(full.data(), key.data(), key.size());
        n.Insert(n.Count(), full.data(), record, 0);
    }
    return n;
}

std::vector<std::uint8_t> Bytes(const char* text) {
    return std::vector<std::uint8_t>(text, text + std::strlen(text));
}

TEST(CdxLeafLayout, AbcAbdShareTwoBytesAndDropSevenBlanks) {
    std::vector<std::uint8_t> page(512);
    ASSERT_TRUE(EncodeNode(Leaf(10, ' ', {{Bytes("ABC"), 1}, {Bytes("ABD"), 2}}), 2, page.data()));
    const std::vector<std::uint8_t> header = {
        0x03, 0x00, 0x02, 0x00, 0xFF, 0xFF,
        0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,  // leaf root, 2 keys
        0xDE, 0x01, 0xFF, 0xFF, 0x00, 0x00,
        0x0F, 0x0F, 0x10, 0x04, 0x04, 0x03,  // 478 free
        0x01, 0x00, 0x70,                    // record 1, duplicates 0, trailing 7
        0x02, 0x00, 0x72};                   // record 2, duplicates 2, trailing 7
    EXPECT_EQ(std::vector<std::uint8_t>(page.begin(), page.begin() + 30), header);
    EXPECT_EQ(std::vector<std::uint8_t>(page.begin() + 508, page.end()),
              (std::vector<std::uint8_t>{'D', 'A', 'B', 'C'}));
    EXPECT_TRUE(std::all_of(page.begin() + 30, page.begin() + 508, [](auto b) { return b == 0; }));

    CdxNode back;
    back.keyLength = 10;
    back.pad = ' ';
    ASSERT_EQ(DecodeNode(page.data(), back), "");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(back.Key(1)), 10), "ABD       ");
    EXPECT_EQ(back.records, (std::vector<std::uint32_t>{1, 2}));
}

TEST(CdxLeafLayout, NumberKeysAreByteComparableAndKeepTrailingFF) {
    struct Case {
        double value;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {0.0, {0x80, 0, 0, 0, 0, 0, 0, 0}},
        {-0.0, {0x80, 0, 0, 0, 0, 0, 0, 0}},
        {1.0, {0xBF, 0xF0, 0, 0, 0, 0, 0, 0}},
        {-1.0, {0x40, 0x0F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {-984.625, {0x3F, 0x71, 0x3A, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},  // as the peer files hold it
        {2451605.0, {0xC1, 0x42, 0xB4, 0x4A, 0x80, 0, 0, 0}},          // day 2451605 (2000-02-29)
    };
    for (const auto& c : cases) {
        std::uint8_t key[8];
        EncodeNumberKey(c.value, key);
        EXPECT_EQ(std::vector<std::uint8_t>(key, key + 8), c.bytes) << c.value;
    }
    // Zero is the single byte 0x80 with seven trailing pad bytes; -1 stores all eight.
    std::vector<std::uint8_t> page(512);
    ASSERT_TRUE(
        EncodeNode(Leaf(8, 0, {{{0x40, 0x0F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, 2}, {{0x80}, 1}}),
                   2, page.data()));
    EXPECT_EQ(std::vector<std::uint8_t>(page.begin() + 24, page.begin() + 30),
              (std::vector<std::uint8_t>{0x02, 0x00, 0x00, 0x01, 0x00, 0x70}));
    EXPECT_EQ(std::vector<std::uint8_t>(page.begin() + 503, page.end()),
              (std::vector<std::uint8_t>{0x80, 0x40, 0x0F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    // Two negatives that differ only after a run of 0xFF order as their numbers do.
    std::uint8_t a[8], b[8];
    EncodeNumberKey(-984.625, a);
    EncodeNumberKey(-984.6250000000001, b);
    EXPECT_GT(std::memcmp(a, b, 8), 0);
}

TEST(CdxLeafLayout, FourByteEntriesAtSeventyThousandRecords) {
    std::vector<std::uint8_t> page(512);
    ASSERT_TRUE(EncodeNode(Leaf(10, ' ', {{Bytes("K"), 70000}}), 70000, page.data()));
    EXPECT_EQ(std::vector<std::uint8_t>(page.begin() + 12, page.begin() + 28),
              (std::vector<std::uint8_t>{0xE3, 0x01,              // 488 - (1 + 4) free
                                         0xFF, 0xFF, 0xFF, 0x00,  // record mask
                                         0x0F, 0x0F, 0x18, 0x04, 0x04, 0x04, 0x70, 0x11, 0x01,
                                         0x90}));  // 70000, trailing 9
}

struct HostilePage {
    const char* what;
    std::size_t at;
    std::vector<std::uint8_t> bytes;
};

TEST(CdxLeafLayout, MalformedLeavesAreRefusedWithTheReason) {
    std::vector<std::uint8_t> good(512);
    ASSERT_TRUE(EncodeNode(Leaf(10, ' ', {{Bytes("ABC"), 1}, {Bytes("ABD"), 2}}), 2, good.data()));
    const HostilePage cases[] = {
        {"node attributes out of range", 0, {0x07}},
        {"leaf masks disagree with their bit counts", 18, {0x1F}},
        {"leaf masks disagree with their bit counts", 14, {0xFF, 0xFF, 0xFF}},
        {"leaf bit counts do not fit the entry size", 20, {0x20}},
        {"leaf entry size out of range", 23, {0x02}},
        {"leaf key count beyond the page", 2, {0xFF, 0x00}},
        {"leaf counts beyond the key length", 26, {0xF0}},
        {"first leaf key shares a prefix with nothing", 26, {0x71}},
        {"leaf key bytes run into the entries", 2, {0xA2, 0x00}},
    };
    for (const auto& c : cases) {
        std::vector<std::uint8_t> page = good;
        std::copy(c.bytes.begin(), c.bytes.end(), page.begin() + static_cast<long>(c.at));
        CdxNode n;
        n.keyLength = 10;
        n.pad = ' ';
        EXPECT_EQ(DecodeNode(page.data(), n), c.what);
    }
}

}  // namespace
