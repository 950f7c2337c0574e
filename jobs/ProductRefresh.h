// The product refresh: uploads the machine's product table through dsp_gstsker_kh, then
// replaces it with the sales system's cigarette list at each product's current price,
// and shows what DSP_GSTSKER_SPSQ reports under "刷新的商品". Errors leave as
// exceptions; the machine's table is touched only once every new record has been built.
#pragma once

namespace jobs {

class JobReporter;
class MainContext;

void ProductRefresh(MainContext& main, JobReporter& reporter);

}  // namespace jobs
