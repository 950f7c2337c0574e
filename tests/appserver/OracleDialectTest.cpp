#include <gtest/gtest.h>

#include "appserver/OracleDialect.h"
#include "appserver/ServerError.h"
#include "appserver/SqlTokenizer.h"

namespace appserver {
namespace {

std::string lite(const std::string& sql) { return adaptOracleSql(sql, SqlTarget::Sqlite).sql; }
std::string pg(const std::string& sql) { return adaptOracleSql(sql, SqlTarget::Postgres).sql; }

TEST(SqlTokenizer, JoinedTokensGiveBackTheText) {
    const std::string sql =
        "select 'it''s', \"a\"\"b\" -- note\n/* c */ x||y from t where a<>:p and b=?";
    std::string joined;
    for (const Token& t : tokenizeSql(sql)) joined += t.text;
    EXPECT_EQ(joined, sql);
}

TEST(SqlTokenizer, UnterminatedLiteralOrCommentIsAnError) {
    EXPECT_THROW(tokenizeSql("select 'abc"), ServerError);
    EXPECT_THROW(tokenizeSql("select \"abc"), ServerError);
    EXPECT_THROW(tokenizeSql("select /* abc"), ServerError);
}

TEST(SqlTokenizer, SplitsScriptsOnlyAtSemicolonsOutsideLiterals) {
    auto parts = splitSqlStatements("insert into t values ('a;b'); -- x;y\n delete from t ;  ");
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(parts[0], "insert into t values ('a;b')");
    EXPECT_EQ(parts[1], "delete from t ");
}

TEST(OracleDialect, TruncateBecomesDeleteOnSqliteOnly) {
    EXPECT_EQ(lite("truncate table ke_hu"), "DELETE FROM ke_hu");
    EXPECT_EQ(pg("truncate table ke_hu"), "truncate table ke_hu");
}

TEST(OracleDialect, DeleteWithoutFromGetsFrom) {
    EXPECT_EQ(lite("DELETE FAADD WHERE x=1"), "DELETE FROM FAADD WHERE x=1");
    EXPECT_EQ(pg("delete from t"), "delete from t");
}

TEST(OracleDialect, BareSysdateBecomesACall) {
    EXPECT_EQ(pg("SELECT TRUNC(SYSDATE) d FROM t"), "SELECT TRUNC(SYSDATE()) d FROM t");
    EXPECT_EQ(pg("SELECT t.sysdate, sysdate() x FROM t"), "SELECT t.sysdate, sysdate() x FROM t");
}

TEST(OracleDialect, EmptyLiteralIsNull) {
    EXPECT_EQ(lite("select to_date('','yyyy-mm-dd') d from t"),
              "select to_date(NULL,'yyyy-mm-dd') d from t");
}

TEST(OracleDialect, ConcatenationChainsBecomeOneNullSafeCall) {
    EXPECT_EQ(lite("DELETE FA_PIAO WHERE fp_no||fp_no10 in (select fphao0||fpbbh0 from XSTXSFP1)"),
              "DELETE FROM FA_PIAO WHERE ORA_CONCAT(fp_no,fp_no10) in (select "
              "ORA_CONCAT(fphao0,fpbbh0) from XSTXSFP1)");
    EXPECT_EQ(pg("select a.x||' '||rtrim(b.y) z from t"),
              "select NULLIF(CONCAT(a.x,' ',rtrim(b.y)),'') z from t");
    EXPECT_EQ(lite("select rtrim(a||b)||c z from t"),
              "select ORA_CONCAT(rtrim(ORA_CONCAT(a,b)),c) z from t");
}

TEST(OracleDialect, UnaliasedSelectExpressionsAreNamedByTheirText) {
    EXPECT_EQ(
        lite("SELECT DWMC00,dz0000 || '' || DH0000,SWDJH0 FROM G"),
        "SELECT DWMC00,ORA_CONCAT(dz0000,NULL,DH0000) AS \"DZ0000||''||DH0000\",SWDJH0 FROM G");
    // Columns, aliased expressions and stars keep their names.
    EXPECT_EQ(pg("SELECT B.X, SUM(P) P, 0 PRICE, t.* FROM t"),
              "SELECT B.X, SUM(P) P, 0 PRICE, t.* FROM t");
}

TEST(OracleDialect, FromSubqueryWithoutAliasGetsOne) {
    EXPECT_EQ(pg("SELECT a FROM (SELECT 1 a FROM t) GROUP BY a"),
              "SELECT a FROM (SELECT 1 a FROM t) tb_sub1 GROUP BY a");
    EXPECT_EQ(
        pg("SELECT a FROM (SELECT 1 a FROM t) M, (SELECT 2 b FROM u) WHERE x IN (SELECT y FROM v)"),
        "SELECT a FROM (SELECT 1 a FROM t) M, (SELECT 2 b FROM u) tb_sub1 WHERE x IN (SELECT y "
        "FROM v)");
}

TEST(OracleDialect, ParametersAreNumberedInOrder) {
    AdaptedStatement a =
        adaptOracleSql("select * from t where a=? and b=:name and c='?'", SqlTarget::Postgres);
    EXPECT_EQ(a.sql, "select * from t where a=$1 and b=$2 and c='?'");
    EXPECT_EQ(a.parameterCount, 2);
    EXPECT_EQ(lite("select * from t where b=:name"), "select * from t where b=?");
}

TEST(OracleDialect, NeverRewritesInsideLiteralsOrQuotedNames) {
    const std::string sql =
        "insert into ke_hu(NSR_NO,DW_NAME) VALUES('truncate table x','O''Brien || sysdate -- '''' "
        "/*')";
    EXPECT_EQ(lite(sql), sql);
    EXPECT_EQ(pg(sql), sql);
    EXPECT_EQ(pg("select \"a||b\" from t"), "select \"a||b\" from t");
}

TEST(OracleDialect, PlainStatementsOnlyHaveTheirEmptyLiteralsTurnedToNull) {
    EXPECT_EQ(lite("insert into faadd(a,b,c) VALUES ('','x', '')"),
              "insert into faadd(a,b,c) VALUES (NULL,'x', NULL)");
    // A literal holding one quote, or a blank, is not empty.
    EXPECT_EQ(pg("update t set a='''', b=' ', c='' where d=''"),
              "update t set a='''', b=' ', c=NULL where d=NULL");
    EXPECT_EQ(lite("insert into t(a) values ('x') -- ''\n"),
              "insert into t(a) values ('x') -- ''\n");
    EXPECT_EQ(lite(""), "");
    EXPECT_THROW(lite("insert into t(a) values ('x"), ServerError);
}

TEST(OracleDialect, RewritesAreFoundAnywhereInAStatement) {
    EXPECT_EQ(lite("insert into t(a,d) values ('',sysdate)"),
              "insert into t(a,d) values (NULL,sysdate())");
    EXPECT_EQ(lite("insert into t(a) values (x || '')"),
              "insert into t(a) values (ORA_CONCAT(x,NULL))");
    EXPECT_EQ(pg("insert into t(a) select a from u minus select a from v"),
              "insert into t(a) select a from u EXCEPT select a from v");
    EXPECT_EQ(pg("insert into t(a) select a from ( /* all */ select a from u)"),
              "insert into t(a) select a from ( /* all */ select a from u) tb_sub1");
    AdaptedStatement a = adaptOracleSql("update t set a=:a, b='' where c=?", SqlTarget::Postgres);
    EXPECT_EQ(a.sql, "update t set a=$1, b=NULL where c=$2");
    EXPECT_EQ(a.parameterCount, 2);
    EXPECT_EQ(lite("  -- first\n delete t"), "  -- first\n delete FROM t");
}

}  // namespace
}  // namespace appserver
