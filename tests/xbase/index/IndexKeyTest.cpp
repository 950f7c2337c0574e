// Key comparison: bytes, prefixes, partial comparison, numbers and dates, Beyond.
#include <gtest/gtest.h>

#include "xbase/file/EngineError.h"
#include "xbase/index/IndexKey.h"

namespace {

using xbase::CompareKeys;
using xbase::IndexKey;

struct Case {
    IndexKey a;
    IndexKey b;
    bool partial;
    int expected;
};

TEST(IndexKeyTest, ComparesBytesPrefixesNumbersAndBeyond) {
    const Case cases[] = {
        {IndexKey::Text("ABC"), IndexKey::Text("ABD"), false, -1},
        {IndexKey::Text("ABD"), IndexKey::Text("ABC"), false, 1},
        {IndexKey::Text("ABC"), IndexKey::Text("ABC"), false, 0},
        {IndexKey::Text("AB"), IndexKey::Text("ABC"), false, -1},  // the shorter is less
        {IndexKey::Text("AB"), IndexKey::Text("ABC"), true, 0},    // partial: prefix equal
        {IndexKey::Text("ABC"), IndexKey::Text("AB"), true, 1},    // only the first operand
        {IndexKey::Text(""), IndexKey::Text("A"), false, -1},
        {IndexKey::Text("\xE4"), IndexKey::Text("z"), false, 1},  // unsigned bytes
        {IndexKey::Number(-2.5), IndexKey::Number(1), false, -1},
        {IndexKey::Number(10), IndexKey::Number(9), false, 1},  // numerically, not as text
        {IndexKey::Date(2451545), IndexKey::Date(2451544), false, 1},
        {IndexKey::Date(1e100), IndexKey::Date(2451544), false, 1},  // the empty date last
        {IndexKey::BeyondAll(), IndexKey::Text("\xFF\xFF"), false, 1},
        {IndexKey::Number(5), IndexKey::BeyondAll(), false, -1},
        {IndexKey::BeyondAll(), IndexKey::BeyondAll(), false, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CompareKeys(c.a, c.b, c.partial), c.expected)
            << c.a.Display() << " vs " << c.b.Display();
    }
}

TEST(IndexKeyTest, TextAgainstNumberIsAMismatch) {
    try {
        CompareKeys(IndexKey::Text("1"), IndexKey::Number(1));
        FAIL() << "no error";
    } catch (const xbase::XBaseError& e) {
        EXPECT_STREQ(e.what(), "Variant types mismatch for compare");
    }
}

TEST(IndexKeyTest, CollationMapsBytesBeforeComparing) {
    std::array<std::uint8_t, 256> fold{};
    for (int i = 0; i < 256; ++i)
        fold[static_cast<std::size_t>(i)] =
            static_cast<std::uint8_t>(i >= 'a' && i <= 'z' ? i - 32 : i);
    xbase::SetKeyCollation(&fold);
    EXPECT_EQ(CompareKeys(IndexKey::Text("abc"), IndexKey::Text("ABC")), 0);
    xbase::SetKeyCollation(nullptr);
    EXPECT_EQ(CompareKeys(IndexKey::Text("abc"), IndexKey::Text("ABC")), 1);
}

}  // namespace
