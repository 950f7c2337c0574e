#include "jobs/MainContext.h"

#include "jobs/JobReporter.h"
#include "jobs/MachineTables.h"
#include "jobs/ServerConnection.h"

namespace jobs {

MainContext::MainContext() {
    BindClientDataSet(cds_temp, DCOMConnection1, "cds_temp", "dsp_temp");
    BindClientDataSet(CDS_GSTSKER_KH, DCOMConnection1, "CDS_GSTSKER_KH", "dsp_gstsker_kh");
    BindClientDataSet(CDS_KHSQ, DCOMConnection1, "CDS_KHSQ", "DSP_QZKHSQ");
    BindClientDataSet(CDS_SPSQ, DCOMConnection1, "CDS_SPSQ", "DSP_GSTSKER_SPSQ");
    ConfigureMachineTable(HDS_SKKH, "HDS_SKKH");
    ConfigureMachineTable(HDS_BANK, "HDS_BANK");
    ConfigureMachineTable(HDS_SKSP, "HDS_SKSP");
}

// The datasets close before the connection they use goes away (members are destroyed
// in reverse order, the connection last).
MainContext::~MainContext() = default;

bool MainContext::FormShow(JobReporter& reporter) {
    return ConnectOnShow(DCOMConnection1, reporter);
}

}  // namespace jobs
