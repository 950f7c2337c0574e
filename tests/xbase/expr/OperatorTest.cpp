// Operators, their binding levels, literals, field variables and text comparison.
#include <gtest/gtest.h>

#include "ExprTestSupport.h"
#include "platform/CodePage.h"
#include "xbase/expr/ExprHandler.h"

using exprtest::Eval;
using exprtest::Sample;

namespace {

struct Case {
    const char* expression;
    const char* expected;
};

void ExpectAll(const std::vector<Case>& cases) {
    for (const Case& c : cases)
        EXPECT_EQ(Eval(c.expression, &Sample()), c.expected) << c.expression;
}

TEST(ExprOperators, ArithmeticOnNumbersAndDates) {
    ExpectAll({
        {"1 + 2 * 3", "N:7"},
        {"(1 + 2) * 3", "N:9"},
        {"7 / 2", "N:3.5"},
        {"2 ^ 3", "N:8"},
        {"2 ** 3 * 2", "N:16"},
        {"2 ^ 0", "N:1"},     // not the left operand unchanged
        {"2 ^ -1", "N:0.5"},  // the reciprocal
        {"4 ^ 0.5", "N:2"},   // the real power
        {"-2 + 5", "N:3"},
        {"5 - -2", "N:7"},
        {".5 + 1", "N:1.5"},
        {"QTY * 2", "N:14"},
        {"PRICE - 23.45", "N:100"},
        {"DDATE + 1", "D:20070316"},  // a date plus a number stays a date
        {"1 + DDATE", "D:20070316"},
        {"DDATE - 15", "D:20070228"},
        {"DDATE - {20070301}", "N:14"},
        {"EMPTYD + 1", "D:"},
    });
}

TEST(ExprOperators, ComparisonsOfEveryType) {
    ExpectAll({
        {"PRICE > 100", "L:T"},
        {"QTY <= 7", "L:T"},
        {"1 <> 2", "L:T"},
        {"1 != 2", "L:T"},
        {"1 # 1", "L:F"},
        {"2 => 2", "L:T"},
        {"1 =< 0", "L:F"},
        {"1 EQ 1", "L:T"},
        {"2 GT 1", "L:T"},
        {"1 .NE. 2", "L:T"},
        {"2 LT 1", "L:F"},
        {"1 GE 2", "L:F"},
        {"DDATE > {20070101}", "L:T"},
        {"DDATE = {^2007-03-15}", "L:T"},
        {"EMPTYD > DDATE", "L:T"},  // the empty date is held as 1e100
        {".T. = .F.", "L:F"},
        {".T. # .F.", "L:T"},
        {"'abc' < 'abd'", "L:T"},
        {"'a  ' = 'a'", "L:T"},
        {"'' = ''", "L:T"},
        {"'' < 'a'", "L:T"},
        {"'a' = 'A'", "L:F"},
        {"'a' < 'B'", "L:T"},  // letters before case
        {"'a' < 'A'", "L:T"},  // then lower case first
        {"'1' < 'a'", "L:T"},
        {"'ab' $ 'xabc'", "L:T"},
        {"'abc' $ 'ab'", "L:F"},
        {"'AB' == 'AB'", "L:T"},
        {"'AB' == 'AB '", "L:F"},
        {"1 == 1", "L:T"},
        {"1 = 1 = .T.", "L:T"},
    });
}

TEST(ExprOperators, WildcardPatternsOnTheRight) {
    ExpectAll({
        {"UPPER(NAME) = 'LE*'", "L:T"},
        {"NAME = '*'", "L:T"},
        {"CITY = '*JING'", "L:T"},
        {"CITY = '*IJI*'", "L:T"},
        {"CITY = 'BEX*'", "L:F"},
        {"CITY < 'BEX*'", "L:T"},  // a mismatch compares with the marks removed
        {"CITY # 'BEI*'", "L:F"},
        {"'*' = CITY", "L:F"},  // only the right side is a pattern
    });
}

TEST(ExprOperators, TextConcatenation) {
    ExpectAll({
        {"'AB  ' - 'CD'", "C:ABCD  "},
        {"'AB ' + 'CD'", "C:AB CD"},
        {"'' + 'CD'", "C:CD"},
        {"NAME + '|'", "C:Lee       |"},
        {"DTOS(DDATE) + NAME", "C:20070315Lee       "},
    });
}

TEST(ExprOperators, LogicalOperatorsBindTighterThanComparisons) {
    ExpectAll({
        {"(1 = 1) .AND. (2 = 2)", "L:T"},
        {"(1 = 2) .OR. FLAG", "L:T"},
        {"FLAG.AND..F.", "L:F"},
        {"FLAG AND .T.", "L:T"},
        {".NOT. .T.", "L:F"},
        {"! .F.", "L:T"},
        {"NOT FLAG", "L:F"},
        {".T. .AND. .NOT. .F.", "L:T"},
        {".NOT. .NOT. FLAG", "L:T"},
        {".NOT. 1 = 2", "L:T"},  // .NOT. binds loosest
        // A = 1 .AND. B = 2 groups as A = (1 .AND. B) = 2.
        {"1 = 1 .AND. 2 = 2", "!A assigned value is required but invalid"},
        {"1 = 1 .OR. .F.", "!The two sides of an operation do not match"},
    });
}

TEST(ExprOperators, OperandsTheOperatorRefuses) {
    ExpectAll({
        {"'a' + 1", "!The two sides of an operation do not match"},
        {"'a' * 'b'", "!A assigned value is required but invalid"},
        {"1 $ 2", "!A assigned value is required but invalid"},
        {".T. > .F.", "!A assigned value is required but invalid"},
        {".T. + .F.", "!A number value is required but invalid"},
        {"1 .AND. 2", "!A assigned value is required but invalid"},
        {".NOT. 1", "!A assigned value is required but invalid"},
        {"1 +", "!Target value missing for + operation"},
        {"!", "!Target value missing for .NOT. operation"},
    });
}

TEST(ExprOperators, FieldVariablesOfEveryType) {
    ExpectAll({
        {"NAME", "C:Lee       "},
        {"name", "C:Lee       "},
        {"T1.NAME", "C:Lee       "},
        {"T1->CITY", "C:BEIJING             "},
        {"PRICE", "N:123.45"},
        {"DDATE", "D:20070315"},
        {"EMPTYD", "D:"},
        {"FLAG", "L:T"},
        {"NOTES", "C:memo text"},
    });
}

TEST(ExprOperators, TableFunctions) {
    ExpectAll({
        {"RECNO()", "N:5"},
        {"DELETED()", "L:F"},
        {"BOF()", "L:F"},
        {"EOF()", "L:F"},
        {"TYPE('PRICE')", "C:N"},
        {"TYPE('nothing')", "C:U"},
        {"FIELDNO('CITY')", "N:2"},
        {"FIELDNO('X')", "N:0"},
        {"LEN('CITY')", "N:4"},  // the global LEN: the name's characters, not the field's width
    });
}

TEST(ExprOperators, CaseInsensitiveComparisonAndSqlWildcards) {
    xbase::ExprOptions options;
    options.caseInsensitive = true;
    xbase::ExprHandler h(&Sample(), options, "CITY = 'beijing'");
    EXPECT_TRUE(h.Evaluate().logical);
    h.Replace("CITY = 'bei*'");
    EXPECT_TRUE(h.Evaluate().logical);

    options = {};
    options.sqlStyle = true;
    xbase::ExprHandler sql(&Sample(), options, "CITY = 'BEI%'");
    EXPECT_TRUE(sql.Evaluate().logical);
    sql.Replace("CITY = 'BEI*'");
    EXPECT_FALSE(sql.Evaluate().logical);

    options = {};
    options.wildcards = false;
    xbase::ExprHandler plain(&Sample(), options, "CITY = 'BEI*'");
    EXPECT_FALSE(plain.Evaluate().logical);
}

// With a double-byte OEM code page a trail byte is never changed by case mapping: 價 is
// 83 72 in CP936 and 72 is 'r'. Some other xBase programs upper-case that byte and so
// turn the character into another one.
TEST(ExprOperators, CaseFunctionsKeepDoubleByteCharactersWhole) {
    const std::string saved = platform::OemCodePage();
    platform::SetOemCodePage("CP936");
    EXPECT_EQ(Eval("UPPER('\x83r' + 'r')"), "C:\x83rR");
    EXPECT_EQ(Eval("LOWER('\x83R' + 'R')"), "C:\x83Rr");
    EXPECT_EQ(Eval("PROPER('\x83r' + 'ab cd')"), "C:\x83rab Cd");
    EXPECT_EQ(Eval("ATC('R', '\x83r' + 'r')"), "N:3");
    xbase::ExprOptions options;
    options.caseInsensitive = true;
    xbase::ExprHandler h(nullptr, options, "'\x83r' = '\x83R'");
    EXPECT_FALSE(h.Evaluate().logical);
    // A single-byte code page has no lead bytes: the same bytes are two characters.
    platform::SetOemCodePage("CP437");
    EXPECT_EQ(Eval("UPPER('\x83r')"), "C:\x83R");
    platform::SetOemCodePage(saved);
}

// The user-function hook is asked with FIND when a name is no built-in or table function,
// and with PARSE for each evaluation; this engine's own hook knows no names.
class HookLink : public exprtest::RecordLink {
public:
    HookLink() : RecordLink({{"NAME", 'C', 4}}) {}
    bool UserFunction(std::string_view request, std::string_view name, std::string_view call,
                      char& type, std::string& value) override {
        if (name != "TWICE") return false;
        requests += std::string(request) + " " + std::string(call) + ";";
        type = 'N';
        value = "42";
        return true;
    }
    std::string requests;
};

TEST(ExprOperators, UserFunctionHook) {
    HookLink link;
    EXPECT_EQ(Eval("TWICE(NAME) + 1", &link), "N:43");
    EXPECT_EQ(link.requests, "FIND ;PARSE TWICE(NAME);");
    EXPECT_EQ(Eval("THRICE(1)", &link), "!There is no function for THRICE");
    EXPECT_EQ(Eval("TWICE(1)", &Sample()), "!There is no function for TWICE");
}

}  // namespace
