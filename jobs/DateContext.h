// What the date-entry window owns for the invoice read-in: its own server connection,
// the client dataset that runs statement text, and the machine's invoice and invoice-line
// tables (they stay open as long as the context lives).
#pragma once

#include "appserver/ClientDataSet.h"
#include "appserver/DCOMConnection.h"
#include "xbase/dataset/XBaseDataSet.h"

namespace jobs {

class JobReporter;

class DateContext {
public:
    DateContext();
    ~DateContext();
    DateContext(const DateContext&) = delete;
    DateContext& operator=(const DateContext&) = delete;

    // The window's show step: the connection step (a failure is reported, the window
    // stays unconnected), then the process-wide short date format becomes "yyyy-mm-dd"
    // for the rest of the process's life. False when the connection failed.
    bool FormShow(JobReporter& reporter);

    appserver::DCOMConnection DCOMConnection1;
    appserver::ClientDataSet cds_temp;  // "dsp_temp"
    xbase::XBaseDataSet hds_sk;         // FA_PIAO.dbf
    xbase::XBaseDataSet hds_add;        // fpadd.dbf
};

}  // namespace jobs
