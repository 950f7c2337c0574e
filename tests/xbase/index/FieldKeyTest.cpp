// Keys a build reads straight from the field its key expression names: the plain numbers
// it reads itself, and for texts other programs write (fewer decimals, a bare point, minus
// zero, blanks, an exponent, a NUL in a name) tags of every format whose entries are the
// expression's keys (the check evaluates each record) in the expected order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "IndexTestSupport.h"
#include "xbase/index/FieldKey.h"
#include "xbase/index/IndexCheck.h"
#include "xbase/index/IndexTag.h"

namespace {

using xbase::fieldkey::PlainNumber;

TEST(FieldKeys, PlainNumbersAreReadFromTheirDigits) {
    struct Case {
        const char* text;
        bool plain;
        std::uint64_t units;
        int decimals;
        bool negative;
        double value;
    };
    const Case cases[] = {
        {"   123.45", true, 12345, 2, false, 123.45},
        {"  -123.45", true, 12345, 2, true, -123.45},
        {"    -0.00", true, 0, 2, true, -0.0},
        {"      .5 ", false, 0, 0, false, 0},
        {"       .5", true, 5, 1, false, 0.5},
        {"      12.", true, 12, 0, false, 12},
        {"000000012", true, 12, 0, false, 12},
        {"         ", false, 0, 0, false, 0},
        {"    1e2  ", false, 0, 0, false, 0},
        {"   +12.00", false, 0, 0, false, 0},
        {"*********", false, 0, 0, false, 0},
        {"  1.2.3  ", false, 0, 0, false, 0},
        {"-", false, 0, 0, false, 0},
        {"999999999999999", true, 999999999999999, 0, false, 999999999999999.0},
        {"9999999999999999", false, 0, 0, false, 0},
        {"0.1000000000001", true, 1000000000001, 13, false, 0.1000000000001},
    };
    for (const Case& c : cases) {
        const std::string text = c.text;
        PlainNumber number;
        const bool plain = xbase::fieldkey::ReadPlainNumber(
            reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), number);
        EXPECT_EQ(plain, c.plain) << c.text;
        if (!plain || !c.plain) continue;
        EXPECT_EQ(number.units, c.units) << c.text;
        EXPECT_EQ(number.decimals, c.decimals) << c.text;
        EXPECT_EQ(number.negative, c.negative) << c.text;
        EXPECT_EQ(number.Value(), c.value) << c.text;
    }
}

TEST(FieldKeys, OneFieldTagsHoldTheExpressionsKeysInEveryFormat) {
    // QTY N(5,0) as other programs may have written it; NAME C(6) with a NUL in record 2.
    const std::vector<std::pair<const char*, std::string>> rows = {
        {"   12", "PEAR"},  {"  -12", std::string("AB\0CD", 5)},
        {"   -0", "ZZ"},    {"  1.5", "AB"},
        {"     ", ""},      {"  1e2", "PEAR"},
        {"   .5", "AB CD"}, {"  12.", "A"},
        {"00012", "AB"},    {"   7 ", "ZZ"},
    };
    for (const char* format : {".NTX", ".MDX", ".NDX"}) {
        tabletest::TempDir dir;
        const std::string path = indextest::WriteKeyTable(
            dir, "T.DBF", std::vector<std::pair<std::string, int>>(rows.size(), {"X", 0}));
        xbase::DbfHandler table(path, false, true);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const auto n = static_cast<std::int32_t>(i + 1);
            table.GoTo(n);
            ASSERT_TRUE(table.PutFieldRaw("QTY", rows[i].first));
            ASSERT_TRUE(table.PutFieldRaw("NAME", rows[i].second));
            ASSERT_TRUE(table.ReplaceRecord(n));
        }
        const bool multi = std::string(format) == ".MDX";
        table.CreateIndex(dir.file(std::string(multi ? "BOTH" : "BYQTY") + format), "BYQTY", "QTY",
                          "", false, false);
        table.CreateIndex(dir.file(std::string(multi ? "BOTH" : "BYNAME") + format), "BYNAME",
                          "name ", "", false, false);
        for (int t = 1; t <= 2; ++t)
            EXPECT_EQ(xbase::CheckTag(*table.TagByOrdinal(t)), "") << format << " tag " << t;
        table.SelectTag("BYQTY");
        EXPECT_EQ(indextest::Walk(table),
                  (std::vector<std::int32_t>{2, 3, 5, 7, 4, 10, 1, 8, 9, 6}))
            << format;
        table.SelectTag("BYNAME");
        EXPECT_EQ(indextest::Walk(table),
                  (std::vector<std::int32_t>{5, 8, 2, 4, 9, 7, 1, 6, 3, 10}))
            << format;
    }
}

}  // namespace
