// The invoice read-in windows: the date window, "确定" copying the day and opening the
// check window, an empty day, clicks on the invoice list, and "取消".
#include <QDateEdit>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>
#include <algorithm>
#include <set>

#include "UiTestSupport.h"
#include "appserver/DemoData.h"
#include "jobs/ReadInDate.h"
#include "ui/DataSetModel.h"
#include "ui/FrozenColumnGrid.h"
#include "ui/TFm_sk.h"
#include "ui/Tfm_savedata.h"
#include "ui/Tfm_time.h"

using ui::test::ModalScript;

namespace {

QStringList Column(const ui::DataSetModel& model, int column) {
    QStringList values;
    for (int r = 0; r < model.rowCount(); ++r) values << model.Text(r, column);
    return values;
}

QStringList Rows(const ui::DataSetModel& model) {
    QStringList rows;
    for (int r = 0; r < model.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < model.columnCount(); ++c) cells << model.Text(r, c);
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

void Click(ui::Tfm_savedata& check, int row) {
    check.DBGrid1->selectRow(row);
    check.DBGrid1Click(check.DS_GSVSKER_DHAO->index(row, 0));
}

// Everything the read-in could change: the server's copy and the machine's tables.
struct Snapshot {
    std::vector<std::string> invoices, lines;
    std::vector<std::vector<unsigned char>> tables;
    bool operator==(const Snapshot&) const = default;
};

Snapshot Take(const std::string& taxDir) {
    Snapshot s;
    s.invoices = ui::test::ServerRows("SELECT FP_NO,FP_NO10,FP_DW FROM FA_PIAO ORDER BY FP_NO",
                                      {"FP_NO", "FP_NO10", "FP_DW"});
    s.lines = ui::test::ServerRows("SELECT FP_NO,NAME,MUCH FROM FAADD ORDER BY FP_NO,NAME",
                                   {"FP_NO", "NAME", "MUCH"});
    for (const char* table : {"FA_PIAO.dbf", "fpadd.dbf", "ke_hu.dbf", "BANK.dbf", "detail.dbf"}) {
        s.tables.push_back(ui::test::FileBytes(taxDir + "/" + table));
    }
    return s;
}

}  // namespace

class InvoiceWindowsTest : public QObject {
    Q_OBJECT
private:
    ui::test::DemoEnvironment env_;

private Q_SLOTS:
    void init() { env_.Reset(); }

    void dateWindowShowsTodayAndItsDesign() {
        ModalScript script;
        ui::TFm_sk main;
        ui::Tfm_time window(&main);
        QCOMPARE(window.windowTitle(), QStringLiteral("输入时间"));
        QCOMPARE(window.Label1->text(), QStringLiteral("输入要读入的日期"));
        QCOMPARE(window.Label1->geometry(), QRect(32, 8, 145, 13));
        QCOMPARE(window.DateTimePicker1->geometry(), QRect(32, 32, 161, 23));
        QCOMPARE(window.FlatButton1->text(), QStringLiteral("确定"));
        QCOMPARE(window.FlatButton1->geometry(), QRect(32, 80, 73, 25));
        QCOMPARE(window.FlatButton2->text(), QStringLiteral("取消"));
        QCOMPARE(window.FlatButton2->geometry(), QRect(120, 80, 73, 25));
        QVERIFY(window.DateTimePicker1->calendarPopup());
        QCOMPARE(window.font().pixelSize(), 15);
        window.DateTimePicker1->setDate(QDate(2001, 1, 1));
        ui::test::ShowAsModal(window);
        QVERIFY2(script.failures.isEmpty(), qPrintable(script.failures.join("; ")));
        QCOMPARE(window.property("Connected").toBool(), true);
        QCOMPARE(
            window.DateTimePicker1->date().toString(QStringLiteral("yyyy-MM-dd")).toStdString(),
            ui::test::DayText(0));
        QCOMPARE(window.DateTimePicker1->text().toStdString(), ui::test::DayText(0));
    }

