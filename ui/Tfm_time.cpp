#include "ui/Tfm_time.h"

#include <QDateEdit>
#include <QLabel>
#include <QPushButton>

#include "jobs/InvoiceReadIn.h"
#include "jobs/ReportedRun.h"
#include "platform/Clock.h"
#include "ui/ModalRun.h"
#include "ui/Tfm_savedata.h"
#include "ui/UiLook.h"

namespace ui {

Tfm_time* fm_time = nullptr;

Tfm_time::Tfm_time(QWidget* parent)
    : Form(parent, "fm_time", QStringLiteral("输入时间"), QSize(256, 156), 15) {
    Label1 = new QLabel(QStringLiteral("输入要读入的日期"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(32, 8, 145, 13);

    DateTimePicker1 = new QDateEdit(this);
    DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
    DateTimePicker1->setGeometry(32, 32, 161, 23);
    DateTimePicker1->setCalendarPopup(true);
    DateTimePicker1->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));

    FlatButton1 =
        MakeFlatButton(this, "FlatButton1", QStringLiteral("确定"), QRect(32, 80, 73, 25));
    FlatButton2 =
        MakeFlatButton(this, "FlatButton2", QStringLiteral("取消"), QRect(120, 80, 73, 25));
    connect(FlatButton1, &QPushButton::clicked, this, &Tfm_time::FlatButton1Click);
    connect(FlatButton2, &QPushButton::clicked, this, &Tfm_time::FlatButton2Click);
    setTabOrder(DateTimePicker1, FlatButton1);
    setTabOrder(FlatButton1, FlatButton2);
    fm_time = this;
}

Tfm_time::~Tfm_time() {
    if (fm_time == this) fm_time = nullptr;
}

void Tfm_time::FormShow() {
    setProperty("Connected", context_.FormShow(reporter_));
    const platform::LocalTime now = platform::LocalNow();
    DateTimePicker1->setDate(QDate(now.year, now.month, now.day));
}

void Tfm_time::FlatButton1Click() {
    const QDate picked = DateTimePicker1->date();
    const platform::CivilDate day{picked.year(), picked.month(), picked.day()};
    // Created before the copy and owned by this window; shown only when the copy has
    // run to its end (committed or rolled back).
    check_ = new Tfm_savedata(this);
    if (!jobs::RunReported(reporter_, [&] { jobs::InvoiceReadIn(context_, day, reporter_); })) {
        return;
    }
    // The date window stays up behind the check window and closes once it has closed.
    ExecModal(*check_);
    accept();
}

void Tfm_time::FlatButton2Click() { reject(); }

}  // namespace ui
