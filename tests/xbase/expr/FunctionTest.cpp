// Every global function with ordinary, empty and missing arguments, and the argument
// type errors.
#include <gtest/gtest.h>

#include "ExprTestSupport.h"
#include "platform/FormatSettings.h"

using exprtest::Eval;
using exprtest::Sample;

namespace {

struct Case {
    const char* expression;
    const char* expected;
};

class ExprFunctions : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = platform::ProcessFormatSettings();
        platform::ProcessFormatSettings().shortDateFormat = "yyyy-mm-dd";
        platform::ProcessFormatSettings().dateSeparator = '-';
    }
    void TearDown() override { platform::ProcessFormatSettings() = saved_; }
    static void ExpectAll(const std::vector<Case>& cases) {
        for (const Case& c : cases)
            EXPECT_EQ(Eval(c.expression, &Sample()), c.expected) << c.expression;
    }

private:
    platform::FormatSettings saved_;
};

TEST_F(ExprFunctions, TrimmingAndCase) {
    ExpectAll({
        {"ALLTRIM('  a b  ')", "C:a b"},
        {"ALLTRIM('')", "C:"},
        {"ALLTRIM()", "C:"},
        {"LTRIM('  a ')", "C:a "},
        {"RTRIM(' a  ')", "C: a"},
        {"TRIM(NAME)", "C:Lee"},
        {"UPPER('aBc1')", "C:ABC1"},
        {"LOWER('AbC1')", "C:abc1"},
        {"UPPER('')", "C:"},
        {"PROPER('hello wORLD-x')", "C:Hello World-X"},
        {"PROPER(\"o'neil\")", "C:O'neil"},
        {"PROPER('a@b.c')", "C:A@B.C"},
        {"PROPER('')", "C:"},
    });
}

TEST_F(ExprFunctions, PartsOfTexts) {
    ExpectAll({
        {"LEFT('abc', 2)", "C:ab"},
        {"LEFT('abc', 0.01)", "C:"},
        {"LEFT('abc', 5)", "C:abc"},
        {"LEFT('abc')", "C:"},
        {"RIGHT('abc', 2)", "C:bc"},
        {"RIGHT('abc', 0)", "C:"},  // not the whole text
        {"RIGHT('abc', -1)", "C:"},
        {"RIGHT('abc', 9)", "C:abc"},
        {"SUBSTR('abcdef', 2, 3)", "C:bcd"},
        {"SUBSTR('abcdef', 5)", "C:ef"},
        {"SUBSTR('abc', 0)", "C:"},
        {"SUBSTR('abc', 4)", "C:"},
        {"SUBSTR('abc', 2, 9)", "C:bc"},
        {"SUBSTR('abc', 2, 0)", "C:"},
        {"SUBSTR(CITY, 1, 3)", "C:BEI"},
        {"LEN('abc')", "N:3"},
        {"LEN('')", "N:0"},
        {"LEN(NAME)", "N:10"},
        {"ASC('A')", "N:65"},
        {"ASC('')", "N:0"},
        {"ASC()", "N:0"},
        {"CHR(65)", "C:A"},
        {"CHR(256)", "!A Byte value is required but invalid"},
        {"CHR(-1)", "!A Byte value is required but invalid"},
        {"SPACE(3)", "C:   "},
        {"SPACE(0)", "C:"},
        {"SPACE(1000000000)", "!A number value is required but invalid"},
    });
}

TEST_F(ExprFunctions, SearchingAndReplacing) {
    ExpectAll({
        {"AT('b', 'abcb')", "N:2"},
        {"AT('b', 'abcb', 2)", "N:4"},
        {"AT('aa', 'aaaa', 3)", "N:3"},  // occurrences overlap
        {"AT('x', 'abc')", "N:0"},
        {"AT('', 'abc')", "N:0"},
        {"ATC('B', 'abc')", "N:2"},
        {"STRTRAN('abc', 'x', 'y')", "C:abc"},
        {"STRTRAN('abab', 'a', 'X')", "C:XbXb"},
        {"STRTRAN('abab', 'a', 'X', 2)", "C:abXb"},
        {"STRTRAN('ababab', 'a', '', 1, 2)", "C:bbab"},
        {"STRTRAN('abab', 'a')", "C:bb"},
        {"STRTRAN('', 'a', 'b')", "C:"},
        {"STRTRAN('abc', '', 'x')", "C:abc"},
        {"SOUNDEX('Robert')", "C:R163"},
        {"SOUNDEX('Lee')", "C:L000"},
        {"SOUNDEX('')", "C:0000"},
        {"SOUNDEX('Ashcraft')", "C:A261"},
    });
}

