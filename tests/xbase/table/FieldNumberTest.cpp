// Numbers in text fields: the number grammar, fixed formatting with rounding, refusal of
// numbers too large for their field, and the messages of unreadable numbers.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "FieldTestSupport.h"

namespace xbase {
namespace {

using namespace FieldCodec;
using test::RecordingHook;
using test::TestRecord;

TEST(NumberGrammar, AcceptsSpacesSignDigitsFractionAndExponent) {
    const std::pair<const char*, double> cases[] = {
        {"12.5", 12.5}, {"  -3", -3},   {"+4.", 4},         {"-.5", -0.5},     {".25", 0.25},
        {"1e5", 1e5},   {"1E+05", 1e5}, {"2.5e-3", 0.0025}, {"  12.50", 12.5}, {"007", 7}};
    for (auto [text, expected] : cases) {
        double value = -999;
        EXPECT_TRUE(ParseNumber(text, value)) << text;
        EXPECT_EQ(value, expected) << text;
    }
}

TEST(NumberGrammar, RefusesEverythingElse) {
    for (const char* text :
         {"12,5", "1 2", "-",    "+",   "1e",  "1e+", ".",     "",    "   ", "1.2.3",
          "inf",  "nan", "0x10", "- 5", "+-5", "5-",  "1e5.5", "12 ", "$12", "1e999"}) {
        double value = 42;
        EXPECT_FALSE(ParseNumber(text, value)) << text;
        EXPECT_EQ(value, 42) << text;
    }
}

TEST(NumberFormat, FixedNotationWithTheFieldsDecimalsRightAligned) {
    std::string out;
    FormatNumber(3.14159, 8, 2, out);
    EXPECT_EQ(out, "    3.14");
    FormatNumber(-0.5, 4, 1, out);
    EXPECT_EQ(out, "-0.5");
    FormatNumber(42, 5, 0, out);
    EXPECT_EQ(out, "   42");  // no period without decimals
    FormatNumber(0.0996, 0, 2, out);
    EXPECT_EQ(out, "0.10");
    FormatNumber(12345678.9, 0, 1, out);
    EXPECT_EQ(out, "12345678.9");
    FormatNumber(1e20, 0, 0, out);
    EXPECT_EQ(out, "100000000000000000000");
    FormatNumber(99999, 4, 0, out);
    EXPECT_EQ(out, "99999");  // too long for the width: not cut
}

// Decision: half away from zero, applied to the shortest decimal form of the double, so
// values round as they read (2.675 is stored as 2.67499999... but reads 2.675).
TEST(NumberFormat, RoundsHalfAwayFromZeroOnTheDecimalValue) {
    const std::tuple<double, int, const char*> cases[] = {
        {2.675, 2, "2.68"}, {1.005, 2, "1.01"}, {0.5, 0, "1"},         {-0.5, 0, "-1"},
        {2.5, 0, "3"},      {0.125, 2, "0.13"}, {9.995, 2, "10.00"},   {-9.995, 2, "-10.00"},
        {0.006, 2, "0.01"}, {2.674, 2, "2.67"}, {1.0 / 3, 4, "0.3333"}};
    std::string out;
    for (auto [value, decimals, expected] : cases) {
        FormatNumber(value, 0, decimals, out);
        EXPECT_EQ(out, expected) << value << " " << decimals;
    }
}

TEST(NumberFormat, ValuesThatRoundToZeroHaveNoMinus) {
    std::string out;
    FormatNumber(-0.001, 0, 2, out);
    EXPECT_EQ(out, "0.00");
    FormatNumber(-0.0, 3, 0, out);
    EXPECT_EQ(out, "  0");
    FormatNumber(std::numeric_limits<double>::denorm_min(), 0, 3, out);
    EXPECT_EQ(out, "0.000");
}

TEST(FieldNumberWrite, StoresTheFormattedNumber) {
    TestRecord r{version::DBase3, {{"AMT", 'N', 8, 2}, {"Q", 'N', 4, 1}, {"RATE", 'F', 6, 3}}};
    EXPECT_TRUE(PutNumber(r.field("AMT"), r.data(), r.context, 3.14159));
    EXPECT_EQ(r.stored("AMT"), "    3.14");
    EXPECT_TRUE(PutNumber(r.field("Q"), r.data(), r.context, -0.5));
    EXPECT_EQ(r.stored("Q"), "-0.5");
    EXPECT_TRUE(PutNumber(r.field("RATE"), r.data(), r.context, 1.5));
    EXPECT_EQ(r.stored("RATE"), " 1.500");
}

TEST(FieldNumberWrite, NumberTooLargeIsRefusedWithItsText) {
    TestRecord r{version::DBase3, {{"QTY", 'N', 4}, {"AMT", 'N', 5, 2}}};
    r.store("QTY", "  12");
    test::ExpectEngineError([&] { PutNumber(r.field("QTY"), r.data(), r.context, 99999); }, 1011,
                            1261, "Number too large to fit in field - QTY - 99999");
    EXPECT_EQ(r.stored("QTY"), "  12");
    // Rounding may add a digit: -9.995 needs six characters.
    EXPECT_THROW(PutNumber(r.field("AMT"), r.data(), r.context, -9.995), XBaseError);
    EXPECT_TRUE(PutNumber(r.field("AMT"), r.data(), r.context, 9.995));
    EXPECT_EQ(r.stored("AMT"), "10.00");
}

TEST(FieldNumberWrite, NonFiniteValuesNeverFit) {
    RecordingHook hook;
    TestRecord r{version::DBase3, {{"QTY", 'N', 10}}};
    EXPECT_FALSE(
        PutNumber(r.field("QTY"), r.data(), r.context, std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(PutNumber(r.field("QTY"), r.data(), r.context, std::nan("")));
    EXPECT_EQ(r.stored("QTY"), std::string(10, ' '));
    ASSERT_EQ(RecordingHook::reports().size(), 2u);
    EXPECT_EQ(RecordingHook::reports()[0].text, "QTY - inf");
}

TEST(FieldNumberWrite, OnlyNumericTypesTakeNumbers) {
    RecordingHook hook;
    TestRecord r{version::DBase3,
                 {{"NAME", 'C', 5}, {"OK", 'L', 1}, {"DAY", 'D', 8}, {"I", 'I', 4}}};
    for (const char* name : {"NAME", "OK", "DAY", "I"})  // I only in version 0x30 tables
        EXPECT_FALSE(PutNumber(r.field(name), r.data(), r.context, 1)) << name;
    ASSERT_EQ(RecordingHook::reports().size(), 4u);
    for (const auto& report : RecordingHook::reports()) {
        EXPECT_EQ(report.code, 1004);
        EXPECT_EQ(report.subcode, 1299);
        EXPECT_EQ(report.text, "");
    }
    EXPECT_EQ(r.stored("NAME"), "     ");
}

TEST(FieldNumberWrite, TextMemoFieldsTakeTheirBlockNumber) {
    TestRecord r{version::DBase3Memo, {{"NOTE", 'M', 10}}};
    EXPECT_TRUE(PutNumber(r.field("NOTE"), r.data(), r.context, 17));
    EXPECT_EQ(r.stored("NOTE"), "        17");
    EXPECT_EQ(GetNumber(r.field("NOTE"), r.data(), r.context), 17);
}

TEST(FieldNumberRead, ReadsTheStoredText) {
    TestRecord r{version::DBase3, {{"AMT", 'N', 7, 2}, {"NAME", 'C', 6}}};
    r.store("AMT", "  12.50");
    EXPECT_EQ(GetNumber(r.field("AMT"), r.data(), r.context), 12.5);
    r.store("AMT", "       ");
    EXPECT_EQ(GetNumber(r.field("AMT"), r.data(), r.context), 0);
    r.store("AMT", std::string("  12\0 4", 7));  // the raw text ends at the NUL
    EXPECT_EQ(GetNumber(r.field("AMT"), r.data(), r.context), 12);
    r.store("NAME", "  -3e2");  // the type is not checked
    EXPECT_EQ(GetNumber(r.field("NAME"), r.data(), r.context), -300);
}

TEST(FieldNumberRead, UnreadableNumberNamesTableAndField) {
    TestRecord r{version::DBase3, {{"AMT", 'N', 7, 2}}, "C:\\TAX\\FA_PIAO.DBF"};
    r.store("AMT", "  1 2  ");
    test::ExpectEngineError(
        [&] { GetNumber(r.field("AMT"), r.data(), r.context); }, 1004, -7,
        "dBase field is of incorrect type - Invalid number in field FA_PIAO->AMT (  1 2)");
    RecordingHook hook;
    TestRecord other{version::DBase3, {{"AMT", 'N', 5}}, "/srv/tax/ke_hu.dbf"};
    other.store("AMT", "*****");
    EXPECT_EQ(GetNumber(other.field("AMT"), other.data(), other.context), 0);
    ASSERT_EQ(RecordingHook::reports().size(), 1u);
    EXPECT_EQ(RecordingHook::reports()[0].text, "Invalid number in field ke_hu->AMT (*****)");
}

}  // namespace
}  // namespace xbase
