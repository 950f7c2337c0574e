#include "ui/WindowReporter.h"

#include <QMessageBox>

#include "ui/ErrorHandler.h"
#include "ui/ModalRun.h"

namespace ui {

void WindowReporter::MessageBox(const std::string& text, const std::string& caption) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(caption),
                    QString::fromStdString(text), QMessageBox::Ok, window_);
    box.setObjectName(QStringLiteral("InfoBox"));
    ExecModal(box);
}

void WindowReporter::Error(const std::string& message) { ShowError(window_, message); }

}  // namespace ui
