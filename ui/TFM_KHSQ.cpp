#include "ui/TFM_KHSQ.h"

#include <QLabel>
#include <QPushButton>

#include "jobs/GridColumns.h"
#include "jobs/MainContext.h"
#include "ui/DataGrid.h"
#include "ui/DataSetModel.h"
#include "ui/UiLook.h"

namespace ui {

TFM_KHSQ* FM_KHSQ = nullptr;

TFM_KHSQ::TFM_KHSQ(jobs::MainContext& main, QWidget* owner)
    : Form(owner, "FM_KHSQ", QStringLiteral("详细信息"), QSize(680, 554), 12) {
    Label1 = new QLabel(QStringLiteral("Label1"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(32, 16);
    Label1->adjustSize();

    DS_KHSQ = new DataSetModel(main.CDS_KHSQ, jobs::CustomerResultColumns(), this);
    DS_SPSQ = new DataSetModel(main.CDS_SPSQ, jobs::ProductResultColumns(), this);
    DBGrid1 = new DataGrid(this, "DBGrid1", QRect(48, 48, 569, 393));
    DBGrid1->SetDataModel(DS_KHSQ);
    DBGrid2 = new DataGrid(this, "DBGrid2", QRect(48, 48, 561, 393));
    DBGrid2->SetDataModel(DS_SPSQ);

    FlatButton1 = MakeFlatButton(this, "FlatButton1", QStringLiteral("确              定"),
                                 QRect(264, 456, 145, 33));
    connect(FlatButton1, &QPushButton::clicked, this, &TFM_KHSQ::FlatButton1Click);
    setTabOrder(DBGrid1, DBGrid2);
    setTabOrder(DBGrid2, FlatButton1);
    FM_KHSQ = this;
}

TFM_KHSQ::~TFM_KHSQ() {
    if (FM_KHSQ == this) FM_KHSQ = nullptr;
}

void TFM_KHSQ::Prepare(const jobs::ResultView& view) {
    Label1->setText(QString::fromStdString(view.heading));
    Label1->adjustSize();
    const bool customers = view.dataset == &DS_KHSQ->DataSet();
    DBGrid1->setVisible(customers);
    DBGrid2->setVisible(!customers);
    (customers ? DS_KHSQ : DS_SPSQ)->Reload();
}

void TFM_KHSQ::FlatButton1Click() { close(); }

}  // namespace ui
