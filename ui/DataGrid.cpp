#include "ui/DataGrid.h"

#include <QHeaderView>

#include "ui/DataSetModel.h"
#include "ui/UiLook.h"

namespace ui {

DataGrid::DataGrid(QWidget* parent, const char* name, const QRect& geometry) : QTableView(parent) {
    setObjectName(QString::fromLatin1(name));
    setGeometry(geometry);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setVisible(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setStyleSheet(
        QStringLiteral("QHeaderView::section { background-color: %1; border: 0px; "
                       "border-right: 1px solid gray; border-bottom: 1px solid gray; "
                       "padding-left: 2px; }")
            .arg(FormColor().name()));
}

void DataGrid::SetDataModel(DataSetModel* model) {
    model_ = model;
    setModel(model);
    const auto& columns = model->Columns();
    for (std::size_t c = 0; c < columns.size(); ++c) {
        setColumnWidth(static_cast<int>(c), columns[c].width);
    }
}

}  // namespace ui
