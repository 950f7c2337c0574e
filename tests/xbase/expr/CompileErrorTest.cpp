// Compile errors, the handler's life cycle, the text form and its round trip.
#include <gtest/gtest.h>

#include <random>

#include "ExprTestSupport.h"
#include "xbase/expr/ExprHandler.h"
#include "xbase/file/EngineError.h"

using exprtest::Eval;
using exprtest::Sample;

namespace {

TEST(ExprCompile, EachMessage) {
    const struct {
        std::string expression;
        std::string expected;
    } cases[] = {
        {"(1 + 2", "!Missing closing parentheses"},
        {"UPPER('a'", "!Missing closing parentheses"},
        {".X.", "!Expecting \".T.\" or \".F.\""},
        {".T", "!Missing closing period"},
        {"'abc", "!Missing closing \"'\" on literal"},
        {"\"abc", "!Missing closing \"\"\" on literal"},
        {"[abc", "!Missing closing \"[\" on literal"},
        {"{2007", "!Missing closing \"{\" on literal"},
        {"1 2", "!Syntax Error in expression \"1 2\""},
        {"  1 + @ ", "!Syntax Error in expression \"1 + @\""},
        {"NAME CITY", "!Syntax Error in expression \"NAME CITY\""},
        {"{2007-13-45}", "!Syntax Error in expression \"{2007-13-45}\""},
        {"SUBSTR('a', , 1)", "!Syntax Error in expression \"SUBSTR('a', , 1)\""},
        {"()", "!Expression cannot be evaluated"},
        {"FOO(1)", "!There is no function for FOO"},
        {"XYZ", "!Field/variable XYZ is unknown"},
        {"NAME + XYZ", "!Field/variable XYZ is unknown"},
        {std::string(70000, ' ') + "1", "!Expression is too long"},
        {std::string(1000, '(') + "1" + std::string(1000, ')'), "!Expression is nested too deeply"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Eval(c.expression, &Sample()), c.expected) << c.expression;
}

TEST(ExprCompile, LongChainsAreRefusedNotOverflowed) {
    std::string sum = "1";
    for (int i = 0; i < 5000; ++i) sum += "+1";
    EXPECT_EQ(Eval(sum), "!Expression is nested too deeply");
    std::string nots(20000, '!');
    EXPECT_EQ(Eval(nots + ".T."), "!Expression is nested too deeply");
    std::string calls;
    for (int i = 0; i < 3000; ++i) calls += "UPPER(";
    calls += "'a'" + std::string(3000, ')');
    EXPECT_EQ(Eval(calls), "!Expression is nested too deeply");
    std::string shortSum = "1";
    for (int i = 0; i < 300; ++i) shortSum += "+1";
    EXPECT_EQ(Eval(shortSum), "N:301");
}

TEST(ExprHandlerLife, EmptyTextReplaceAndFailedReplace) {
    xbase::ExprHandler h(&Sample(), false, "  ");
    EXPECT_FALSE(h.HasTree());
    EXPECT_EQ(h.Evaluate().type, xbase::ExprType::None);
    EXPECT_EQ(h.Evaluate().text, "");
    h.Replace("QTY + 1");
    EXPECT_EQ(h.Evaluate().number, 8);
    EXPECT_EQ(h.LastType(), xbase::ExprType::Numeric);
    EXPECT_THROW(h.Replace("QTY +* 1"), xbase::XBaseExpressionError);
    EXPECT_FALSE(h.HasTree());
    EXPECT_EQ(h.Evaluate().type, xbase::ExprType::None);
}

TEST(ExprHandlerLife, StaticTypesAndKeys) {
    const struct {
        const char* expression;
        xbase::ExprType type;
    } cases[] = {
        {"NAME", xbase::ExprType::Text},
        {"PRICE * 2", xbase::ExprType::Numeric},
        {"DDATE + 1", xbase::ExprType::Date},
        {"DDATE - DDATE", xbase::ExprType::Numeric},
        {"UPPER(NAME) = 'A'", xbase::ExprType::Logical},
        {"IIF(FLAG, DDATE, DDATE)", xbase::ExprType::Date},
        {"DTOS(DDATE) + NAME", xbase::ExprType::Text},
    };
    for (const auto& c : cases)
        EXPECT_EQ(xbase::ExprHandler(&Sample(), false, c.expression).StaticType(), c.type)
            << c.expression;

    xbase::ExprKey key;
    xbase::ExprHandler text(&Sample(), false, "DTOS(DDATE) + NAME");
    text.EvaluateKey(key);
    EXPECT_EQ(key.type, 'C');
    EXPECT_EQ(key.text, "20070315Lee       ");
    EXPECT_EQ(key.Length(), 18);
    xbase::ExprHandler date(&Sample(), false, "DDATE");
    date.EvaluateKey(key);
    EXPECT_EQ(key.type, 'D');
    EXPECT_EQ(key.date, 2454175);
    xbase::ExprHandler empty(&Sample(), false, "EMPTYD");
    empty.EvaluateKey(key);
    EXPECT_EQ(key.date, 0);
    xbase::ExprHandler number(&Sample(), false, "PRICE");
    number.EvaluateKey(key);
    EXPECT_EQ(key.type, 'N');
    EXPECT_EQ(key.number, 123.45);
    xbase::ExprHandler logical(&Sample(), false, "FLAG");
    logical.EvaluateKey(key);
    EXPECT_EQ(key.type, 'L');
    EXPECT_TRUE(key.logical);
}

TEST(ExprTextForm, PrintsOperatorsLiteralsAndCalls) {
    const struct {
        const char* expression;
        const char* text;
    } cases[] = {
        {"name+city", "NAME + CITY"},
        {"a->qty  <>  2.50", "QTY # 2.50"},
        {"flag.and..not.FLAG", "FLAG .AND. .NOT. FLAG"},
        {"'x' $ [a\"b]", "\"x\" $ 'a\"b'"},
        {"[it's \"a\"] + [it's]", "[it's \"a\"] + \"it's\""},
        {"{20070315} = ddate", "{20070315} = DDATE"},
        {"{} = EMPTYD", "{} = EMPTYD"},
        {"substr(name,1,2) == 'L'", "SUBSTR(NAME, 1, 2) == \"L\""},
        {"(qty ** 2) GE -1", "(QTY ^ 2) >= -1"},
        {"NOT .t. OR .F.", ".NOT. .T. .OR. .F."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(xbase::ExprHandler(&Sample(), false, c.expression).Text(), c.text);
}

// The printed form compiled again gives the same value on 1,000 random records.
TEST(ExprTextForm, RoundTripOnRandomRecords) {
    exprtest::RecordLink link(
        {{"NAME", 'C', 8}, {"QTY", 'N', 6, 2}, {"DDATE", 'D', 8}, {"FLAG", 'L', 1}});
    const char* expressions[] = {
        "UPPER(NAME) = 'AB*' .OR. FLAG",
        "IIF(FLAG, STR(QTY, 8, 2), SUBSTR(NAME, 2, 3)) + DTOS(DDATE)",
        "(QTY * 2 - 1.5) ^ 2 / 3 > 10 .AND. .NOT. FLAG",
        "NAME - 'x' + DTOC(DDATE + 30, 1)",
        "STRZERO(MOD(QTY, 7), 4) + PADC(TRIM(NAME), 10, '.')",
    };
    std::mt19937 rng(14);
    std::uniform_int_distribution<int> letter('A', 'D');
    std::uniform_int_distribution<int> small(0, 99999);
    for (const char* e : expressions) {
        SCOPED_TRACE(e);
        xbase::ExprHandler original(&link, false, e);
        xbase::ExprHandler again(&link, false, original.Text());
        EXPECT_EQ(again.Text(), original.Text());
        for (int r = 0; r < 1000; ++r) {
            std::string name;
            for (int i = 0; i < 1 + r % 8; ++i) name += static_cast<char>(letter(rng));
            link.Set("NAME", name);
            char qty[16];
            std::snprintf(qty, sizeof qty, "%6.2f", small(rng) / 100.0);
            link.Set("QTY", qty);
            char date[16];
            std::snprintf(date, sizeof date, "%04d%02d%02d", 1990 + small(rng) % 30,
                          1 + small(rng) % 12, 1 + small(rng) % 28);
            link.Set("DDATE", r % 10 == 0 ? "        " : date);
            link.Set("FLAG", r % 3 == 0 ? "T" : "F");
            const std::string a = Eval(original.Text(), &link);
            ASSERT_EQ(Eval(e, &link), a);
            ASSERT_EQ(Eval(again.Text(), &link), a);
        }
    }
}

}  // namespace
