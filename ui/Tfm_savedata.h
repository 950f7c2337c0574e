// The invoice check window "核对正确数据": on activation it trims the server's copy of
// the read-in invoices and lists them; a click on an invoice lists its lines, the
// machine's prices, quantities and amounts beside the sales order's, in a grid whose
// product name column stays fixed while the figures scroll. It owns its own server
// connection and datasets (jobs::CheckContext).
#pragma once

#include "jobs/CheckContext.h"
#include "ui/Form.h"
#include "ui/WindowReporter.h"

class QFrame;
class QLabel;
class QModelIndex;
class QPushButton;

namespace ui {

class DataGrid;
class DataSetModel;
class FrozenColumnGrid;

class Tfm_savedata : public Form {
    Q_OBJECT
public:
    // Owned by the date window that creates it; opens maximized.
    explicit Tfm_savedata(QWidget* owner);
    ~Tfm_savedata() override;

    jobs::CheckContext& Context() { return context_; }

    QFrame* pn_gl;
    QLabel* Lb_status;
    DataSetModel* DS_GSVSKER_DHAO;
    DataSetModel* DS_GSVSKER_SLBJ;
    DataGrid* DBGrid1;
    FrozenColumnGrid* DBGrid2;
    QPushButton* btn_ok;

public Q_SLOTS:
    // A click on a row of the invoice list.
    void DBGrid1Click(const QModelIndex& index);
    void btn_okClick();

protected:
    void FormShow() override;
    void FormActivate() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    jobs::CheckContext context_;
    WindowReporter reporter_{this};
};

// The check window most recently created, while it exists.
extern Tfm_savedata* fm_savedata;

}  // namespace ui
