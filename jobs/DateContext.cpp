#include "jobs/DateContext.h"

#include "jobs/JobReporter.h"
#include "jobs/MachineTables.h"
#include "jobs/ServerConnection.h"
#include "platform/FormatSettings.h"

namespace jobs {

DateContext::DateContext() {
    BindClientDataSet(cds_temp, DCOMConnection1, "cds_temp", "dsp_temp");
    ConfigureMachineTable(hds_sk, "hds_sk");
    ConfigureMachineTable(hds_add, "hds_add");
}

DateContext::~DateContext() = default;

bool DateContext::FormShow(JobReporter& reporter) {
    const bool connected = ConnectOnShow(DCOMConnection1, reporter);
    platform::ProcessFormatSettings().shortDateFormat = "yyyy-mm-dd";
    return connected;
}

}  // namespace jobs
