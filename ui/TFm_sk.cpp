#include "ui/TFm_sk.h"

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include "jobs/CustomerRefresh.h"
#include "jobs/HostParameters.h"
#include "jobs/ProductRefresh.h"
#include "jobs/ReportedRun.h"
#include "ui/MemoTexts.h"
#include "ui/ModalRun.h"
#include "ui/TFM_KHSQ.h"
#include "ui/Tfm_time.h"
#include "ui/UiLook.h"
#include "ui/synthread1.h"

namespace ui {

TFm_sk* Fm_sk = nullptr;

TFm_sk::TFm_sk(QWidget* parent)
    : Form(parent, "Fm_sk", QStringLiteral("税控读入"), QSize(474, 361), 12) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

    btn_khsx = MakeFlatButton(this, "btn_khsx", QStringLiteral("客户刷新"), QRect(16, 24, 129, 33));
    FlatButton2 =
        MakeFlatButton(this, "FlatButton2", QStringLiteral("发票读入"), QRect(168, 24, 121, 33));
    FlatButton1 =
        MakeFlatButton(this, "FlatButton1", QStringLiteral("商品刷新"), QRect(312, 24, 121, 33));
    FlatMemo1 =
        MakePanelMemo(this, "Panel1", "FlatMemo1", QRect(16, 72, 129, 185), CustomerRefreshText());
    FlatMemo2 =
        MakePanelMemo(this, "Panel2", "FlatMemo2", QRect(170, 72, 121, 185), InvoiceReadInText());
    FlatMemo3 =
        MakePanelMemo(this, "Panel3", "FlatMemo3", QRect(312, 72, 123, 185), ProductRefreshText());

    FlatButton3 =
        MakeFlatButton(this, "FlatButton3", QStringLiteral("退出"), QRect(336, 288, 97, 33));
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(16, 264, 420, 17);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->hide();

    setTabOrder(btn_khsx, FlatButton2);
    setTabOrder(FlatButton2, FlatButton1);
    setTabOrder(FlatButton1, FlatMemo1->parentWidget());
    setTabOrder(FlatMemo1->parentWidget(), FlatMemo2->parentWidget());
    setTabOrder(FlatMemo2->parentWidget(), FlatMemo3->parentWidget());
    setTabOrder(FlatMemo3->parentWidget(), FlatButton3);
    // The bar, created last, ends the tab order.

    connect(btn_khsx, &QPushButton::clicked, this, &TFm_sk::btn_khsxClick);
    connect(FlatButton1, &QPushButton::clicked, this, &TFm_sk::FlatButton1Click);
    connect(FlatButton2, &QPushButton::clicked, this, &TFm_sk::FlatButton2Click);
    connect(FlatButton3, &QPushButton::clicked, this, &TFm_sk::FlatButton3Click);

    // What the host handed over, readable by a host that looks at the window.
    const jobs::HostParameters& host = jobs::hostParameters();
    setProperty("Param1", QString::fromStdString(host.Param1));
    setProperty("Param2", QString::fromStdString(host.Param2));
    setProperty("Param3", QString::fromStdString(host.Param3));
    setProperty("Param4", QString::fromStdString(host.Param4));
    setProperty("ServerComputerName", QString::fromStdString(host.ServerComputerName));
    Fm_sk = this;
}

TFm_sk::~TFm_sk() {
    StopTicker();
    if (Fm_sk == this) Fm_sk = nullptr;
}

void TFm_sk::FormShow() { setProperty("Connected", context_.FormShow(reporter_)); }

void TFm_sk::closeEvent(QCloseEvent* event) {
    StopTicker();
    Form::closeEvent(event);
}

void TFm_sk::RunRefresh(void (*job)(jobs::MainContext&, jobs::JobReporter&,
                                    const jobs::RefreshOptions&)) {
    // A job that fails part-way stops its ticker here too: no ticker outlives its job.
    if (!jobs::RunReported(reporter_, [&] { job(context_, reporter_, {}); })) StopTicker();
}

void TFm_sk::btn_khsxClick() { RunRefresh(&jobs::CustomerRefresh); }

void TFm_sk::FlatButton1Click() { RunRefresh(&jobs::ProductRefresh); }

void TFm_sk::FlatButton2Click() {
    // A new date window for every click, released (with its check windows, tables and
    // connection) once it has closed.
    std::unique_ptr<Tfm_time> window = std::make_unique<Tfm_time>(this);
    ExecModal(*window);
}

void TFm_sk::FlatButton3Click() { close(); }

void TFm_sk::StartTicker() {
    StopTicker();
    ticker_ = std::make_unique<synthread1>(ProgressBar1);
    ++tickersStarted_;
}

void TFm_sk::StopTicker() {
    if (!ticker_) return;
    ticker_->Join();
    ticker_.reset();
}

void TFm_sk::MainReporter::ProgressStart() {
    main_->StartTicker();
    main_->ProgressBar1->show();
    Q_EMIT main_->ProgressStarted();
}

void TFm_sk::MainReporter::ProgressStop(bool hideBar) {
    main_->StopTicker();
    if (hideBar) main_->ProgressBar1->hide();
}

void TFm_sk::MainReporter::ShowResult(const jobs::ResultView& view) {
    // A new result window for every run, owned by the main window and released once
    // it has closed.
    std::unique_ptr<TFM_KHSQ> result = std::make_unique<TFM_KHSQ>(main_->context_, main_);
    result->Prepare(view);
    ExecModal(*result);
}

}  // namespace ui
