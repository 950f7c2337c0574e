// The customer refresh: uploads the machine's customer and bank tables to the server's
// ke_hu and BANK, then replaces them with the sales system's customers (those with a tax
// registration number) and their bank accounts, and shows what DSP_QZKHSQ reports under
// "刷新的客户". Errors leave as exceptions; the machine's tables are replaced as
// TableRefill.h describes (nothing changes unless every check and record lock succeeds).
#pragma once

#include "jobs/RefreshOptions.h"

namespace jobs {

class JobReporter;
class MainContext;

void CustomerRefresh(MainContext& main, JobReporter& reporter, const RefreshOptions& options = {});

}  // namespace jobs
