#include "ui/Form.h"

#include <QGuiApplication>
#include <QScreen>

#include "ui/UiLook.h"

namespace ui {

Form::Form(QWidget* parent, const char* name, const QString& caption, QSize outerSize,
           int fontPixels)
    : QDialog(parent) {
    InstallFontFallbacks();
    setObjectName(QString::fromLatin1(name));
    setWindowTitle(caption);
    setFont(SongTi(fontPixels));
    SetBackground(this, FormColor());
    resize(ClientSize(outerSize.width(), outerSize.height()));
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(outerSize.width() / 2, outerSize.height() / 2));
    }
}

void Form::EnsureActivated() {
    if (activated_) return;
    activated_ = true;
    FormActivate();
}

void Form::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shown_) return;
    shown_ = true;
    FormShow();
    QMetaObject::invokeMethod(this, &Form::EnsureActivated, Qt::QueuedConnection);
}

}  // namespace ui
