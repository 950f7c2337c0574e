#include "ui/DataSetModel.h"

#include "data/DataSet.h"
#include "data/Field.h"

namespace ui {

DataSetModel::DataSetModel(data::DataSet& dataset, std::vector<jobs::GridColumn> columns,
                           QObject* parent)
    : QAbstractTableModel(parent),
      dataset_(dataset),
      columns_(std::move(columns)),
      numeric_(columns_.size(), false) {}

void DataSetModel::Reload() {
    beginResetModel();
    rows_.clear();
    struct Cleared {
        DataSetModel* model;
        ~Cleared() { model->endResetModel(); }
    } done{this};
    if (!dataset_.Active()) return;
    std::vector<data::Field*> fields;
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        data::Field* field = dataset_.FindField(columns_[c].field);
        fields.push_back(field);
        const data::FieldType type = field ? field->DataType() : data::ftUnknown;
        numeric_[c] = type == data::ftSmallint || type == data::ftInteger || type == data::ftFloat;
    }
    std::vector<QStringList> rows;
    dataset_.First();
    while (!dataset_.Eof()) {
        QStringList row;
        for (data::Field* field : fields) {
            row << (field ? QString::fromStdString(field->DisplayText()) : QString());
        }
        rows.push_back(std::move(row));
        dataset_.Next();
    }
    dataset_.First();
    rows_ = std::move(rows);
}

void DataSetModel::MoveDataSetTo(int row) {
    if (!dataset_.Active()) return;
    dataset_.First();
    if (row > 0) dataset_.MoveBy(row);
}

QString DataSetModel::Text(int row, int column) const {
    if (row < 0 || row >= static_cast<int>(rows_.size())) return {};
    return rows_[row].value(column);
}

int DataSetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int DataSetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant DataSetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == Qt::DisplayRole) return Text(index.row(), index.column());
    if (role == Qt::TextAlignmentRole) {
        const bool right = numeric_[static_cast<std::size_t>(index.column())];
        return QVariant::fromValue(Qt::AlignVCenter | (right ? Qt::AlignRight : Qt::AlignLeft));
    }
    return {};
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 ||
        section >= static_cast<int>(columns_.size())) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return QString::fromStdString(columns_[static_cast<std::size_t>(section)].caption);
    }
    return {};
}

}  // namespace ui
