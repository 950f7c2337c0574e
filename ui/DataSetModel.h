// A table model over a dataset for the windows' grids: the columns (field, caption,
// width) a grid declares and the display texts of the dataset's rows, read from its
// first row to its end on Reload. A column whose field the dataset lacks stays empty.
#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

#include "jobs/ResultView.h"

namespace data {
class DataSet;
}

namespace ui {

class DataSetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    DataSetModel(data::DataSet& dataset, std::vector<jobs::GridColumn> columns,
                 QObject* parent = nullptr);

    data::DataSet& DataSet() const { return dataset_; }
    const std::vector<jobs::GridColumn>& Columns() const { return columns_; }

    // Reads every row again (none while the dataset is closed) and leaves the dataset on
    // its first row. Dataset errors leave as exceptions; the model is then empty.
    void Reload();
    // Makes a row of the last reload the dataset's current record.
    void MoveDataSetTo(int row);
    // The text of a cell of the last reload.
    QString Text(int row, int column) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    data::DataSet& dataset_;
    std::vector<jobs::GridColumn> columns_;
    std::vector<QStringList> rows_;
    std::vector<bool> numeric_;  // per column: right-aligned
};

}  // namespace ui