    void confirmCopiesTheDayAndListsItsInvoicesAndLines() {
        ModalScript script;
        ui::TFm_sk main;
        ui::test::ShowAsModal(main);
        QStringList listed, firstLines, secondLines, firstAgain, linesBeforeClick;
        QString invoiceA, invoiceB;
        bool maximized = false;
        script.Expect<ui::Tfm_time>([&](ui::Tfm_time& date) {
            ui::test::ShowAsModal(date);
            date.FlatButton1->click();
        });
        script.Expect<ui::Tfm_savedata>([&](ui::Tfm_savedata& check) {
            ui::test::ShowAsModal(check);
            QCOMPARE(check.windowTitle(), QStringLiteral("核对正确数据"));
            maximized = check.windowState() & Qt::WindowMaximized;
            QCOMPARE(check.property("Connected").toBool(), true);
            listed = Column(*check.DS_GSVSKER_DHAO, 1);
            linesBeforeClick = Rows(*check.DS_GSVSKER_SLBJ);
            QVERIFY(check.DS_GSVSKER_DHAO->rowCount() >= 2);
            invoiceA = check.DS_GSVSKER_DHAO->Text(0, 1);
            invoiceB = check.DS_GSVSKER_DHAO->Text(1, 1);
            Click(check, 0);
            firstLines = Rows(*check.DS_GSVSKER_SLBJ);
            Click(check, 1);
            secondLines = Rows(*check.DS_GSVSKER_SLBJ);
            Click(check, 0);
            firstAgain = Rows(*check.DS_GSVSKER_SLBJ);
            check.btn_ok->click();
        });
        main.FlatButton2->click();
        QVERIFY2(script.failures.isEmpty(), qPrintable(script.failures.join("; ")));
        QCOMPARE(script.Remaining(), 0);
        QCOMPARE(jobs::ReadInDate(), ui::test::DayText(0));
        QVERIFY(maximized);

        // The list is the server's copy: today's invoices the sales system does not hold.
        std::set<std::string> expected;
        for (const auto& invoice : appserver::demo::machineInvoices()) {
            if (invoice.dayOffset == 0 && !invoice.registered) expected.insert(invoice.number);
        }
        std::set<std::string> shown;
        for (const QString& number : listed) shown.insert(number.trimmed().toStdString());
        QCOMPARE(shown, expected);
        QCOMPARE(ui::test::ServerRows("SELECT FP_NO FROM FA_PIAO", {"FP_NO"}).size(),
                 expected.size());

        // Lines: empty until a click, then only the clicked invoice's.
        QVERIFY(linesBeforeClick.isEmpty());
        QVERIFY(!firstLines.isEmpty());
        QVERIFY(!secondLines.isEmpty());
        QVERIFY(firstLines != secondLines);
        QCOMPARE(firstAgain, firstLines);
        for (const auto& invoice : appserver::demo::machineInvoices()) {
            const QString number = QString::fromStdString(invoice.number);
            if (number != invoiceB.trimmed()) continue;
            for (const auto& line : invoice.lines) {
                const QString name = QString::fromStdString(line.name);
                QVERIFY2(std::any_of(secondLines.begin(), secondLines.end(),
                                     [&](const QString& row) { return row.startsWith(name); }),
                         qPrintable(name));
            }
        }
    }

