#include "jobs/InvoiceReadIn.h"

#include <array>
#include <exception>

#include "jobs/DateContext.h"
#include "jobs/JobReporter.h"
#include "jobs/MachineTables.h"
#include "jobs/ReadInDate.h"
#include "jobs/ServerConnection.h"
#include "jobs/Statements.h"
#include "platform/FormatSettings.h"

namespace jobs {

namespace {

template <std::size_t N>
std::array<data::Field*, N> FieldsOf(xbase::XBaseDataSet& table,
                                     const std::array<const char*, N>& names) {
    std::array<data::Field*, N> fields{};
    for (std::size_t i = 0; i < N; ++i) fields[i] = &table.FieldByName(names[i]);
    return fields;
}

template <std::size_t N>
void ReadTexts(const std::array<data::Field*, N>& fields, std::array<std::string, N>& values) {
    for (std::size_t i = 0; i < N; ++i) values[i] = fields[i]->AsString();
}

// Steps inside the server transaction: the day's invoices, every line, the orphan-line
// deletion, the commit.
void CopyInTransaction(DateContext& w, const std::string& day, ReadInOutcome& outcome) {
    w.DCOMConnection1.AppServerCall(kTranStart);

    data::Field& fpDate = w.hds_sk.FieldByName("fp_date");
    const auto invoiceFields = FieldsOf(w.hds_sk, kInvoiceFields);
    std::array<std::string, kInvoiceFieldCount> invoice;
    while (!w.hds_sk.Eof()) {
        // Only the chosen day's invoices are locked: an invoice of another day open in the
        // machine's program does not stop the read-in. The lock rereads the record, so the
        // date is compared again on what the file holds now.
        if (fpDate.AsString() == day) {
            w.hds_sk.Edit();
            if (fpDate.AsString() == day) {
                ReadTexts(invoiceFields, invoice);
                ExecuteText(w.cds_temp, InvoiceInsert(invoice));
                ++outcome.invoices;
            }
            w.hds_sk.Cancel();
        }
        w.hds_sk.Next();
    }

    const auto lineFields = FieldsOf(w.hds_add, kLineFields);
    std::array<std::string, kLineFieldCount> line;
    while (!w.hds_add.Eof()) {
        ReadTexts(lineFields, line);
        ExecuteText(w.cds_temp, LineInsert(line));
        ++outcome.lines;
        w.hds_add.Next();
    }

    ExecuteText(w.cds_temp, kDeleteOrphanLines);
    w.DCOMConnection1.AppServerCall(kCommit);
}

}  // namespace

ReadInOutcome InvoiceReadIn(DateContext& w, const platform::CivilDate& date,
                            JobReporter& reporter) {
    const platform::FormatSettings& settings = platform::ProcessFormatSettings();
    const std::string day =
        platform::FormatDate(settings.shortDateFormat, date, settings.dateSeparator);
    ReadInDate() = day;

    OpenMachineTable(w.hds_sk, kInvoiceTable);
    OpenMachineTable(w.hds_add, kInvoiceLineTable);
    ExecuteText(w.cds_temp, kTruncateFaPiao);
    ExecuteText(w.cds_temp, kTruncateFaAdd);
    if (w.hds_sk.RecordCount() > 0) w.hds_sk.First();

    ReadInOutcome outcome;
    try {
        CopyInTransaction(w, day, outcome);
        outcome.committed = true;
        return outcome;
    } catch (const std::exception& e) {
        outcome.error = e.what();
    }
    // The invoice being looked at keeps no lock once the copy has ended.
    if (w.hds_sk.Active()) w.hds_sk.Cancel();
    try {
        w.DCOMConnection1.AppServerCall(kRollback);
    } catch (...) {
        reporter.Error(outcome.error);
        throw;
    }
    reporter.Error(outcome.error);
    return outcome;
}

}  // namespace jobs
