// The statement texts, byte for byte, and the doubling of quotes inside values.
#include <gtest/gtest.h>

#include "jobs/SqlText.h"
#include "jobs/Statements.h"

namespace jobs {
namespace {

TEST(QuoteValue, DoublesEveryQuoteAndLeavesOtherTextAlone) {
    EXPECT_EQ(QuoteValue("O'Brien"), "O''Brien");
    EXPECT_EQ(QuoteValue("''"), "''''");
    EXPECT_EQ(QuoteValue("'a'b'"), "''a''b''");
    EXPECT_EQ(QuoteValue("城关烟酒商店 0571"), "城关烟酒商店 0571");
    EXPECT_EQ(QuoteValue(""), "");
}

TEST(Statements, CustomerAndBankInsertsReadExactlyAsTheMachineSendsThem) {
    EXPECT_EQ(CustomerInsert("{NSR_NO}", "{DW_NAME}", "{ADDRE_PHON}"),
              "insert into ke_hu(NSR_NO,DW_NAME,ADDRE_PHON) "
              "VALUES('{NSR_NO}','{DW_NAME}','{ADDRE_PHON}')");
    EXPECT_EQ(BankInsert("{NSR_NO}", "{BANK_ZHANG}"),
              "insert into BANK(NSR_NO,BANK_ZHANG) VALUES('{NSR_NO}','{BANK_ZHANG}')");
    EXPECT_EQ(CustomerInsert("", "", " "),
              "insert into ke_hu(NSR_NO,DW_NAME,ADDRE_PHON) VALUES('','',' ')");
}

TEST(Statements, InvoiceInsertReadsExactlyAsTheTemplate) {
    std::array<std::string, kInvoiceFieldCount> values;
    for (std::size_t i = 0; i < kInvoiceFieldCount; ++i) {
        values[i] = std::string("{") + kInvoiceFields[i] + "}";
    }
    const char* expected =
        "insert into "
        "fa_piao(FP_NSR_NO,FP_DW,FP_ADD_PH,S02_1,S02_2,S02_4,FP_BANK_NO,S02_3,JIAO_1_1,JIAO_1_2,"
        "JIAO_1_4,JIAO_2_1,JIAO_2_2,JIAO_2_4,JIAO_3_1,JIAO_3_2,JIAO_3_4,S02_5,FP_DATE,FP_NO,FP_"
        "NO10,JIAO_1_3,JIAO_1_5,JIAO_1_7,JIAO_2_3,JIAO_2_5,JIAO_2_7,JIAO_3_3,JIAO_3_5,JIAO_3_7,FP_"
        "RATE,LOVER_1,LOVER_2,LOVER_3,LOVER_4,FP_MEM,FP_CODE,TYPE1,TYPE2,TYPE3,WAST_TIME) "
        "values "
        "('{FP_NSR_NO}','{FP_DW}','{FP_ADD_PH}','{S02_1}','{S02_2}','{S02_4}','{FP_BANK_NO}','{S02_"
        "3}','{JIAO_1_1}','{JIAO_1_2}','{JIAO_1_4}','{JIAO_2_1}','{JIAO_2_2}','{JIAO_2_4}','{JIAO_"
        "3_1}','{JIAO_3_2}','{JIAO_3_4}','{S02_5}',to_date('{FP_DATE}','yyyy-mm-dd'),'{FP_NO}','{"
        "FP_NO10}','{JIAO_1_3}','{JIAO_1_5}','{JIAO_1_7}','{JIAO_2_3}','{JIAO_2_5}','{JIAO_2_7}','{"
        "JIAO_3_3}','{JIAO_3_5}','{JIAO_3_7}','{FP_RATE}','{LOVER_1}','{LOVER_2}','{LOVER_3}','{"
        "LOVER_4}','{FP_MEM}','{FP_CODE}','{TYPE1}','{TYPE2}','{TYPE3}',to_date('{WAST_TIME}','"
        "yyyy-mm-dd'))";
    EXPECT_EQ(InvoiceInsert(values), expected);
}

TEST(Statements, LineInsertHasItsThreeBlanks) {
    std::array<std::string, kLineFieldCount> values = {
        "{fp_no10}", "{fp_no}",   "{NAME}",  "{GUI_GE}", "{DAN_WEI}",
        "{MUCH}",    "{DAN_JIA}", "{JIN_E}", "{SL}",     "{SHUI_E}"};
    EXPECT_EQ(LineInsert(values),
              "insert into faadd(FP_NO10,FP_NO,NAME,GUI_GE,DAN_WEI,MUCH,DAN_JIA,JIN_E,SL,SHUI_E) "
              "VALUES ('{fp_no10}','{fp_no}', '{NAME}','{GUI_GE}','{DAN_WEI}', "
              "'{MUCH}','{DAN_JIA}','{JIN_E}', '{SL}','{SHUI_E}')");
}

TEST(Statements, QuotesInsideValuesAreDoubledInEveryBuilder) {
    EXPECT_EQ(CustomerInsert("1", "O'Brien", "x"),
              "insert into ke_hu(NSR_NO,DW_NAME,ADDRE_PHON) VALUES('1','O''Brien','x')");
    EXPECT_EQ(BankInsert("1", "');drop table x;--"),
              "insert into BANK(NSR_NO,BANK_ZHANG) VALUES('1',''');drop table x;--')");
    std::array<std::string, kLineFieldCount> line{};
    line[2] = "a'b";
    EXPECT_NE(LineInsert(line).find("'a''b'"), std::string::npos);
    std::array<std::string, kInvoiceFieldCount> invoice{};
    invoice[1] = "O'Brien";
    invoice[18] = "2024-01-02'";
    const std::string sql = InvoiceInsert(invoice);
    EXPECT_NE(sql.find("'O''Brien'"), std::string::npos);
    EXPECT_NE(sql.find("to_date('2024-01-02''','yyyy-mm-dd')"), std::string::npos);
    EXPECT_EQ(DeleteOtherDays("x'y"),
              "DELETE FROM FA_PIAO WHERE RTRIM(LTRIM(TO_CHAR(FP_DATE,'YYYY-MM-DD')))<>'x''y'");
}

TEST(Statements, FixedTextsAreExact) {
    EXPECT_EQ(
        DeleteOtherDays("2002-06-07"),
        "DELETE FROM FA_PIAO WHERE RTRIM(LTRIM(TO_CHAR(FP_DATE,'YYYY-MM-DD')))<>'2002-06-07'");
    EXPECT_STREQ(kPriceQuery,
                 "SELECT SPDM00,SPMC00,JYDW00,SPGG00,SUM(PRICE) PRICE FROM (SELECT "
                 "B.SPDM00,E.SPMC00,F.JYDW00,F.SPGG00,NVL(B.PFJG00,0) PRICE  FROM  XSTJGGL1 "
                 "A,XSTJGGL2 B,XSTJGGL1 C,XSTJGGL2 D,GSTJYGL1 E,GSTJYGL0 F  WHERE "
                 "A.DHAO00=B.DHAO00 AND B.SPDM00=D.SPDM00 AND C.DHAO00=D.DHAO00 AND "
                 "B.SPDM00=E.SPDM00  AND TRUNC(C.QYRQ00)<=TRUNC(SYSDATE) AND E.SPDM00=F.SPDM00  "
                 "GROUP BY F.JYDW00,F.SPGG00,A.QYRQ00,B.SPDM00,E.SPMC00,NVL(B.PFJG00,0)  HAVING "
                 "TRUNC(A.QYRQ00)=TRUNC(MAX(C.QYRQ00))  UNION ALL  SELECT "
                 "A.SPDM00,B.SPMC00,B.JYDW00,B.SPGG00,0 PRICE  FROM GSTJYGL1 A,GSTJYGL0 B WHERE "
                 "A.SPDM00=B.SPDM00)  GROUP BY SPDM00,SPMC00,JYDW00,SPGG00");
    EXPECT_STREQ(kCustomerQuery,
                 "SELECT SWDJH0,DWMC00,DZ0000,DH0000 FROM GSTDWGL0 where swdjh0 is not null");
    EXPECT_STREQ(kBankQuery,
                 "SELECT B.SWDJH0,A.KHYH00,A.YHZH00 FROM GSTYHZH0 A,GSTDWGL0 B where "
                 "A.DWDM00=B.DWDM00 AND swdjh0 is not null");
    EXPECT_STREQ(kDeleteOrphanLines,
                 "DELETE FAADD WHERE FP_NO||FP_NO10 NOT IN (SELECT FP_NO||FP_NO10 FROM FA_PIAO)");
    EXPECT_STREQ(kDeleteRegisteredInvoices,
                 "DELETE FA_PIAO WHERE fp_no||fp_no10 in (select fphao0||fpbbh0 from XSTXSFP1)");
}

}  // namespace
}  // namespace jobs
