// The progress ticker: it steps the bar on the window thread, ends full, and stopping it
// never hangs, also while the window thread has not carried out its last step.
#include <QProgressBar>
#include <QtTest>

#include "ui/synthread1.h"

class TickerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startsAtOneAndStepsWhileTheWindowThreadHandlesEvents() {
        QProgressBar bar;
        ui::synthread1 ticker(&bar);
        QCOMPARE(bar.minimum(), 1);
        QCOMPARE(bar.maximum(), 10000);
        QCOMPARE(bar.value(), 1);
        QCOMPARE(ticker.Step(), 1);
        QVERIFY(ticker.isRunning());
        QTRY_VERIFY(bar.value() > 5);
        ticker.Join();
        QVERIFY(ticker.isFinished());
        QCOMPARE(bar.value(), bar.maximum());
    }

    void stopsWithoutHangingWhileTheWindowThreadIsBusy() {
        QProgressBar bar;
        ui::synthread1 ticker(&bar);
        // No events are handled here: the worker waits for its first step.
        ticker.Terminate();
        QVERIFY(ticker.Terminated());
        ticker.Join();
        QVERIFY(ticker.isFinished());
        QCOMPARE(bar.value(), 10000);
    }

    void wrapsToTheMinimumAtTheEndOfTheRange() {
        QProgressBar bar;
        auto ticker = std::make_unique<ui::synthread1>(&bar);
        bar.setValue(10000);
        const int before = bar.value();
        QTRY_VERIFY(bar.value() < before);
        ticker.reset();  // destroying joins
        QCOMPARE(bar.value(), 10000);
    }

    void aTickerWhoseBarIsGoneStopsCleanly() {
        auto bar = std::make_unique<QProgressBar>();
        ui::synthread1 ticker(bar.get());
        bar.reset();
        QTest::qWait(1);
        ticker.Join();
        QVERIFY(ticker.isFinished());
    }
};

QTEST_MAIN(TickerTest)
#include "TickerTest.moc"
