// Text forms of numbers, Booleans and dates.
#include <gtest/gtest.h>

#include <cmath>

#include "data/DataError.h"
#include "data/ValueText.h"
#include "platform/FormatSettings.h"

using namespace data;

namespace {

class ValueTextTest : public ::testing::Test {
protected:
    void SetUp() override { saved_ = platform::ProcessFormatSettings(); }
    void TearDown() override { platform::ProcessFormatSettings() = saved_; }
    platform::FormatSettings saved_;
};

TEST_F(ValueTextTest, FloatsUseGeneralFormatWithoutTrailingZeros) {
    EXPECT_EQ(FormatFloat(12.50), "12.5");
    EXPECT_EQ(FormatFloat(3.00), "3");
    EXPECT_EQ(FormatFloat(0), "0");
    EXPECT_EQ(FormatFloat(-0.0), "0");
    EXPECT_EQ(FormatFloat(-7.25), "-7.25");
    EXPECT_EQ(FormatFloat(0.1 + 0.2), "0.3");  // 15 significant digits hide the binary noise
    EXPECT_EQ(FormatFloat(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(FormatFloat(100), "100");
    EXPECT_EQ(FormatFloat(123456789012345.0), "123456789012345");
}

TEST_F(ValueTextTest, FloatsSwitchToScientificForLargeAndTinyMagnitudes) {
    EXPECT_EQ(FormatFloat(1e20), "1E20");
    EXPECT_EQ(FormatFloat(1e15), "1E15");
    EXPECT_EQ(FormatFloat(-2.5e16), "-2.5E16");
    EXPECT_EQ(FormatFloat(0.00001), "0.00001");
    EXPECT_EQ(FormatFloat(0.000001), "1E-6");
    EXPECT_EQ(FormatFloat(1.5e-7), "1.5E-7");
    EXPECT_EQ(FormatFloat(std::nan("")), "NAN");
    EXPECT_EQ(FormatFloat(-HUGE_VAL), "-INF");
}

TEST_F(ValueTextTest, FloatsRoundToFifteenDigitsWhateverTheirShortestForm) {
    EXPECT_EQ(FormatFloat(0.1 + 0.7), "0.8");  // shortest form 0.7999999999999999
    EXPECT_EQ(FormatFloat(9007199254740993.0), "9.00719925474099E15");
    EXPECT_EQ(FormatFloat(999999999999999.9), "1E15");  // rounding carries into a new digit
    EXPECT_EQ(FormatFloat(-123.456), "-123.456");
    EXPECT_EQ(FormatFloat(5e-324),
              "4.94065645841247E-324");  // subnormal: not its shortest form "5E-324"
    EXPECT_EQ(FormatFloat(1.7976931348623157e308), "1.79769313486232E308");
}

TEST_F(ValueTextTest, FloatsFollowTheDecimalSeparatorBothWays) {
    platform::ProcessFormatSettings().decimalSeparator = ',';
    EXPECT_EQ(FormatFloat(12.5), "12,5");
    EXPECT_EQ(FormatFloat(1.5e-7), "1,5E-7");
    EXPECT_DOUBLE_EQ(ParseFloat("12,5"), 12.5);
    EXPECT_THROW(ParseFloat("12.5"), DataError);
}

TEST_F(ValueTextTest, FloatParsingAcceptsBlanksSignsAndExponents) {
    EXPECT_DOUBLE_EQ(ParseFloat(" 12.5 "), 12.5);
    EXPECT_DOUBLE_EQ(ParseFloat("-3"), -3);
    EXPECT_DOUBLE_EQ(ParseFloat("+.5"), 0.5);
    EXPECT_DOUBLE_EQ(ParseFloat("1E20"), 1e20);
    EXPECT_DOUBLE_EQ(ParseFloat("2.5e-3"), 0.0025);
    EXPECT_DOUBLE_EQ(ParseFloat("1e-400"), 0.0);
    for (double v : {12.5, 1.0 / 3.0, 1e20, -2.5e16, 1.5e-7, 123456789012345.0}) {
        EXPECT_DOUBLE_EQ(ParseFloat(FormatFloat(v)), std::stod(FormatFloat(v))) << v;
    }
}

TEST_F(ValueTextTest, BadNumbersRaiseTheClassicMessages) {
    auto message = [](auto call) {
        try {
            call();
        } catch (const DataError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(message([] { ParseFloat("abc"); }), "'abc' is not a valid floating point value");
    EXPECT_EQ(message([] { ParseFloat("1e"); }), "'1e' is not a valid floating point value");
    EXPECT_EQ(message([] { ParseFloat("1e999"); }), "'1e999' is not a valid floating point value");
    EXPECT_EQ(message([] { ParseFloat("1,000"); }), "'1,000' is not a valid floating point value");
    EXPECT_EQ(message([] { ParseInteger("abc"); }), "'abc' is not a valid integer value");
    EXPECT_EQ(message([] { ParseInteger("12.5"); }), "'12.5' is not a valid integer value");
    EXPECT_EQ(message([] { ParseInteger("2147483648"); }),
              "'2147483648' is not a valid integer value");
    EXPECT_EQ(message([] { ParseBoolean("maybe"); }), "'maybe' is not a valid boolean value");
    EXPECT_EQ(message([] { ParseDate("2024-13-01"); }), "'2024-13-01' is not a valid date");
}

TEST_F(ValueTextTest, IntegersAndBooleans) {
    EXPECT_EQ(ParseInteger(" -42 "), -42);
    EXPECT_EQ(ParseInteger("+7"), 7);
    EXPECT_EQ(ParseInteger("-2147483648"), INT32_MIN);
    EXPECT_EQ(FormatBoolean(true), "True");
    EXPECT_EQ(FormatBoolean(false), "False");
    for (const char* t : {"True", "t", "Y", "yes", "YES"}) EXPECT_TRUE(ParseBoolean(t)) << t;
    for (const char* f : {"false", "F", "n", "No"}) EXPECT_FALSE(ParseBoolean(f)) << f;
}

TEST_F(ValueTextTest, DatesFollowTheShortDateFormat) {
    platform::ProcessFormatSettings().shortDateFormat = "yyyy-mm-dd";
    platform::ProcessFormatSettings().dateSeparator = '-';
    EXPECT_EQ(FormatDate(0), "1899-12-30");
    EXPECT_EQ(FormatDate(45306), "2024-01-15");
    EXPECT_DOUBLE_EQ(ParseDate("2024-01-15"), 45306);
    platform::ProcessFormatSettings().shortDateFormat = "dd/mm/yyyy";
    platform::ProcessFormatSettings().dateSeparator = '.';
    EXPECT_EQ(FormatDate(45306), "15.01.2024");
    EXPECT_DOUBLE_EQ(ParseDate("15.01.2024"), 45306);
    EXPECT_THROW(FormatDate(1e12), DataError);
    EXPECT_THROW(FormatDate(std::nan("")), DataError);
}

TEST_F(ValueTextTest, DateTimesAddTheTimeUnlessMidnight) {
    EXPECT_EQ(FormatDateTime(45306), "2024-01-15");
    EXPECT_EQ(FormatDateTime(45306.75), "2024-01-15 18:00:00");
    EXPECT_DOUBLE_EQ(ParseDateTime("2024-01-15 18:00:00"), 45306.75);
    EXPECT_DOUBLE_EQ(ParseDateTime("2024-01-15 6:30"), 45306 + 6.5 / 24);
    EXPECT_EQ(FormatDateTime(-1.25), "1899-12-29 06:00:00");
    EXPECT_DOUBLE_EQ(ParseDateTime("1899-12-29 06:00"), -1.25);
    EXPECT_THROW(ParseDateTime("2024-01-15 25:00"), DataError);
}

}  // namespace
