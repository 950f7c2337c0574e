#include "ui/ModalRun.h"

#include <QDialog>
#include <utility>

namespace ui {

namespace {

ModalInterceptor& Interceptor() {
    static ModalInterceptor interceptor;
    return interceptor;
}

}  // namespace

int ExecModal(QDialog& dialog) {
    if (Interceptor()) {
        // A copy: the interceptor may install another one while it runs.
        ModalInterceptor interceptor = Interceptor();
        return interceptor(dialog);
    }
    return dialog.exec();
}

ModalInterceptor SetModalInterceptor(ModalInterceptor interceptor) {
    return std::exchange(Interceptor(), std::move(interceptor));
}

}  // namespace ui
