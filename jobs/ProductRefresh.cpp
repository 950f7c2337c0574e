#include "jobs/ProductRefresh.h"

#include "appserver/ServerError.h"
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

// Upload mapping: machine field to field of CDS_GSTSKER_KH.
constexpr const char* kUploadFrom[] = {"xyz", "NAME", "UNIT", "PRICE", "TYPE"};
constexpr const char* kUploadTo[] = {"XYZ", "NAME", "UNIT", "PRICE", "TYPE"};

void Upload(xbase::XBaseDataSet& table, appserver::ClientDataSet& upload) {
    if (table.RecordCount() <= 0) return;
    std::vector<data::Field*> from;
    std::vector<data::Field*> to;
    for (const char* name : kUploadFrom) from.push_back(&table.FieldByName(name));
    for (const char* name : kUploadTo) to.push_back(&upload.FieldByName(name));
    table.First();
    while (!table.Eof()) {
        upload.Insert();
        try {
            for (std::size_t i = 0; i < from.size(); ++i) to[i]->SetAsString(from[i]->AsString());
            upload.Post();
        } catch (...) {
            upload.Cancel();
            throw;
        }
        table.Next();
    }
}

// Sends the uploaded rows; refused rows stop the job before the machine's table is
// touched.
void ApplyUpload(appserver::ClientDataSet& upload) {
    if (upload.ApplyUpdates(0) == 0) return;
    std::string message = "The server refused the uploaded products";
    for (const std::string& error : upload.ApplyErrors()) message += "\n" + error;
    throw appserver::ServerError(message);
}

}  // namespace

void ProductRefresh(MainContext& m, JobReporter& reporter, const RefreshOptions& options) {
    ProgressScope progress(reporter);

    ExecuteText(m.cds_temp, kTruncateDetail);
    OpenMachineTable(m.HDS_SKSP, kProductTable);
    m.CDS_GSTSKER_KH.Open();  // stays open, with its rows, from an earlier run
    try {
        Upload(m.HDS_SKSP, m.CDS_GSTSKER_KH);
        ApplyUpload(m.CDS_GSTSKER_KH);
    } catch (...) {
        // Rows not sent would otherwise go out again with the next run's upload.
        m.CDS_GSTSKER_KH.Close();
        throw;
    }

    m.CDS_SPSQ.Close();
    m.CDS_SPSQ.Open();

    std::vector<TableRefill> refills(1);
    refills[0] = {
        &m.HDS_SKSP,
        kProductTable,
        "products",
        {"xyz", "name", "unit", "type", "PRICE"},
        "xyz",
        NewRecord::Append,
        FetchText(m.cds_temp, kPriceQuery, {"spdm00", "spmc00", "jydw00", "spgg00", "PRICE"})};
    ReplaceTables(refills, options, reporter);

    ResultView view{kProductHeading, ProductResultColumns(), &m.CDS_SPSQ};
    progress.Stop(true);
    reporter.ShowResult(view);
}

}  // namespace jobs