TEST_F(ExprFunctions, Padding) {
    ExpectAll({
        {"PADC('ab', 6)", "C:  ab  "},
        {"PADC('ab', 5)", "C: ab  "},
        {"PADL('ab', 4, '*')", "C:**ab"},
        {"PADR('ab', 4)", "C:ab  "},
        {"PADR('abcdef', 3)", "C:abcdef"},
        {"PADL('ab', 4, 'xy')", "!A Char value is required but invalid"},
        {"PADL()", "!Value needed for Argument 1 of Pad"},
    });
}

TEST_F(ExprFunctions, Numbers) {
    ExpectAll({
        {"CEILING(1.2)", "N:2"},
        {"CEILING(-1.2)", "N:-1"},
        {"FLOOR(-1.2)", "N:-2"},
        {"INT(-1.7)", "N:-1"},
        {"INT()", "N:0"},
        {"MOD(7, 3)", "N:1"},
        {"MOD(-7, 3)", "N:-1"},
        {"MOD(7.9, 3)", "N:1"},
        {"MOD(5, 0)", "!A number value is required but invalid"},
        {"STR(3.14159, 6, 2)", "C:  3.14"},
        {"STR(123456, 3)", "C:***"},
        {"STR(42)", "C:        42"},
        {"STR(-1.5, 5, 1)", "C: -1.5"},
        {"STR(PRICE, 8, 1)", "C:   123.5"},
        {"STRZERO(42, 5)", "C:00042"},
        {"STRZERO(-5, 5)", "C:-0005"},
        {"VAL('12.5')", "N:12.5"},
        {"VAL('  -3')", "N:-3"},
        {"VAL('1e3')", "N:1000"},
        {"VAL('12abc')", "N:12"},
        {"VAL('abc')", "N:0"},
        {"VAL('')", "N:0"},
    });
}

TEST_F(ExprFunctions, Dates) {
    ExpectAll({
        {"CTOD('20070315')", "D:20070315"},
        {"CTOD('2007-03-15')", "D:20070315"},
        {"CTOD('')", "D:"},
        {"CTOD('no date')", "D:"},
        {"DOW({20070315})", "N:5"},
        {"DOW(EMPTYD)", "N:0"},
        {"DTOC({20070315})", "C:2007-03-15"},
        {"DTOC({20070315}, 1)", "C:20070315"},
        {"DTOC(EMPTYD)", "C:          "},
        {"DTOS(DDATE)", "C:20070315"},
        {"DTOS(CTOD(''))", "C:        "},
        {"DTOS()", "C:        "},
    });
    EXPECT_EQ(Eval("DATE()").substr(0, 2), "D:");
}

TEST_F(ExprFunctions, AnyType) {
    ExpectAll({
        {"BETWEEN(5, 1, 10)", "L:T"},
        {"BETWEEN(11, 1, 10)", "L:F"},
        {"BETWEEN('b', 'a', 'c')", "L:T"},
        {"BETWEEN(DDATE, {20070101}, {20071231})", "L:T"},
        {"BETWEEN(1, 'a', 'b')", "!The two sides of an operation do not match"},
        {"DESCEND(5)", "N:-5"},
        {"DESCEND(0)", "N:0"},
        {"DESCEND(.T.)", "L:F"},
        {"ASC(DESCEND('AB'))", "N:191"},
        {"{20070315} - DESCEND({20070315})", "N:-323458"},
        {"DESCEND(EMPTYD)", "D:"},
        {"EMPTY('  ')", "L:T"},
        {"EMPTY('a')", "L:F"},
        {"EMPTY(0)", "L:T"},
        {"EMPTY(EMPTYD)", "L:T"},
        {"EMPTY(.F.)", "L:T"},
        {"EMPTY()", "L:F"},
        {"IIF(FLAG, 'y', 'n')", "C:y"},
        {"IIF(.F., 'y', 'n')", "C:n"},
        {"IIF(.T., 1, CHR(999))", "N:1"},  // only the chosen argument is evaluated
    });
}

TEST_F(ExprFunctions, ArgumentsOfTheWrongType) {
    ExpectAll({
        {"SUBSTR(1, 1)", "!Text needed for Argument 1 of SUBSTR"},
        {"SUBSTR('a', 'b')", "!Number needed for Argument 2 of SUBSTR"},
        {"IIF(1, 2, 3)", "!Boolean needed for Argument 1 of IIF"},
        {"DTOS('x')", "!Date needed for Argument 1 of DTOS"},
        {"ALLTRIM(1)", "!Text needed for Argument 1 of ALLTRIM"},
        {"UPPER(DDATE)", "!Text needed for Argument 1 of UPPER"},
        {"DTOS(2454175)", "C:20070315"},  // numbers and dates stand in for each other
    });
}

}  // namespace
