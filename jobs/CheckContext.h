// What the invoice check window owns: its own server connection and client datasets.
// On activation it trims the server's copy to the read-in day and to invoices the sales
// system does not hold yet, pairs them with their orders and lists them; a click on an
// invoice lists its lines beside the sales order's. The window's grids show
// cds_gstsker_dhao (InvoiceListColumns) and CDS_GSVSKER_SLBJ (InvoiceLineColumns).
#pragma once

#include "appserver/ClientDataSet.h"
#include "appserver/DCOMConnection.h"

namespace jobs {

class JobReporter;

inline constexpr const char* kNoInvoicesText = "无单据可读入！";
inline constexpr const char* kNoInvoicesCaption = "提示";

class CheckContext {
public:
    CheckContext();
    ~CheckContext();
    CheckContext(const CheckContext&) = delete;
    CheckContext& operator=(const CheckContext&) = delete;

    // The show step: the connection step; a failure is reported and the window stays
    // unconnected (the first provider call connects again). False on failure.
    bool FormShow(JobReporter& reporter);
    // Activation: trims the server's copy, runs dsP_strorokqz, reopens the invoice list
    // and, when it has rows, CDS_KCJG; otherwise tells "无单据可读入！". Errors leave as
    // exceptions.
    void FormActivate(JobReporter& reporter);
    // A click on the invoice list: the current invoice's lines (nothing when the list is
    // empty). Errors leave as exceptions.
    void InvoiceClick();

    appserver::DCOMConnection DCOMConnection1;
    appserver::ClientDataSet cds_temp;          // "dsp_temp"
    appserver::ClientDataSet cds_storeok;       // "dsP_strorokqz"
    appserver::ClientDataSet cds_gstsker_dhao;  // "DSP_GSVSKER_DHAO"
    appserver::ClientDataSet CDS_GSVSKER_SLBJ;  // "DSP_GSVSKER_SLBJ", 16 parameters
    appserver::ClientDataSet CDS_KCJG;          // "DSP_QZCKKCJG"
};

}  // namespace jobs
