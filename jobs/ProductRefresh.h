// The product refresh: uploads the machine's product table through dsp_gstsker_kh, then
// replaces it with the sales system's cigarette list at each product's current price,
// and shows what DSP_GSTSKER_SPSQ reports under "刷新的商品". Errors leave as
// exceptions; the machine's table is replaced as TableRefill.h describes (nothing
// changes unless every check and record lock succeeds).
#pragma once

#include "jobs/RefreshOptions.h"

namespace jobs {

class JobReporter;
class MainContext;

void ProductRefresh(MainContext& main, JobReporter& reporter, const RefreshOptions& options = {});

}  // namespace jobs
