// The plug-in as a host uses it: libtaxbridge.so loaded with dlopen, showdll found with
// dlsym and called. The first call is made before any Qt application object exists, so
// showdll creates it; the windows are driven from timers, as an operator would.
#include <dlfcn.h>

#include <QApplication>
#include <QImage>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <QtTest>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "UiTestSupport.h"
#include "host/showdll.h"

namespace {

ShowDllFn showdll = nullptr;
ScreenshotsFn screenshots = nullptr;

struct Seen {
    QPointer<QWidget> window;
    QString title, param1, param4, server;
    bool connected = false;
    QWindow* owner = nullptr;  // the main window's transient parent
    QStringList boxes;         // texts of message boxes answered on the way
};

// Waits (polling the window thread's event loop) for the main window, records what it
// shows and clicks "退出". Message boxes that come first are answered and recorded.
void CloseMainWindowWhenShown(Seen* seen) {
    QTimer::singleShot(10, [seen] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            seen->boxes << box->text();
            box->accept();
            CloseMainWindowWhenShown(seen);
            return;
        }
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() != QLatin1String("Fm_sk") || !w->isVisible()) continue;
            seen->window = w;
            seen->title = w->windowTitle();
            seen->param1 = w->property("Param1").toString();
            seen->param4 = w->property("Param4").toString();
            seen->server = w->property("ServerComputerName").toString();
            seen->connected = w->property("Connected").toBool();
            if (QWindow* handle = w->windowHandle()) seen->owner = handle->transientParent();
            w->findChild<QPushButton*>(QStringLiteral("FlatButton3"))->click();
            return;
        }
        CloseMainWindowWhenShown(seen);
    });
}

Seen firstCall;
bool applicationBeforeFirstCall = true;

// Runs in the constructor of the application object showdll creates.
void ArmFirstCall() {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] { CloseMainWindowWhenShown(&firstCall); },
        Qt::QueuedConnection);
}

}  // namespace

class PluginTest : public QObject {
    Q_OBJECT
private:
    ui::test::DemoEnvironment* env_ = nullptr;

public:
    explicit PluginTest(ui::test::DemoEnvironment* env) : env_(env) {}

private Q_SLOTS:
    void init() { env_->Reset(); }

    void nullParametersOpenTheMainWindowOnTheEmbeddedDefault() {
        QVERIFY(!applicationBeforeFirstCall);  // showdll made the application object
        QCOMPARE(firstCall.title, QStringLiteral("税控读入"));
        QCOMPARE(firstCall.server, QString());
        QCOMPARE(firstCall.param1, QString());
        QVERIFY(firstCall.connected);
        QVERIFY(firstCall.boxes.isEmpty());
        QVERIFY(firstCall.window.isNull());  // released on return
        QVERIFY(std::filesystem::exists(env_->Root() + "/data/taxbridge/sales.db"));
    }

    void twoCallsInARowEachOpenANewMainWindowWithTheirParameters() {
        Seen first, second;
        CloseMainWindowWhenShown(&first);
        showdll(0, "one", "b", "c", "four", "");
        QVERIFY(first.window.isNull());
        CloseMainWindowWhenShown(&second);
        showdll(0, "uno", nullptr, nullptr, "cuatro", nullptr);
        QVERIFY(second.window.isNull());
        QCOMPARE(first.param1, QStringLiteral("one"));
        QCOMPARE(first.param4, QStringLiteral("four"));
        QCOMPARE(second.param1, QStringLiteral("uno"));
        QCOMPARE(second.param4, QStringLiteral("cuatro"));
        QVERIFY(first.connected && second.connected);
    }

    void theHostWindowIsAdoptedOnceForTheSameHandle() {
        Seen first, second, none;
        CloseMainWindowWhenShown(&first);
        showdll(4242, nullptr, nullptr, nullptr, nullptr, nullptr);
        CloseMainWindowWhenShown(&second);
        showdll(4242, nullptr, nullptr, nullptr, nullptr, nullptr);
        QCOMPARE(second.owner, first.owner);  // the same handle changes nothing
        if (first.owner) QCOMPARE(first.owner->winId(), WId(4242));
        CloseMainWindowWhenShown(&none);
        showdll(0, nullptr, nullptr, nullptr, nullptr, nullptr);
        QVERIFY(none.owner == nullptr);  // 0: no owner
        QVERIFY(!none.title.isEmpty());
    }

    void anUnknownServerIsReportedAndTheWindowOpensUnconnected() {
        Seen seen;
        CloseMainWindowWhenShown(&seen);
        showdll(0, nullptr, nullptr, nullptr, nullptr, "NOSUCHSERVER");
        QCOMPARE(seen.title, QStringLiteral("税控读入"));
        QCOMPARE(seen.server, QStringLiteral("NOSUCHSERVER"));
        QVERIFY(!seen.connected);
        QCOMPARE(seen.boxes.size(), 1);
        QVERIFY(seen.boxes.first().contains(QStringLiteral("NOSUCHSERVER"), Qt::CaseInsensitive));
    }

    void screenshotsOfEveryWindowShowTheirCaptions() {
        // TAXBRIDGE_SCREENSHOT_DIR keeps them for a person to look at.
        const QByteArray keep = qgetenv("TAXBRIDGE_SCREENSHOT_DIR");
        const std::string dir = keep.isEmpty() ? env_->Root() + "/screenshots" : keep.toStdString();
        QCOMPARE(screenshots(dir.c_str(), ""), 0);
        for (const char* name : {"main", "result-customers", "result-products", "date", "check"}) {
            const QImage image(QString::fromStdString(dir + "/" + name + ".png"));
            QVERIFY2(!image.isNull(), name);
            QVERIFY(image.width() > 200 && image.height() > 100);
        }
        // The main window's exact pixel size (its client area).
        QCOMPARE(QImage(QString::fromStdString(dir + "/main.png")).size(), QSize(466, 334));
    }
};

int main(int argc, char** argv) {
    ui::test::DemoEnvironment env;
    env.Reset();
    void* plugin = dlopen(TAXBRIDGE_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!plugin) {
        std::fprintf(stderr, "%s\n", dlerror());
        return 1;
    }
    showdll = reinterpret_cast<ShowDllFn>(dlsym(plugin, "showdll"));
    screenshots = reinterpret_cast<ScreenshotsFn>(dlsym(plugin, "taxbridge_screenshots"));
    if (!showdll || !screenshots) {
        std::fprintf(stderr, "missing export: %s\n", dlerror());
        return 1;
    }
    // The first call, with no application object yet and all five pointers null.
    applicationBeforeFirstCall = QCoreApplication::instance() != nullptr;
    qAddPreRoutine(&ArmFirstCall);
    showdll(0, nullptr, nullptr, nullptr, nullptr, nullptr);
    PluginTest test(&env);
    return QTest::qExec(&test, argc, argv);
}

#include "PluginTest.moc"