    void checkWindowGridsAndFixedBand() {
        ModalScript script;
        ui::TFm_sk main;
        ui::Tfm_time date(&main);
        ui::Tfm_savedata check(&date);
        QCOMPARE(check.parentWidget(), &date);
        QCOMPARE(check.DBGrid1->geometry(), QRect(8, 64, 345, 369));
        QCOMPARE(check.DBGrid2->geometry(), QRect(360, 64, 401, 369));
        QCOMPARE(check.btn_ok->text(), QStringLiteral("确     定"));
        QCOMPARE(check.btn_ok->geometry(), QRect(296, 456, 97, 25));
        QCOMPARE(check.Lb_status->text(), QString());
        QCOMPARE(check.pn_gl->height(), 49);
        QStringList captions;
        for (int c = 0; c < check.DS_GSVSKER_DHAO->columnCount(); ++c) {
            captions
                << check.DS_GSVSKER_DHAO->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        }
        QCOMPARE(captions, QStringList({"单号", "发票号", "发票本编号", "客户名称", "税务登记号"}));
        captions.clear();
        QList<int> widths;
        for (int c = 0; c < check.DS_GSVSKER_SLBJ->columnCount(); ++c) {
            captions
                << check.DS_GSVSKER_SLBJ->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
            widths << check.DBGrid2->columnWidth(c);
        }
        QCOMPARE(captions, QStringList({"商品名称", "税控单价", "系统单价", "税控数量", "系统数量",
                                        "税控金额", "税控税额", "税控价税"}));
        QCOMPARE(widths, QList<int>({200, 80, 80, 80, 60, 80, 80, 88}));
        // Band 0 (the product name) stays at the left edge while the rest scrolls.
        QCOMPARE(check.DBGrid2->FixedColumnCount(), 1);
        QTableView* band = check.DBGrid2->FixedBand();
        QVERIFY(!band->isColumnHidden(0));
        for (int c = 1; c < check.DS_GSVSKER_SLBJ->columnCount(); ++c)
            QVERIFY(band->isColumnHidden(c));
        QCOMPARE(band->model(), check.DBGrid2->model());
        QCOMPARE(band->selectionModel(), check.DBGrid2->selectionModel());
    }

    void anEmptyDayShowsNoInvoicesToReadIn() {
        ModalScript script;
        ui::TFm_sk main;
        ui::test::ShowAsModal(main);
        QString text, caption;
        QMessageBox::Icon icon = QMessageBox::Critical;
        int rows = -1;
        script.Expect<ui::Tfm_time>([&](ui::Tfm_time& date) {
            ui::test::ShowAsModal(date);
            date.DateTimePicker1->setDate(QDate::currentDate().addDays(-40));
            date.FlatButton1->click();
        });
        script.Expect<ui::Tfm_savedata>([&](ui::Tfm_savedata& check) {
            ui::test::ShowAsModal(check);  // activation: the message below
            rows = check.DS_GSVSKER_DHAO->rowCount();
            check.DBGrid1Click(QModelIndex());  // a click on the empty list changes nothing
            QCOMPARE(check.DS_GSVSKER_SLBJ->rowCount(), 0);
            QVERIFY(check.isVisible());
            check.close();
        });
        script.Expect<QMessageBox>([&](QMessageBox& box) {
            text = box.text();
            caption = box.windowTitle();
            icon = box.icon();
        });
        main.FlatButton2->click();
        QVERIFY2(script.failures.isEmpty(), qPrintable(script.failures.join("; ")));
        QCOMPARE(script.Remaining(), 0);
        QCOMPARE(text, QStringLiteral("无单据可读入！"));
        QCOMPARE(caption, QStringLiteral("提示"));
        QCOMPARE(icon, QMessageBox::NoIcon);
        QCOMPARE(rows, 0);
    }

    void cancelChangesNothingOnTheServerOrTheMachine() {
        ModalScript script;
        ui::TFm_sk main;
        ui::test::ShowAsModal(main);
        // A first read-in, so the server holds a copy the cancel could disturb.
        script.Expect<ui::Tfm_time>([](ui::Tfm_time& date) {
            ui::test::ShowAsModal(date);
            date.FlatButton1->click();
        });
        script.Expect<ui::Tfm_savedata>([](ui::Tfm_savedata& check) {
            ui::test::ShowAsModal(check);
            check.btn_ok->click();
        });
        main.FlatButton2->click();
        const Snapshot before = Take(env_.TaxDir());
        QVERIFY(!before.invoices.empty());
        int result = -1;
        script.Expect<ui::Tfm_time>([&](ui::Tfm_time& date) {
            ui::test::ShowAsModal(date);
            date.DateTimePicker1->setDate(date.DateTimePicker1->date().addDays(-1));
            date.FlatButton2->click();
            result = date.result();
        });
        main.FlatButton2->click();
        QVERIFY2(script.failures.isEmpty(), qPrintable(script.failures.join("; ")));
        QCOMPARE(script.Remaining(), 0);
        QCOMPARE(result, int(QDialog::Rejected));
        QVERIFY(Take(env_.TaxDir()) == before);
    }
};

QTEST_MAIN(InvoiceWindowsTest)
#include "InvoiceWindowsTest.moc"
