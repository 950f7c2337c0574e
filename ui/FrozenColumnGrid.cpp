#include "ui/FrozenColumnGrid.h"

#include <QHeaderView>
#include <QScrollBar>

#include "ui/DataSetModel.h"
#include "ui/UiLook.h"

namespace ui {

FrozenColumnGrid::FrozenColumnGrid(QWidget* parent, const char* name, const QRect& geometry)
    : DataGrid(parent, name, geometry), fixed_(new QTableView(this)) {
    fixed_->setObjectName(objectName() + QStringLiteral("_band0"));
    fixed_->setFocusPolicy(Qt::NoFocus);
    fixed_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    fixed_->setWordWrap(false);
    fixed_->verticalHeader()->setVisible(false);
    fixed_->verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
    fixed_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    fixed_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    fixed_->horizontalHeader()->setHighlightSections(false);
    fixed_->horizontalHeader()->setDefaultAlignment(horizontalHeader()->defaultAlignment());
    fixed_->horizontalHeader()->setStyleSheet(horizontalHeader()->styleSheet());
    fixed_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    fixed_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    fixed_->setVerticalScrollMode(verticalScrollMode());
    fixed_->setStyleSheet(QStringLiteral("QTableView { border: none; border-right: 1px solid %1; }")
                              .arg(BandLineColor().name()));
    viewport()->stackUnder(fixed_);
    fixed_->hide();

    connect(fixed_->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(verticalScrollBar(), &QAbstractSlider::valueChanged, fixed_->verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int section, int, int size) {
                if (section < fixedColumns_) {
                    fixed_->setColumnWidth(section, size);
                    UpdateFixedGeometry();
                }
            });
}

void FrozenColumnGrid::SetDataModel(DataSetModel* model) {
    DataGrid::SetDataModel(model);
    fixed_->setModel(model);
    fixed_->setSelectionModel(selectionModel());
    const auto& columns = model->Columns();
    fixedColumns_ = 0;
    while (fixedColumns_ < static_cast<int>(columns.size()) &&
           columns[static_cast<std::size_t>(fixedColumns_)].band == 0) {
        ++fixedColumns_;
    }
    for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
        fixed_->setColumnHidden(c, c >= fixedColumns_);
        fixed_->setColumnWidth(c, columns[static_cast<std::size_t>(c)].width);
    }
    fixed_->setVisible(fixedColumns_ > 0);
    UpdateFixedGeometry();
}

int FrozenColumnGrid::FixedWidth() const {
    int width = 0;
    for (int c = 0; c < fixedColumns_; ++c) width += columnWidth(c);
    return width;
}

void FrozenColumnGrid::UpdateFixedGeometry() {
    fixed_->setGeometry(frameWidth(), frameWidth(), FixedWidth() + 1,
                        viewport()->height() + horizontalHeader()->height());
}

void FrozenColumnGrid::resizeEvent(QResizeEvent* event) {
    DataGrid::resizeEvent(event);
    UpdateFixedGeometry();
}

// Keyboard moves into the fixed band scroll the other columns back into view.
QModelIndex FrozenColumnGrid::moveCursor(CursorAction cursorAction,
                                         Qt::KeyboardModifiers modifiers) {
    QModelIndex current = DataGrid::moveCursor(cursorAction, modifiers);
    if (cursorAction == MoveLeft && current.column() >= fixedColumns_ &&
        visualRect(current).topLeft().x() < FixedWidth()) {
        const int newValue =
            horizontalScrollBar()->value() + visualRect(current).topLeft().x() - FixedWidth();
        horizontalScrollBar()->setValue(newValue);
    }
    return current;
}

void FrozenColumnGrid::scrollTo(const QModelIndex& index, ScrollHint hint) {
    if (index.column() >= fixedColumns_) DataGrid::scrollTo(index, hint);
}

}  // namespace ui
