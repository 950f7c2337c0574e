// The demo tax-control machine folder: FA_PIAO.dbf, fpadd.dbf, ke_hu.dbf, BANK.dbf and
// detail.dbf in GBK, matching the sales system's demo data. The machine's customer and
// product tables hold what an earlier refresh left (some customers and products are new
// or changed on the sales side since); the invoices are those issued for yesterday's and
// today's sales orders, with a few deleted records in every table.
#pragma once

#include <string>
#include <vector>

#include "appserver/DemoData.h"
#include "jobs/demo/DbfWriter.h"

namespace jobs::demo {

inline constexpr const char* kSellerName = "杭州市烟草公司西湖营销部";
inline constexpr const char* kDeletedInvoiceNumber = "00003199";

// Writes the five tables into a host directory (created when missing), replacing
// tables of the same names.
void WriteDemoMachineFolder(const std::string& hostDirectory);

// The calendar date of today + dayOffset.
platform::CivilDate DemoDay(int dayOffset);

// An FA_PIAO.dbf record of an invoice issued on `day` (up to three lines go into the
// invoice itself; with more, the invoice refers to its line list).
std::vector<DbfValue> InvoiceRecord(const appserver::demo::MachineInvoice& invoice,
                                    const platform::CivilDate& day);
// fpadd.dbf records of an invoice with more than three lines (none otherwise).
std::vector<std::vector<DbfValue>> InvoiceLineRecords(
    const appserver::demo::MachineInvoice& invoice);

}  // namespace jobs::demo
