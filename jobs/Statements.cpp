#include "jobs/Statements.h"

#include "jobs/SqlText.h"

namespace jobs {

const char* const kPriceQuery =
    "SELECT SPDM00,SPMC00,JYDW00,SPGG00,SUM(PRICE) PRICE FROM (SELECT "
    "B.SPDM00,E.SPMC00,F.JYDW00,F.SPGG00,NVL(B.PFJG00,0) PRICE  FROM  XSTJGGL1 A,XSTJGGL2 "
    "B,XSTJGGL1 C,XSTJGGL2 D,GSTJYGL1 E,GSTJYGL0 F  WHERE A.DHAO00=B.DHAO00 AND "
    "B.SPDM00=D.SPDM00 AND C.DHAO00=D.DHAO00 AND B.SPDM00=E.SPDM00  AND "
    "TRUNC(C.QYRQ00)<=TRUNC(SYSDATE) AND E.SPDM00=F.SPDM00  GROUP BY "
    "F.JYDW00,F.SPGG00,A.QYRQ00,B.SPDM00,E.SPMC00,NVL(B.PFJG00,0)  HAVING "
    "TRUNC(A.QYRQ00)=TRUNC(MAX(C.QYRQ00))  UNION ALL  SELECT "
    "A.SPDM00,B.SPMC00,B.JYDW00,B.SPGG00,0 PRICE  FROM GSTJYGL1 A,GSTJYGL0 B WHERE "
    "A.SPDM00=B.SPDM00)  GROUP BY SPDM00,SPMC00,JYDW00,SPGG00";

const std::array<const char*, kInvoiceFieldCount> kInvoiceFields = {
    "FP_NSR_NO", "FP_DW",    "FP_ADD_PH", "S02_1",    "S02_2",    "S02_4",    "FP_BANK_NO",
    "S02_3",     "JIAO_1_1", "JIAO_1_2",  "JIAO_1_4", "JIAO_2_1", "JIAO_2_2", "JIAO_2_4",
    "JIAO_3_1",  "JIAO_3_2", "JIAO_3_4",  "S02_5",    "FP_DATE",  "FP_NO",    "FP_NO10",
    "JIAO_1_3",  "JIAO_1_5", "JIAO_1_7",  "JIAO_2_3", "JIAO_2_5", "JIAO_2_7", "JIAO_3_3",
    "JIAO_3_5",  "JIAO_3_7", "FP_RATE",   "LOVER_1",  "LOVER_2",  "LOVER_3",  "LOVER_4",
    "FP_MEM",    "FP_CODE",  "TYPE1",     "TYPE2",    "TYPE3",    "WAST_TIME"};

const std::array<const char*, kLineFieldCount> kLineFields = {
    "fp_no10", "fp_no", "NAME", "GUI_GE", "DAN_WEI", "MUCH", "DAN_JIA", "JIN_E", "SL", "SHUI_E"};

namespace {

constexpr std::string_view kCustomerPrefix =
    "insert into ke_hu(NSR_NO,DW_NAME,ADDRE_PHON) VALUES('";
constexpr std::string_view kBankPrefix = "insert into BANK(NSR_NO,BANK_ZHANG) VALUES('";
constexpr std::string_view kInvoicePrefix =
    "insert into "
    "fa_piao(FP_NSR_NO,FP_DW,FP_ADD_PH,S02_1,S02_2,S02_4,FP_BANK_NO,S02_3,JIAO_1_1,JIAO_1_2,"
    "JIAO_1_4,JIAO_2_1,JIAO_2_2,JIAO_2_4,JIAO_3_1,JIAO_3_2,JIAO_3_4,S02_5,FP_DATE,FP_NO,FP_"
    "NO10,JIAO_1_3,JIAO_1_5,JIAO_1_7,JIAO_2_3,JIAO_2_5,JIAO_2_7,JIAO_3_3,JIAO_3_5,JIAO_3_7,FP_"
    "RATE,LOVER_1,LOVER_2,LOVER_3,LOVER_4,FP_MEM,FP_CODE,TYPE1,TYPE2,TYPE3,WAST_TIME) values ('";
constexpr std::string_view kLinePrefix =
    "insert into faadd(FP_NO10,FP_NO,NAME,GUI_GE,DAN_WEI,MUCH,DAN_JIA,JIN_E,SL,SHUI_E) "
    "VALUES ('";

// The literal pieces between the values.
constexpr std::string_view kNext = "','";
constexpr std::string_view kQuoteComma = "',";
constexpr std::string_view kQuote = "'";
constexpr std::string_view kBlankQuote = " '";
constexpr std::string_view kToDate = "',to_date('";
constexpr std::string_view kDateFormatNext = "','yyyy-mm-dd'),";
constexpr std::string_view kDateFormatEnd = "','yyyy-mm-dd'))";
constexpr std::string_view kEnd = "')";

constexpr std::size_t kFpDate = 18;
constexpr std::size_t kWastTime = 40;

std::size_t TotalSize(const std::string* values, std::size_t count) {
    std::size_t size = 0;
    for (std::size_t i = 0; i < count; ++i) size += values[i].size() + 4;
    return size;
}

}  // namespace

std::string CustomerInsert(std::string_view nsrNo, std::string_view dwName,
                           std::string_view addrePhon) {
    std::string sql(kCustomerPrefix);
    AppendQuoted(sql, nsrNo);
    sql += kNext;
    AppendQuoted(sql, dwName);
    sql += kQuoteComma;
    sql += kQuote;
    AppendQuoted(sql, addrePhon);
    sql += kEnd;
    return sql;
}

std::string BankInsert(std::string_view nsrNo, std::string_view bankZhang) {
    std::string sql(kBankPrefix);
    AppendQuoted(sql, nsrNo);
    sql += kNext;
    AppendQuoted(sql, bankZhang);
    sql += kEnd;
    return sql;
}

std::string InvoiceInsert(const std::array<std::string, kInvoiceFieldCount>& values) {
    std::string sql;
    sql.reserve(kInvoicePrefix.size() + TotalSize(values.data(), values.size()) + 64);
    sql += kInvoicePrefix;
    for (std::size_t i = 0; i < kInvoiceFieldCount; ++i) {
        if (i == kFpDate || i == kWastTime) {
            sql += kToDate;
        } else if (i == kFpDate + 1) {
            sql += kDateFormatNext;
            sql += kQuote;
        } else if (i > 0) {
            sql += kNext;
        }
        AppendQuoted(sql, values[i]);
    }
    sql += kDateFormatEnd;
    return sql;
}

std::string LineInsert(const std::array<std::string, kLineFieldCount>& values) {
    std::string sql;
    sql.reserve(kLinePrefix.size() + TotalSize(values.data(), values.size()) + 16);
    sql += kLinePrefix;
    for (std::size_t i = 0; i < kLineFieldCount; ++i) {
        if (i == 2 || i == 5 || i == 8) {
            sql += kQuoteComma;
            sql += kBlankQuote;
        } else if (i > 0) {
            sql += kNext;
        }
        AppendQuoted(sql, values[i]);
    }
    sql += kEnd;
    return sql;
}

std::string DeleteOtherDays(std::string_view readInDate) {
    std::string sql = "DELETE FROM FA_PIAO WHERE RTRIM(LTRIM(TO_CHAR(FP_DATE,'YYYY-MM-DD')))<>'";
    AppendQuoted(sql, readInDate);
    sql += kQuote;
    return sql;
}

}  // namespace jobs
