#include "jobs/GridText.h"

#include "data/DataSet.h"

namespace jobs {

GridRows ReadGrid(data::DataSet& dataset, const std::vector<GridColumn>& columns) {
    GridRows rows;
    if (!dataset.Active()) return rows;
    std::vector<data::Field*> fields;
    for (const GridColumn& column : columns) fields.push_back(&dataset.FieldByName(column.field));
    dataset.First();
    while (!dataset.Eof()) {
        std::vector<std::string> row;
        for (data::Field* field : fields) row.push_back(field->AsString());
        rows.push_back(std::move(row));
        dataset.Next();
    }
    dataset.First();
    return rows;
}

}  // namespace jobs
