// taxbridge table eval and table dump --filter over the peer fixture clip.dbf (Harbour's
// table, GBK text, record 3 deleted).
#include <gtest/gtest.h>

#include "cli/CliTestSupport.h"

namespace {

const std::string kClip = std::string(TAXBRIDGE_FIXTURES_DIR) + "/peer-xbase/clip.dbf";

clitest::RunResult Table(std::vector<std::string> args) {
    args.insert(args.begin(), "table");
    return clitest::Taxbridge(args);
}

nlohmann::json EvalJson(const std::vector<std::string>& extra) {
    std::vector<std::string> args{"eval", kClip};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back("--format");
    args.push_back("json");
    clitest::RunResult r = Table(args);
    EXPECT_EQ(r.status, 0) << r.err;
    return nlohmann::json::parse(r.out);
}

TEST(TableEval, EveryVisibleRecordWithTypeAndValue) {
    const nlohmann::json rows = EvalJson({"SKU + STR(QTY, 4) + DTOS(SOLD)"});
    ASSERT_EQ(rows.size(), 481u);  // 19 records are deleted, record 3 among them
    EXPECT_EQ(rows[0],
              nlohmann::json::parse(R"({"_recno":1,"type":"C","value":"HB-0006   1220000229"})"));
    EXPECT_EQ(rows[2],
              nlohmann::json::parse(R"({"_recno":4,"type":"C","value":"           0        "})"));
    EXPECT_EQ(EvalJson({"RECNO()", "--deleted"}).size(), 500u);
}

TEST(TableEval, ValuesOfEachType) {
    const struct {
        const char* expression;
        const char* record;
        const char* expected;
    } cases[] = {
        {"QTY * 2", "6", R"([{"_recno":6,"type":"N","value":199999998}])"},
        {"COST", "1", R"([{"_recno":1,"type":"N","value":0.125}])"},
        {"SOLD", "4", R"([{"_recno":4,"type":"D","value":""}])"},
        {"SOLD + 1", "1", R"([{"_recno":1,"type":"D","value":"20000301"}])"},
        {"OK", "1", R"([{"_recno":1,"type":"L","value":true}])"},
        {"DELETED()", "3", R"([{"_recno":3,"type":"L","value":true}])"},
        {"ITEM", "9", R"([{"_recno":9,"type":"C","value":"價格 Price List          "}])"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EvalJson({c.expression, "--record", c.record}), nlohmann::json::parse(c.expected))
            << c.expression;
}

TEST(TableEval, TextLines) {
    clitest::RunResult r = Table({"eval", kClip, "UPPER(SKU) = 'WN*'", "--record", "5"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "5\tL\t.T.\n");
    r = Table({"eval", kClip, "LOWER(SKU)", "--record", "5"});
    EXPECT_EQ(r.out, "5\tC\twn-0008 \n");
}

TEST(TableEval, CompileAndEvaluationErrors) {
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"eval", kClip, "SKU +* 1"}, "taxbridge: Syntax Error in expression \"SKU +* 1\"\n"},
        {{"eval", kClip, "NOSUCH"}, "taxbridge: Field/variable NOSUCH is unknown\n"},
        {{"eval", kClip, "ITEM + QTY"},
         "taxbridge: Record 1: The two sides of an operation do not match\n"},
        {{"eval", kClip, "SKU", "--record", "501"},
         "taxbridge: Record 501 does not exist (the table has 500 records)\n"},
        {{"dump", kClip, "--filter", "QTY"},
         "taxbridge: Filter expression must return boolean result\n"},
        {{"dump", kClip, "--filter", "SKU = 1"},
         "taxbridge: Record 1: The two sides of an operation do not match\n"},
    };
    for (const auto& c : cases) {
        clitest::RunResult r = Table(c.args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, c.message);
    }
}

TEST(TableDumpFilter, OnlyTheRecordsTheExpressionAccepts) {
    const struct {
        const char* filter;
        std::vector<int> records;
    } cases[] = {
        {"QTY > 9999000", {6}},
        {"ITEM = '價格*'", {9, 231, 444, 471}},  // typed in UTF-8, compared with the GBK bytes
        {"(UPPER(ITEM) = 'HEX BOLT M6') .AND. .NOT. EMPTY(SOLD)", {1, 2}},  // 3 deleted, 17 no date
    };
    for (const auto& c : cases) {
        const nlohmann::json rows = clitest::DumpJson({kClip, "--filter", c.filter});
        std::vector<int> got;
        for (const auto& row : rows) got.push_back(row["_recno"].get<int>());
        EXPECT_EQ(got, c.records) << c.filter;
    }
}

}  // namespace
