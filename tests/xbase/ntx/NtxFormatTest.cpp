// Clipper index layout: sizes from the key length, numeric key texts, header fields.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "xbase/index/ntx/NtxFormat.h"

namespace xbase::ntx {
namespace {

TEST(NtxFormat, PageSizesFollowTheKeyLength) {
    struct Case {
        std::size_t keyLength, half, max, firstItem;
    };
    // 8-, 11- and 25-byte keys as other programs' files carry them; 10 as the engine's own.
    for (const Case& c : {Case{10, 25, 50, 104}, Case{8, 27, 54, 112}, Case{11, 23, 46, 96},
                          Case{25, 14, 28, 60}, Case{250, 1, 2, 8}}) {
        EXPECT_EQ(HalfPageCount(c.keyLength), c.half) << c.keyLength;
        EXPECT_EQ(MaxKeysPerPage(c.keyLength), c.max) << c.keyLength;
        EXPECT_EQ(ItemOffset(0, c.keyLength + 8, c.max), c.firstItem) << c.keyLength;
    }
}

TEST(NtxFormat, NumericKeysAreDigitTextsWithNegativesMapped) {
    struct Case {
        double value;
        std::size_t length, decimals;
        const char* key;
    };
    const Case cases[] = {
        {-12.5, 8, 2, ",,,+*.',"},  // 00012.50 with each digit d as 92 - d
        {12.5, 8, 2, "00012.50"},
        {0, 11, 3, "0000000.000"},
        {0.0005, 11, 3, "0000000.001"},   // rounds half away from zero
        {-0.0001, 11, 3, "0000000.000"},  // rounds to zero: not negative
        {-0.001, 11, 3, ",,,,,,,.,,+"},
        {-999999.999, 11, 3, ",######.###"},
        {9999999.999, 11, 3, "9999999.999"},
        {10000000, 11, 3, "***********"},  // too wide: asterisks, as other programs write
        {-100000000, 8, 0, "********"},
        {99999999, 8, 0, "99999999"},
        {-9999999, 8, 0, ",#######"},
        {42, 18, 4, "0000000000042.0000"},
        {1234.5678, 10, 2, "0001234.57"},
        {0.5, 3, 0, "001"},
        {-2.5, 4, 0, ",,,)"},
        {123456789012.5, 16, 2, "0123456789012.50"},
        {1e14, 20, 3, "0100000000000000.000"},  // more digits than a double holds exactly
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EncodeNumber(c.value, c.length, c.decimals), c.key) << c.value;
    }
    EXPECT_DOUBLE_EQ(DecodeNumber(",,,+*.',"), -12.5);
    EXPECT_DOUBLE_EQ(DecodeNumber("0000000.001"), 0.001);
}

TEST(NtxFormat, HeaderKeepsEveryFieldAndTheDescendingFlagAt280) {
    Header h = Header::ForNewTag("UPPER(ITEM)", "QTY > 10", 25, 0, true, true, "ITEMBIG");
    std::array<std::uint8_t, kPageSize> page{};
    h.version = 0x1234;
    h.root = 0x2C00;
    h.Encode(page.data());
    EXPECT_EQ(page[0], 7);  // FOR expression present
    EXPECT_EQ(page[2], 0x34);
    EXPECT_EQ(page[3], 0x12);
    EXPECT_EQ(page[12], 33);
    EXPECT_EQ(page[14], 25);
    EXPECT_EQ(page[18], 28);
    EXPECT_EQ(page[20], 14);
    EXPECT_EQ(page[278], 1);
    EXPECT_EQ(page[279], 0);
    EXPECT_EQ(page[280], 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(page.data() + 282)), "QTY > 10");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(page.data() + 538)), "ITEMBIG");

    Header back = Header::Decode(page.data());
    EXPECT_EQ(back.keyExpr, "UPPER(ITEM)");
    EXPECT_EQ(back.forExpr, "QTY > 10");
    EXPECT_EQ(back.tagName, "ITEMBIG");
    EXPECT_TRUE(back.unique);
    EXPECT_TRUE(back.descending);
    EXPECT_EQ(back.Problem(0x3000), "");
    EXPECT_EQ(back.Problem(0x2C00), "root page");  // the root lies past the end

    // A file marked descending at 279 is read as descending too.
    page[280] = 0;
    page[279] = 1;
    EXPECT_TRUE(Header::Decode(page.data()).descending);
}

TEST(NtxFormat, VersionCounterRestartsAfter7FFF) {
    EXPECT_EQ(NextVersion(1), 2);
    EXPECT_EQ(NextVersion(0x7FFE), 0x7FFF);
    EXPECT_EQ(NextVersion(0x7FFF), 1);
}

}  // namespace
}  // namespace xbase::ntx
