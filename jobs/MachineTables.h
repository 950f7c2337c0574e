// The tax-control machine's tables: their directory and file names as the jobs use them,
// and the settings every table dataset of the windows carries (shared, Default lock
// protocol, text translated from the OEM code page, deleted records hidden, no automatic
// flush, user 0).
#pragma once

#include <string>

namespace xbase {
class XBaseDataSet;
}

namespace jobs {

inline constexpr const char* kMachineDirectory = "c:\\tax";
inline constexpr const char* kInvoiceTable = "FA_PIAO.dbf";
inline constexpr const char* kInvoiceLineTable = "fpadd.dbf";
inline constexpr const char* kCustomerTable = "ke_hu.dbf";
inline constexpr const char* kBankTable = "BANK.dbf";
inline constexpr const char* kProductTable = "detail.dbf";

// Applies the windows' dataset settings and a name for messages.
void ConfigureMachineTable(xbase::XBaseDataSet& table, const std::string& name);

// Close; directory "c:\tax"; the table name; open.
void OpenMachineTable(xbase::XBaseDataSet& table, const std::string& tableName);

}  // namespace jobs
