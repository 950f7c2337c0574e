// The columns of the windows' grids: the refresh result window's customer and product
// grids, and the check window's invoice list and line comparison.
#pragma once

#include <vector>

#include "jobs/ResultView.h"

namespace jobs {

inline constexpr const char* kCustomerHeading = "刷新的客户";
inline constexpr const char* kProductHeading = "刷新的商品";

// Over CDS_KHSQ; the middle column is the provider's unaliased expression column.
const std::vector<GridColumn>& CustomerResultColumns();
// Over CDS_SPSQ.
const std::vector<GridColumn>& ProductResultColumns();
// Over cds_gstsker_dhao.
const std::vector<GridColumn>& InvoiceListColumns();
// Over CDS_GSVSKER_SLBJ: band 0 is fixed at the left edge, band 1 scrolls.
const std::vector<GridColumn>& InvoiceLineColumns();

}  // namespace jobs
