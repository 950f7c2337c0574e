// What a job asks its window to show: a heading and the columns of a grid over one of the
// owning context's datasets. Windows bind their grids to the dataset; the command-line
// tool prints the same columns as a table.
#pragma once

#include <string>
#include <vector>

namespace data {
class DataSet;
}

namespace jobs {

struct GridColumn {
    std::string field;    // field of the dataset, found without regard to case
    std::string caption;  // column header
    int width = 0;        // pixels
    int band = 0;         // 0: fixed at the left edge where the grid has a second band
};

struct ResultView {
    std::string heading;
    std::vector<GridColumn> columns;
    data::DataSet* dataset = nullptr;  // owned by the job's context
};

}  // namespace jobs
