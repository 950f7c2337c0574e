// The invoice read-in: copies the machine's invoices of one day, and every invoice line,
// into the server's fa_piao and faadd inside one server transaction, then trims the
// lines to those invoices.
//
// The caller (the date window) creates its check window first and shows it after this
// returns normally. Errors before the transaction (a missing table, a failed truncate)
// leave as exceptions and the check window is not shown. An error inside the transaction
// rolls it back, releases the invoice record lock it held, and is reported through
// JobReporter::Error before the function returns; the outcome carries it too. A failing
// rollback leaves as an exception (after the copy's own error has been reported).
#pragma once

#include <string>

#include "platform/DateText.h"

namespace jobs {

class DateContext;
class JobReporter;

struct ReadInOutcome {
    bool committed = false;
    int invoices = 0;   // invoice statements sent
    int lines = 0;      // line statements sent
    std::string error;  // the copy's error when it was rolled back
};

// `date` is the picker's date; it is written in the short date format into ReadInDate
// and compared byte for byte with each invoice's fp_date text.
ReadInOutcome InvoiceReadIn(DateContext& window, const platform::CivilDate& date,
                            JobReporter& reporter);

}  // namespace jobs
