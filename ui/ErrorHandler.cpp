#include "ui/ErrorHandler.h"

#include <QGuiApplication>
#include <QMessageBox>

#include "ui/ModalRun.h"

namespace ui {

void ShowError(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Critical, QGuiApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("ErrorBox"));
    ExecModal(box);
}

void ShowError(QWidget* parent, const std::string& text) {
    ShowError(parent, QString::fromStdString(text));
}

}  // namespace ui
