// The statement texts the jobs send to the sales server, and the builders that paste a
// record's field texts into the insert statements (quotes doubled, see SqlText.h).
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace jobs {

// Customer refresh.
inline constexpr const char* kTruncateKeHu = "truncate table ke_hu";
inline constexpr const char* kTruncateBank = "truncate table BANK";
inline constexpr const char* kCustomerQuery =
    "SELECT SWDJH0,DWMC00,DZ0000,DH0000 FROM GSTDWGL0 where swdjh0 is not null";
inline constexpr const char* kBankQuery =
    "SELECT B.SWDJH0,A.KHYH00,A.YHZH00 FROM GSTYHZH0 A,GSTDWGL0 B where A.DWDM00=B.DWDM00 AND "
    "swdjh0 is not null";

// Product refresh.
inline constexpr const char* kTruncateDetail = "truncate table detail";
extern const char* const kPriceQuery;

// Invoice read-in.
inline constexpr const char* kTruncateFaPiao = "truncate table fa_piao";
inline constexpr const char* kTruncateFaAdd = "truncate table faADD";
inline constexpr const char* kDeleteOrphanLines =
    "DELETE FAADD WHERE FP_NO||FP_NO10 NOT IN (SELECT FP_NO||FP_NO10 FROM FA_PIAO)";

// Invoice check.
inline constexpr const char* kDeleteRegisteredInvoices =
    "DELETE FA_PIAO WHERE fp_no||fp_no10 in (select fphao0||fpbbh0 from XSTXSFP1)";

// Server methods called by name.
inline constexpr const char* kTranStart = "CustObjdbTranStart";
inline constexpr const char* kCommit = "CustObjdbCommit";
inline constexpr const char* kRollback = "CustObjdbRollback";

// The invoice fields copied, in column order, and the invoice-line fields.
inline constexpr std::size_t kInvoiceFieldCount = 41;
inline constexpr std::size_t kLineFieldCount = 10;
extern const std::array<const char*, kInvoiceFieldCount> kInvoiceFields;
extern const std::array<const char*, kLineFieldCount> kLineFields;

std::string CustomerInsert(std::string_view nsrNo, std::string_view dwName,
                           std::string_view addrePhon);
std::string BankInsert(std::string_view nsrNo, std::string_view bankZhang);
// Values in the order of kInvoiceFields; FP_DATE and WAST_TIME go through to_date.
std::string InvoiceInsert(const std::array<std::string, kInvoiceFieldCount>& values);
// Values in the order of kLineFields.
std::string LineInsert(const std::array<std::string, kLineFieldCount>& values);
// Removes the server's invoices of any day but the read-in day.
std::string DeleteOtherDays(std::string_view readInDate);

}  // namespace jobs
