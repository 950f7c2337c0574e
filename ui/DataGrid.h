// A data grid over a DataSetModel: one header row in the form colour, the columns'
// captions and pixel widths, rows as tall as the window font needs, read-only.
#pragma once

#include <QTableView>

namespace ui {

class DataSetModel;

class DataGrid : public QTableView {
    Q_OBJECT
public:
    DataGrid(QWidget* parent, const char* name, const QRect& geometry);

    // Shows a model (the grid does not take ownership) with its columns' widths.
    virtual void SetDataModel(DataSetModel* model);
    DataSetModel* DataModel() const { return model_; }

protected:
    DataSetModel* model_ = nullptr;
};

}  // namespace ui
