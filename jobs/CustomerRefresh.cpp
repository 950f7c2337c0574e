#include "jobs/CustomerRefresh.h"

#include "jobs/GridColumns.h"
#include "jobs/JobReporter.h"
#include "jobs/MachineTables.h"
#include "jobs/MainContext.h"
#include "jobs/ProgressScope.h"
#include "jobs/ServerConnection.h"
#include "jobs/Statements.h"
#include "jobs/TableRefill.h"

namespace jobs {

namespace {

// Sends one insert statement per live record of the table.
template <typename Build>
void Upload(xbase::XBaseDataSet& table, appserver::ClientDataSet& temp, Build build) {
    if (table.RecordCount() <= 0) return;
    table.First();
    while (!table.Eof()) {
        ExecuteText(temp, build(table));
        table.Next();
    }
}

std::string Text(xbase::XBaseDataSet& table, const char* field) {
    return table.FieldByName(field).AsString();
}

// The key followed by two server texts joined with the one blank the machine's field
// always holds (also when both are empty).
TextRows JoinLastTwo(TextRows rows) {
    for (std::vector<std::string>& row : rows) {
        std::string& first = row[row.size() - 2];
        first += ' ';
        first += row.back();
        row.pop_back();
    }
    return rows;
}

}  // namespace

void CustomerRefresh(MainContext& m, JobReporter& reporter, const RefreshOptions& options) {
    ProgressScope progress(reporter);

    ExecuteText(m.cds_temp, kTruncateKeHu);
    ExecuteText(m.cds_temp, kTruncateBank);
    OpenMachineTable(m.HDS_SKKH, kCustomerTable);
    OpenMachineTable(m.HDS_BANK, kBankTable);

    Upload(m.HDS_SKKH, m.cds_temp, [](xbase::XBaseDataSet& t) {
        return CustomerInsert(Text(t, "NSR_NO"), Text(t, "DW_NAME"), Text(t, "ADDRE_PHON"));
    });
    Upload(m.HDS_BANK, m.cds_temp, [](xbase::XBaseDataSet& t) {
        return BankInsert(Text(t, "NSR_NO"), Text(t, "BANK_ZHANG"));
    });

    m.CDS_KHSQ.Close();
    m.CDS_KHSQ.Open();

    std::vector<TableRefill> refills(2);
    refills[0] = {&m.HDS_SKKH,
                  kCustomerTable,
                  "customers",
                  {"nsr_no", "dw_name", "ADDRE_PHON"},
                  "nsr_no",
                  NewRecord::Insert,
                  JoinLastTwo(FetchText(m.cds_temp, kCustomerQuery,
                                        {"swdjh0", "DWMC00", "DZ0000", "DH0000"}))};
    refills[1] = {&m.HDS_BANK,
                  kBankTable,
                  "bank accounts",
                  {"nsr_no", "BANK_ZHANG"},
                  "nsr_no",
                  NewRecord::Insert,
                  JoinLastTwo(FetchText(m.cds_temp, kBankQuery, {"swdjh0", "KHYH00", "YHZH00"}))};
    ReplaceTables(refills, options, reporter);

    ResultView view{kCustomerHeading, CustomerResultColumns(), &m.CDS_KHSQ};
    progress.Stop(false);
    reporter.ShowResult(view);
}

}  // namespace jobs
