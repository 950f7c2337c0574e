#include "ui/Tfm_savedata.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "jobs/GridColumns.h"
#include "jobs/ReportedRun.h"
#include "ui/DataGrid.h"
#include "ui/DataSetModel.h"
#include "ui/FrozenColumnGrid.h"
#include "ui/UiLook.h"

namespace ui {

Tfm_savedata* fm_savedata = nullptr;

Tfm_savedata::Tfm_savedata(QWidget* owner)
    : Form(owner, "fm_savedata", QStringLiteral("核对正确数据"), QSize(801, 556), 12) {
    setWindowState(Qt::WindowMaximized);

    pn_gl = new QFrame(this);
    pn_gl->setObjectName(QStringLiteral("pn_gl"));
    pn_gl->setFrameShape(QFrame::NoFrame);
    pn_gl->setFixedHeight(49);
    auto* caption = new QLabel(QStringLiteral("税控管理"), pn_gl);
    caption->setObjectName(QStringLiteral("pn_gl_caption"));
    caption->setFont(LiShu(24, true));
    caption->setStyleSheet(QStringLiteral("color: navy;"));
    caption->setAlignment(Qt::AlignCenter);
    auto* layout = new QHBoxLayout(pn_gl);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(caption);
    Lb_status = new QLabel(QString(), pn_gl);
    Lb_status->setObjectName(QStringLiteral("Lb_status"));
    Lb_status->setFont(SongTi(13));
    Lb_status->setStyleSheet(QStringLiteral("color: black;"));
    Lb_status->move(615, 9);

    DS_GSVSKER_DHAO = new DataSetModel(context_.cds_gstsker_dhao, jobs::InvoiceListColumns(), this);
    DS_GSVSKER_SLBJ = new DataSetModel(context_.CDS_GSVSKER_SLBJ, jobs::InvoiceLineColumns(), this);
    DBGrid1 = new DataGrid(this, "DBGrid1", QRect(8, 64, 345, 369));
    DBGrid1->SetDataModel(DS_GSVSKER_DHAO);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid2 = new FrozenColumnGrid(this, "DBGrid2", QRect(360, 64, 401, 369));
    DBGrid2->SetDataModel(DS_GSVSKER_SLBJ);

    btn_ok = MakeFlatButton(this, "btn_ok", QStringLiteral("确     定"), QRect(296, 456, 97, 25));
    connect(DBGrid1, &QAbstractItemView::clicked, this, &Tfm_savedata::DBGrid1Click);
    connect(btn_ok, &QPushButton::clicked, this, &Tfm_savedata::btn_okClick);
    setTabOrder(DBGrid1, DBGrid2);
    setTabOrder(DBGrid2, btn_ok);
    fm_savedata = this;
}

Tfm_savedata::~Tfm_savedata() {
    if (fm_savedata == this) fm_savedata = nullptr;
}

void Tfm_savedata::resizeEvent(QResizeEvent* event) {
    Form::resizeEvent(event);
    pn_gl->setGeometry(0, 0, width(), 49);  // aligned to the top edge
}

void Tfm_savedata::FormShow() { setProperty("Connected", context_.FormShow(reporter_)); }

void Tfm_savedata::FormActivate() {
    jobs::RunReported(reporter_, [&] { context_.FormActivate(reporter_); });
    jobs::RunReported(reporter_, [&] { DS_GSVSKER_DHAO->Reload(); });
}

void Tfm_savedata::DBGrid1Click(const QModelIndex& index) {
    jobs::RunReported(reporter_, [&] {
        DS_GSVSKER_DHAO->MoveDataSetTo(index.row());
        context_.InvoiceClick();
        DS_GSVSKER_SLBJ->Reload();
    });
}

void Tfm_savedata::btn_okClick() { close(); }

}  // namespace ui
