// What the main window owns for the refresh jobs: its server connection, the client
// datasets bound to it and the machine's customer, bank and product tables. A window
// (or the command-line tool) keeps one for as long as it lives; the result views of the
// refresh jobs show its CDS_KHSQ and CDS_SPSQ.
#pragma once

#include "appserver/ClientDataSet.h"
#include "appserver/DCOMConnection.h"
#include "xbase/dataset/XBaseDataSet.h"

namespace jobs {

class JobReporter;

class MainContext {
public:
    MainContext();
    ~MainContext();
    MainContext(const MainContext&) = delete;
    MainContext& operator=(const MainContext&) = delete;

    // The window's show step: the connection step; a failure is reported and the window
    // stays unconnected (the next provider call connects again). False on failure.
    bool FormShow(JobReporter& reporter);

    appserver::DCOMConnection DCOMConnection1;
    appserver::ClientDataSet cds_temp;        // "dsp_temp"
    appserver::ClientDataSet CDS_GSTSKER_KH;  // "dsp_gstsker_kh"
    appserver::ClientDataSet CDS_KHSQ;        // "DSP_QZKHSQ"
    appserver::ClientDataSet CDS_SPSQ;        // "DSP_GSTSKER_SPSQ"
    xbase::XBaseDataSet HDS_SKKH;             // ke_hu.dbf
    xbase::XBaseDataSet HDS_BANK;             // BANK.dbf
    xbase::XBaseDataSet HDS_SKSP;             // detail.dbf
};

}  // namespace jobs
