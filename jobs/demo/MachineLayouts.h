// The field layouts of the tax-control machine's tables as its program creates them:
// invoices, invoice lines, customers, bank accounts and products.
#pragma once

#include <vector>

#include "jobs/demo/DbfWriter.h"

namespace jobs::demo {

const std::vector<DbfField>& InvoiceLayout();      // FA_PIAO.dbf
const std::vector<DbfField>& InvoiceLineLayout();  // fpadd.dbf
const std::vector<DbfField>& CustomerLayout();     // ke_hu.dbf
const std::vector<DbfField>& BankLayout();         // BANK.dbf
const std::vector<DbfField>& ProductLayout();      // detail.dbf

}  // namespace jobs::demo
