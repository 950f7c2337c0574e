// The statement texts the jobs send, verbatim, on every backend.
#include <gtest/gtest.h>

#include <map>

#include "TestServers.h"
#include "appserver/DemoData.h"
#include "appserver/ServerError.h"

namespace appserver {
namespace {

using test::ServerTest;

const char* const kPriceQuery =
    "SELECT SPDM00,SPMC00,JYDW00,SPGG00,SUM(PRICE) PRICE FROM (SELECT "
    "B.SPDM00,E.SPMC00,F.JYDW00,F.SPGG00,NVL(B.PFJG00,0) PRICE  FROM  XSTJGGL1 A,XSTJGGL2 "
    "B,XSTJGGL1 C,XSTJGGL2 D,GSTJYGL1 E,GSTJYGL0 F  WHERE A.DHAO00=B.DHAO00 AND B.SPDM00=D.SPDM00 "
    "AND C.DHAO00=D.DHAO00 AND B.SPDM00=E.SPDM00  AND TRUNC(C.QYRQ00)<=TRUNC(SYSDATE) AND "
    "E.SPDM00=F.SPDM00  GROUP BY F.JYDW00,F.SPGG00,A.QYRQ00,B.SPDM00,E.SPMC00,NVL(B.PFJG00,0)  "
    "HAVING TRUNC(A.QYRQ00)=TRUNC(MAX(C.QYRQ00))  UNION ALL  SELECT "
    "A.SPDM00,B.SPMC00,B.JYDW00,B.SPGG00,0 PRICE  FROM GSTJYGL1 A,GSTJYGL0 B WHERE "
    "A.SPDM00=B.SPDM00)  GROUP BY SPDM00,SPMC00,JYDW00,SPGG00";

const char* const kInvoiceColumns[] = {
    "FP_NSR_NO", "FP_DW",    "FP_ADD_PH", "S02_1",    "S02_2",    "S02_4",    "FP_BANK_NO",
    "S02_3",     "JIAO_1_1", "JIAO_1_2",  "JIAO_1_4", "JIAO_2_1", "JIAO_2_2", "JIAO_2_4",
    "JIAO_3_1",  "JIAO_3_2", "JIAO_3_4",  "S02_5",    "FP_DATE",  "FP_NO",    "FP_NO10",
    "JIAO_1_3",  "JIAO_1_5", "JIAO_1_7",  "JIAO_2_3", "JIAO_2_5", "JIAO_2_7", "JIAO_3_3",
    "JIAO_3_5",  "JIAO_3_7", "FP_RATE",   "LOVER_1",  "LOVER_2",  "LOVER_3",  "LOVER_4",
    "FP_MEM",    "FP_CODE",  "TYPE1",     "TYPE2",    "TYPE3",    "WAST_TIME"};

// The invoice statement as the read-in assembles it from a record's texts.
std::string invoiceStatement(std::map<std::string, std::string> values) {
    std::string sql =
        "insert into "
        "fa_piao(FP_NSR_NO,FP_DW,FP_ADD_PH,S02_1,S02_2,S02_4,FP_BANK_NO,S02_3,JIAO_1_1,JIAO_1_2,"
        "JIAO_1_4,JIAO_2_1,JIAO_2_2,JIAO_2_4,JIAO_3_1,JIAO_3_2,JIAO_3_4,S02_5,FP_DATE,FP_NO,FP_"
        "NO10,JIAO_1_3,JIAO_1_5,JIAO_1_7,JIAO_2_3,JIAO_2_5,JIAO_2_7,JIAO_3_3,JIAO_3_5,JIAO_3_7,FP_"
        "RATE,LOVER_1,LOVER_2,LOVER_3,LOVER_4,FP_MEM,FP_CODE,TYPE1,TYPE2,TYPE3,WAST_TIME) values "
        "('";
    bool first = true;
    for (const char* column : kInvoiceColumns) {
        const std::string v = values[column];
        const std::string name = column;
        if (name == "FP_DATE") {
            sql += "',to_date('" + v + "','yyyy-mm-dd'),";
            first = true;
            continue;
        }
        if (name == "WAST_TIME") {
            sql += "',to_date('" + v + "','yyyy-mm-dd'))";
            continue;
        }
        if (!first) sql += "','";
        if (first && name != "FP_NSR_NO") sql += "'";
        sql += v;
        first = false;
    }
    return sql;
}

std::string lineStatement(const std::string& no10, const std::string& no, const std::string& name,
                          const std::string& much) {
    return "insert into faadd(FP_NO10,FP_NO,NAME,GUI_GE,DAN_WEI,MUCH,DAN_JIA,JIN_E,SL,SHUI_E) "
           "VALUES ('" +
           no10 + "','" + no + "', '" + name + "','84mm','条', '" + much + "','100.00','" + much +
           "00.00', '0.13','13.00')";
}

class JobStatements : public ServerTest {};

TEST_P(JobStatements, CustomerRefreshStatementsUploadAndReadBack) {
    auto db = session();
    db->run(
        "insert into GSTDWGL0(DWDM00,DWMC00,SWDJH0,DZ0000,DH0000) values "
        "('K1','甲商店','3301','解放路1号','0571-1')");
    db->run(
        "insert into GSTDWGL0(DWDM00,DWMC00,SWDJH0,DZ0000,DH0000) values "
        "('K2','乙商店',NULL,'路2号','2')");
    db->run(
        "insert into GSTDWGL0(DWDM00,DWMC00,SWDJH0,DZ0000,DH0000) values "
        "('K3','丙商店','3303',NULL,NULL)");
    db->run("insert into GSTYHZH0(DWDM00,XH0000,KHYH00,YHZH00) values ('K1',1,'工行','111')");
    db->run("insert into GSTYHZH0(DWDM00,XH0000,KHYH00,YHZH00) values ('K1',2,'农行','222')");
    db->run("insert into GSTYHZH0(DWDM00,XH0000,KHYH00,YHZH00) values ('K2',1,'建行','333')");

    db->run("truncate table ke_hu");
    db->run("truncate table BANK");
    db->run(
        "insert into ke_hu(NSR_NO,DW_NAME,ADDRE_PHON) VALUES('3301','甲商店','解放路1号 0571-1')");
    db->run("insert into BANK(NSR_NO,BANK_ZHANG) VALUES('3301','工行 111')");
    EXPECT_EQ(rows("select count(*) n from ke_hu"), std::vector<std::string>{"1"});
    db->run("truncate table ke_hu");
    EXPECT_EQ(rows("select count(*) n from ke_hu"), std::vector<std::string>{"0"});

    ResultSet customers =
        db->run("SELECT SWDJH0,DWMC00,DZ0000,DH0000 FROM GSTDWGL0 where swdjh0 is not null");
    ASSERT_EQ(customers.rows.size(), 2u);  // the customer without a number stays away
    EXPECT_GE(customers.columnIndex("swdjh0"), 0);
    EXPECT_GE(customers.columnIndex("Dz0000"), 0);

    ResultSet banks = db->run(
        "SELECT B.SWDJH0,A.KHYH00,A.YHZH00 FROM GSTYHZH0 A,GSTDWGL0 B where A.DWDM00=B.DWDM00 AND "
        "swdjh0 is not null");
    ASSERT_EQ(banks.rows.size(), 2u);  // both accounts of K1, none of the unregistered K2
    for (const auto& row : banks.rows)
        EXPECT_EQ(row[static_cast<size_t>(banks.columnIndex("SWDJH0"))], "3301");
}

TEST_P(JobStatements, PriceQueryTakesTheLatestListInEffectToday) {
    auto db = session();
    const char* products[][2] = {{"P1", "中华"}, {"P2", "玉溪"}, {"P3", "利群"}, {"P4", "无价烟"}};
    for (auto& p : products) {
        db->run("insert into GSTJYGL0(SPDM00,SPMC00,JYDW00,SPGG00) values (?,?,'条','84mm')",
                {p[0], p[1]});
        db->run("insert into GSTJYGL1(SPDM00,SPMC00) values (?,?)", {p[0], p[1]});
    }
    struct {
        int number;
        int day;
    } lists[] = {{1, -30}, {2, -5}, {3, 0}, {4, 1}};
    for (auto& l : lists) {
        db->run("insert into XSTJGGL1(DHAO00,QYRQ00) values (?,to_date(?,'yyyy-mm-dd'))",
                {std::to_string(l.number), demo::dayText(l.day)});
    }
    struct {
        int list;
        const char* product;
        const char* price;
    } lines[] = {
        {1, "P1", "300"}, {2, "P1", "310.5"},
        {4, "P1", "999"},                    // P1: list 2 is the latest in effect
        {1, "P2", "150"}, {3, "P2", "155"},  // P2: today's list counts
        {4, "P3", "120"},                    // P3: only tomorrow's list
    };
    for (auto& l : lines) {
        db->run("insert into XSTJGGL2(DHAO00,SPDM00,PFJG00) values (?,?,?)",
                {std::to_string(l.list), l.product, l.price});
    }
    db->run("insert into XSTJGGL1(DHAO00,QYRQ00) values (5,to_date('" + demo::dayText(-5) +
            " 15:30:00','yyyy-mm-dd hh24:mi:ss'))");

    ResultSet r = db->run(kPriceQuery);
    ASSERT_EQ(r.columns.size(), 5u);
    int code = r.columnIndex("spdm00"), price = r.columnIndex("price"),
        name = r.columnIndex("SPMC00");
    ASSERT_GE(code, 0);
    ASSERT_GE(price, 0);
    std::map<std::string, std::string> prices;
    for (const auto& row : r.rows) {
        prices[*row[static_cast<size_t>(code)]] = *row[static_cast<size_t>(price)];
        EXPECT_TRUE(row[static_cast<size_t>(name)].has_value());
    }
    EXPECT_EQ(prices.size(), 4u);  // every product once
    EXPECT_EQ(prices["P1"], "310.5");
    EXPECT_EQ(prices["P2"], "155");
    EXPECT_EQ(prices["P3"], "0");
    EXPECT_EQ(prices["P4"], "0");
}

TEST_P(JobStatements, InvoiceCopyKeepsOnlyLinesOfCopiedInvoicesAndBlankDatesAreNull) {
    auto db = session();
    db->run("truncate table fa_piao");
    db->run("truncate table faADD");
    const std::string today = demo::dayText(0);
    std::map<std::string, std::string> invoice{{"FP_NSR_NO", "3301"}, {"FP_DW", "甲商店"},
                                               {"FP_NO", "00000001"}, {"FP_NO10", "3300041140"},
                                               {"FP_DATE", today},    {"JIAO_1_3", "10"},
                                               {"WAST_TIME", ""},     {"FP_MEM", "10001"}};
    db->run(invoiceStatement(invoice));
    db->run(lineStatement("3300041140", "00000001", "中华(硬)", "5"));
    db->run(lineStatement("3300041140", "00000002", "玉溪(软)",
                          "7"));  // an invoice that was not copied
    db->run("DELETE FAADD WHERE FP_NO||FP_NO10 NOT IN (SELECT FP_NO||FP_NO10 FROM FA_PIAO)");

    EXPECT_EQ(rows("select fp_no, name, much from faadd"),
              std::vector<std::string>{"00000001|中华(硬)|5"});
    EXPECT_EQ(
        rows("select TO_CHAR(FP_DATE,'YYYY-MM-DD') d, wast_time, fp_mem, jiao_2_1 from fa_piao"),
        std::vector<std::string>{today + "|NULL|10001|NULL"});
}

TEST_P(JobStatements, CheckWindowDeletesOtherDaysAndRegisteredInvoices) {
    auto db = session();
    const std::string today = demo::dayText(0), yesterday = demo::dayText(-1);
    const char* invoices[][3] = {
        {"00000001", "A", ""}, {"00000002", "A", ""}, {"00000003", "B", ""}};
    int n = 0;
    for (auto& inv : invoices) {
        db->run(invoiceStatement(
            {{"FP_NO", inv[0]}, {"FP_NO10", inv[1]}, {"FP_DATE", n++ == 2 ? yesterday : today}}));
    }
    db->run("insert into XSTXSFP1(FPHAO0,FPBBH0) values ('00000002','A')");
    db->run("DELETE FROM FA_PIAO WHERE RTRIM(LTRIM(TO_CHAR(FP_DATE,'YYYY-MM-DD')))<>'" + today +
            "'");
    db->run("DELETE FA_PIAO WHERE fp_no||fp_no10 in (select fphao0||fpbbh0 from XSTXSFP1)");
    EXPECT_EQ(rows("select fp_no, fp_no10 from fa_piao"), std::vector<std::string>{"00000001|A"});
}

TEST_P(JobStatements, RejectedStatementsNameTheStatement) {
    auto db = session();
    // A value holding a quote breaks the pasted statement, as on the original server.
    const std::string bad =
        "insert into ke_hu(NSR_NO,DW_NAME,ADDRE_PHON) VALUES('1','O'Brien','x')";
    try {
        db->run(bad);
        FAIL();
    } catch (const ServerError& e) {
        EXPECT_NE(std::string(e.what()).find(bad), std::string::npos) << e.what();
    }
    EXPECT_THROW(
        db->run(
            "insert into fa_piao(FP_NO,FP_DATE) values ('1',to_date('2024-02-30','yyyy-mm-dd'))"),
        ServerError);
}

TEST_P(JobStatements, LiteralsThatLookLikeStatementsStayIntact) {
    auto db = session();
    db->run(
        "insert into ke_hu(NSR_NO,DW_NAME,ADDRE_PHON) VALUES('1','truncate table x','O''Brien || "
        "sysdate')");
    db->run(
        "insert into ke_hu(NSR_NO,DW_NAME,ADDRE_PHON) VALUES('2','DELETE KE_HU WHERE 1=1','-- "
        "/*')");
    EXPECT_EQ(rows("select nsr_no, dw_name, addre_phon from ke_hu order by nsr_no"),
              (std::vector<std::string>{"1|truncate table x|O'Brien || sysdate",
                                        "2|DELETE KE_HU WHERE 1=1|-- /*"}));
}

TEST_P(JobStatements, OracleFunctionsAgreeOnBothBackends) {
    EXPECT_EQ(rows("select nvl(NULL,'x') a, nvl('y','x') b, "
                   "to_char(to_date('2024-3-5','yyyy-mm-dd'),'YYYY/MM/DD') c,"
                   " to_number(' 12.50 ') d, 'a'||''||'b' e, ''||'' f,"
                   " to_char(trunc(to_date('2024-03-05 13:14:15','yyyy-mm-dd "
                   "hh24:mi:ss')),'YYYY-MM-DD HH24:MI:SS') g,"
                   " to_date(' ','yyyy-mm-dd') h from dual"),
              std::vector<std::string>{"x|y|2024/03/05|12.5|ab|NULL|2024-03-05 00:00:00|NULL"});
}

INSTANTIATE_FOR_BACKENDS(JobStatements);

}  // namespace
}  // namespace appserver
