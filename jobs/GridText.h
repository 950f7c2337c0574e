// The text a grid shows: every row of a dataset, from the first, read through the grid's
// columns as the fields' display texts. The command-line tool prints it; tests compare it.
#pragma once

#include <string>
#include <vector>

#include "jobs/ResultView.h"

namespace jobs {

using GridRows = std::vector<std::vector<std::string>>;

// Leaves the dataset on its first row. A closed dataset gives no rows.
GridRows ReadGrid(data::DataSet& dataset, const std::vector<GridColumn>& columns);

}  // namespace jobs
