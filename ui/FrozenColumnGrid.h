// A data grid with two bands: the columns of band 0 stay fixed at the left edge while
// those of band 1 scroll sideways under them. The fixed band is a second view over the
// same model and selection, laid over the grid's left edge, sharing its vertical scroll,
// with a one-pixel line between the bands.
#pragma once

#include "ui/DataGrid.h"

namespace ui {

class FrozenColumnGrid : public DataGrid {
    Q_OBJECT
public:
    FrozenColumnGrid(QWidget* parent, const char* name, const QRect& geometry);

    void SetDataModel(DataSetModel* model) override;
    // The view showing the fixed band.
    QTableView* FixedBand() const { return fixed_; }
    int FixedColumnCount() const { return fixedColumns_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

private:
    void UpdateFixedGeometry();
    int FixedWidth() const;

    QTableView* fixed_;
    int fixedColumns_ = 0;
};

}  // namespace ui
