// The refresh result window "详细信息": a heading and two grids lying on top of each
// other, customers (over the main window's CDS_KHSQ) and products (over its CDS_SPSQ);
// the refresh job that opens it hides the grid that is not its own.
#pragma once

#include "ui/Form.h"

class QLabel;
class QPushButton;

namespace jobs {
class MainContext;
struct ResultView;
}  // namespace jobs

namespace ui {

class DataGrid;
class DataSetModel;

class TFM_KHSQ : public Form {
    Q_OBJECT
public:
    // Owned by the main window; its grids show the main window's datasets.
    TFM_KHSQ(jobs::MainContext& main, QWidget* owner);
    ~TFM_KHSQ() override;

    // Sets the heading, hides the grid that does not show the view's dataset and reads
    // the rows of the one that does.
    void Prepare(const jobs::ResultView& view);

    QLabel* Label1;
    DataSetModel* DS_KHSQ;
    DataSetModel* DS_SPSQ;
    DataGrid* DBGrid1;  // customers
    DataGrid* DBGrid2;  // products
    QPushButton* FlatButton1;

private Q_SLOTS:
    void FlatButton1Click();
};

// The result window of the refresh job now running, if any.
extern TFM_KHSQ* FM_KHSQ;

}  // namespace ui
