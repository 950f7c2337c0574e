// The main window: its design, the connection on show, the two refresh jobs with their
// result window and progress ticker, a refresh that fails part-way, and "退出".
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>
#include <filesystem>

#include "UiTestSupport.h"
#include "appserver/ServerDirectory.h"
#include "jobs/HostParameters.h"
#include "ui/DataGrid.h"
#include "ui/DataSetModel.h"
#include "ui/TFM_KHSQ.h"
#include "ui/TFm_sk.h"
#include "ui/synthread1.h"

using ui::test::ModalScript;

namespace {

QStringList Captions(const ui::DataSetModel& model) {
    QStringList captions;
    for (int c = 0; c < model.columnCount(); ++c) {
        captions << model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    }
    return captions;
}

QList<int> Widths(const ui::DataGrid& grid) {
    QList<int> widths;
    for (int c = 0; c < grid.model()->columnCount(); ++c) widths << grid.columnWidth(c);
    return widths;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private:
    ui::test::DemoEnvironment env_;

private Q_SLOTS:
    void init() { env_.Reset(); }

    void showsItsDesignWithChineseFonts() {
        ui::TFm_sk window;
        QCOMPARE(window.windowTitle(), QStringLiteral("税控读入"));
        QCOMPARE(window.objectName(), QStringLiteral("Fm_sk"));
        QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(window.btn_khsx->text(), QStringLiteral("客户刷新"));
        QCOMPARE(window.btn_khsx->geometry(), QRect(16, 24, 129, 33));
        QCOMPARE(window.FlatButton2->text(), QStringLiteral("发票读入"));
        QCOMPARE(window.FlatButton2->geometry(), QRect(168, 24, 121, 33));
        QCOMPARE(window.FlatButton1->text(), QStringLiteral("商品刷新"));
        QCOMPARE(window.FlatButton1->geometry(), QRect(312, 24, 121, 33));
        QCOMPARE(window.FlatButton3->text(), QStringLiteral("退出"));
        QCOMPARE(window.FlatButton3->geometry(), QRect(336, 288, 97, 33));
        QCOMPARE(window.ProgressBar1->geometry(), QRect(16, 264, 420, 17));
        QVERIFY(window.ProgressBar1->isHidden());
        QCOMPARE(window.FlatMemo1->parentWidget()->geometry(), QRect(16, 72, 129, 185));
        QCOMPARE(window.FlatMemo2->parentWidget()->geometry(), QRect(170, 72, 121, 185));
        QCOMPARE(window.FlatMemo3->parentWidget()->geometry(), QRect(312, 72, 123, 185));

        for (QPlainTextEdit* memo : {window.FlatMemo1, window.FlatMemo2, window.FlatMemo3}) {
            QVERIFY(memo->isReadOnly());
            QVERIFY(!memo->parentWidget()->isEnabled());  // the panel: no focus for the memo
        }

        // Tab order: the three job buttons, the panels, "退出", the bar.
        QWidget* chain[] = {window.btn_khsx,
                            window.FlatButton2,
                            window.FlatButton1,
                            window.FlatMemo1->parentWidget(),
                            window.FlatMemo2->parentWidget(),
                            window.FlatMemo3->parentWidget(),
                            window.FlatButton3,
                            window.ProgressBar1};
        for (std::size_t i = 0; i + 1 < std::size(chain); ++i) {
            QWidget* next = chain[i]->nextInFocusChain();
            while (next != chain[i + 1] && chain[i]->isAncestorOf(next)) {
                next = next->nextInFocusChain();  // the panel's own memo
            }
            QCOMPARE(next, chain[i + 1]);
        }

        // "宋体" resolves to a font that has the Chinese glyphs.
        QCOMPARE(window.font().pixelSize(), 12);
        const QFontMetrics metrics(window.font());
        for (QChar c : QStringLiteral("税控读入客户刷新")) QVERIFY(metrics.inFont(c));
        QCOMPARE(window.palette().color(QPalette::Window), QColor(197, 217, 220));
    }

    // Every line of the three help texts under the job buttons, the empty trailing ones
    // included.
    void helpTextsReadLineByLine_data() {
        QTest::addColumn<int>("memo");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("客户刷新")
            << 1
            << QStringList{"将销售管理系统中的专", "卖客户信息写入税控机", "中。",
                           "注：若销售管理系统中", "的客户名称和税控机客", "户表中客户名称相同，",
                           "但其他属性不同，以销", "售管理系统中的信息为", "准。"};
        QTest::newRow("发票读入") << 2 << QStringList{"读入税控机发票信息",
                                                      "。",
                                                      "注：如销售管理系统",
                                                      "客户信息或卷烟信息",
                                                      "有变动，请先刷新客",
                                                      "户信息或卷烟信息。",
                                                      ""};
        QTest::newRow("商品刷新") << 3
                                  << QStringList{"将销售管理系统中的",
                                                 "卷烟信息写入税控机",
                                                 "中。",
                                                 "注：若销售管理系统",
                                                 "中的卷烟名称和税控",
                                                 "机卷烟表中卷烟名称",
                                                 "相同，但其他属性不",
                                                 "同，以销售管理系统",
                                                 "中的信息为准。",
                                                 "",
                                                 ""};
    }
    void helpTextsReadLineByLine() {
        QFETCH(int, memo);
        QFETCH(QStringList, lines);
        ui::TFm_sk window;
        QPlainTextEdit* memos[] = {window.FlatMemo1, window.FlatMemo2, window.FlatMemo3};
        QCOMPARE(memos[memo - 1]->toPlainText().split(QLatin1Char('\n')), lines);
    }

    void showConnectsToTheEmbeddedDefault() {
        ModalScript script;
        ui::TFm_sk window;
        ui::test::ShowAsModal(window);
        QVERIFY2(script.failures.isEmpty(), qPrintable(script.failures.join("; ")));
        QCOMPARE(window.property("Connected").toBool(), true);
        QVERIFY(window.Context().DCOMConnection1.Connected());
        QVERIFY(std::filesystem::exists(env_.Root() + "/data/taxbridge/sales.db"));
    }

    void failedConnectionIsShownAndTheWindowOpensUnconnected() {
        jobs::hostParameters().ServerComputerName = "NOSUCHSERVER";
        ModalScript script;
        QString shown;
        script.Expect<QMessageBox>([&](QMessageBox& box) {
            shown = box.text();
            QVERIFY(box.icon() != QMessageBox::NoIcon);
        });
        ui::TFm_sk window;
        ui::test::ShowAsModal(window);
        QVERIFY2(script.failures.isEmpty(), qPrintable(script.failures.join("; ")));
        QCOMPARE(script.Remaining(), 0);
        QVERIFY(shown.contains(QStringLiteral("NOSUCHSERVER"), Qt::CaseInsensitive));
        QVERIFY(window.isVisible());
        QCOMPARE(window.property("Connected").toBool(), false);
        QVERIFY(!window.Context().DCOMConnection1.Connected());
    }

    void customerRefreshShowsCustomersAndLeavesTheBarFull() {
        ModalScript script;
        ui::TFm_sk window;
        ui::test::ShowAsModal(window);
        int rows = -1;
        script.Expect<ui::TFM_KHSQ>([&](ui::TFM_KHSQ& result) {
            ui::test::ShowAsModal(result);
            QCOMPARE(result.windowTitle(), QStringLiteral("详细信息"));
            QCOMPARE(result.parentWidget(), &window);
            QCOMPARE(result.Label1->text(), QStringLiteral("刷新的客户"));
            QVERIFY(!result.DBGrid1->isHidden());
            QVERIFY(result.DBGrid2->isHidden());
            QCOMPARE(result.DBGrid1->geometry(), QRect(48, 48, 569, 393));
            QCOMPARE(Captions(*result.DS_KHSQ),
                     QStringList({"单位名称", "地址电话", "税务登记号"}));
            QCOMPARE(Widths(*result.DBGrid1), QList<int>({189, 260, 100}));
            rows = result.DS_KHSQ->rowCount();
            // The address column is the provider's unaliased expression column.
            bool anyAddress = false;
            for (int r = 0; r < rows; ++r) anyAddress |= !result.DS_KHSQ->Text(r, 1).isEmpty();
            QVERIFY(anyAddress);
            // The ticker has been stopped before the window shows.
            QVERIFY(window.Ticker() == nullptr);
            result.FlatButton1->click();
        });
        window.btn_khsx->click();
        QVERIFY2(script.failures.isEmpty(), qPrintable(script.failures.join("; ")));
        QCOMPARE(script.Remaining(), 0);
        QVERIFY(rows > 0);
        QCOMPARE(rows, window.Context().CDS_KHSQ.RecordCount());
        QVERIFY(!window.ProgressBar1->isHidden());
        QCOMPARE(window.ProgressBar1->value(), window.ProgressBar1->maximum());
        QCOMPARE(window.ProgressBar1->maximum(), ui::synthread1::kMaximum);
        QVERIFY(window.Ticker() == nullptr);
        QVERIFY(ui::FM_KHSQ == nullptr);  // released once closed
    }

    void productRefreshShowsProductsAndHidesTheBar() {
        ModalScript script;
        ui::TFm_sk window;
        ui::test::ShowAsModal(window);
        int rows = -1;
        script.Expect<ui::TFM_KHSQ>([&](ui::TFM_KHSQ& result) {
            ui::test::ShowAsModal(result);
            QCOMPARE(result.Label1->text(), QStringLiteral("刷新的商品"));
            QVERIFY(result.DBGrid1->isHidden());
            QVERIFY(!result.DBGrid2->isHidden());
            QCOMPARE(result.DBGrid2->geometry(), QRect(48, 48, 561, 393));
            QCOMPARE(Captions(*result.DS_SPSQ),
                     QStringList({"商品代码", "商品名称", "卷烟单位", "商品规格"}));
            QCOMPARE(Widths(*result.DBGrid2), QList<int>({125, 181, 137, 97}));
            rows = result.DS_SPSQ->rowCount();
            result.FlatButton1->click();
        });
        window.FlatButton1->click();
        QVERIFY2(script.failures.isEmpty(), qPrintable(script.failures.join("; ")));
        QCOMPARE(script.Remaining(), 0);
        QVERIFY(rows > 0);
        QVERIFY(window.ProgressBar1->isHidden());
        QVERIFY(window.Ticker() == nullptr);
    }

    void refreshTellsOfValuesStoredChangedBeforeItsResult() {
        // A product name of 31 bytes for the 30 of the machine's NAME field.
        const auto sales = appserver::createServer("");
        for (const char* table : {"GSTJYGL0", "GSTJYGL1"}) {
            sales->run(std::string("UPDATE ") + table +
                       " SET SPMC00='ABCDEFGHIJKLMNOPQRSTUVWXYZ12345' WHERE SPDM00=(SELECT "
                       "MIN(SPDM00) FROM GSTJYGL1)");
        }
        ModalScript script;
        ui::TFm_sk window;
        ui::test::ShowAsModal(window);
        QString told;
        script.Expect<QMessageBox>([&](QMessageBox& box) { told = box.text(); });
        script.Expect<ui::TFM_KHSQ>([](ui::TFM_KHSQ& result) { result.close(); });
        window.FlatButton1->click();
        QVERIFY2(script.failures.isEmpty(), qPrintable(script.failures.join("; ")));
        QCOMPARE(script.Remaining(), 0);
        QVERIFY2(told.startsWith(QStringLiteral("1 value did not fit the machine's field and was "
                                                "stored changed:\ndetail.dbf record ")),
                 qPrintable(told));
        QVERIFY2(told.endsWith(QStringLiteral(", NAME: \"ABCDEFGHIJKLMNOPQRSTUVWXYZ12345\" stored "
                                              "as \"ABCDEFGHIJKLMNOPQRSTUVWXYZ1234\"")),
                 qPrintable(told));
    }

    void twoRefreshesInARowEachStartAFreshTickerAtOne() {
        ModalScript script;
        ui::TFm_sk window;
        ui::test::ShowAsModal(window);
        struct Start {
            int position;
            bool visible;
            bool running;
            const void* ticker;
        };
        std::vector<Start> starts;
        connect(&window, &ui::TFm_sk::ProgressStarted, this, [&] {
            starts.push_back({window.ProgressBar1->value(), !window.ProgressBar1->isHidden(),
                              window.Ticker() && window.Ticker()->isRunning(), window.Ticker()});
        });
        for (int i = 0; i < 2; ++i) {
            script.Expect<ui::TFM_KHSQ>([](ui::TFM_KHSQ& result) { result.close(); });
        }
        window.btn_khsx->click();
        window.FlatButton1->click();
        QVERIFY2(script.failures.isEmpty(), qPrintable(script.failures.join("; ")));
        QCOMPARE(starts.size(), std::size_t{2});
        for (const Start& s : starts) {
            QCOMPARE(s.position, 1);
            QVERIFY(s.visible);
            QVERIFY(s.running);
        }
        QCOMPARE(window.TickersStarted(), 2);
        QVERIFY(window.Ticker() == nullptr);
    }

    void refreshFailingPartWayShowsTheErrorAndStopsItsTicker() {
        // The bank table is missing: the job fails after its ticker started and after
        // the server's tables were truncated.
        std::filesystem::remove(env_.TaxDir() + "/BANK.dbf");
        ModalScript script;
        auto window = std::make_unique<ui::TFm_sk>();
        ui::test::ShowAsModal(*window);
        QString shown;
        script.Expect<QMessageBox>([&](QMessageBox& box) {
            shown = box.text();
            QCOMPARE(box.icon(), QMessageBox::Critical);
        });
        window->btn_khsx->click();
        QVERIFY2(script.failures.isEmpty(), qPrintable(script.failures.join("; ")));
        QCOMPARE(script.Remaining(), 0);
        QVERIFY(shown.contains(QStringLiteral("BANK"), Qt::CaseInsensitive));
        QVERIFY(window->Ticker() == nullptr);
        QCOMPARE(window->TickersStarted(), 1);
        QVERIFY(window->isVisible());  // the window stays open
        window->FlatButton3->click();
        QVERIFY(!window->isVisible());
        window.reset();
    }

    void closingTheWindowStopsATickerStillRunning() {
        auto window = std::make_unique<ui::TFm_sk>();
        window->show();
        window->Reporter().ProgressStart();
        QVERIFY(window->Ticker() && window->Ticker()->isRunning());
        window->FlatButton3->click();  // "退出"
        QVERIFY(window->Ticker() == nullptr);
        QCOMPARE(window->result(), int(QDialog::Rejected));
        window->Reporter().ProgressStart();  // and once more, released with the window
        window.reset();
    }

    void exitClosesTheWindow() {
        ui::TFm_sk window;
        window.show();
        window.FlatButton3->click();
        QVERIFY(!window.isVisible());
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
