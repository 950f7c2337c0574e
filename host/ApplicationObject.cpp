#include "host/ApplicationObject.h"

#include <QApplication>
#include <QWidget>
#include <stdexcept>

namespace host {

ApplicationObject& ApplicationObject::Instance() {
    static ApplicationObject object;
    return object;
}

void ApplicationObject::EnsureApplication() {
    if (QCoreApplication::instance() == nullptr) {
        // QApplication keeps references to these for its whole life.
        static int argc = 1;
        static char name[] = "taxbridge";
        static char* argv[] = {name, nullptr};
        // Lives as long as the process; the plug-in is never unloaded (-z nodelete).
        new QApplication(argc, argv);
        return;
    }
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        throw std::runtime_error("The host's application object cannot show windows");
    }
}

void ApplicationObject::SetHandle(unsigned long handle) {
    if (handle == handle_) return;
    delete owner_.data();  // lets the earlier window go; the host's window itself stays
    owner_ = nullptr;
    handle_ = handle;
    if (handle != 0) owner_ = QWindow::fromWinId(static_cast<WId>(handle));
}

void ApplicationObject::Adopt(QWidget& window) const {
    if (!owner_) return;
    window.winId();  // gives the window its platform window
    if (QWindow* handle = window.windowHandle()) handle->setTransientParent(owner_);
}

}  // namespace host
