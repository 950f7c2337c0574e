#include "ui/UiLook.h"

#include <QFont>
#include <QFrame>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <mutex>

namespace ui {

namespace {

// Outer frame of a window: a 4-pixel border all round and a 19-pixel caption bar.
constexpr int kBorder = 4;
constexpr int kCaption = 19;

// Fonts that carry the Chinese glyphs, tried in order.
const QStringList& CjkFallbacks() {
    static const QStringList fonts = {
        "SimSun",           "NSimSun",           "WenQuanYi Zen Hei", "WenQuanYi Micro Hei",
        "Noto Sans CJK SC", "Noto Serif CJK SC", "AR PL UMing CN",    "Droid Sans Fallback"};
    return fonts;
}

}  // namespace

QColor FormColor() { return QColor(197, 217, 220); }
QColor MemoColor() { return QColor(48, 144, 207); }
QColor BandLineColor() { return QColor(212, 208, 200); }

void InstallFontFallbacks() {
    static std::once_flag once;
    std::call_once(once, [] {
        QFont::insertSubstitutions(QStringLiteral("宋体"), CjkFallbacks());
        QStringList lishu = {"LiSu", "STLiti"};
        lishu += CjkFallbacks();
        QFont::insertSubstitutions(QStringLiteral("隶书"), lishu);
    });
}

QFont SongTi(int pixels) {
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(pixels);
    return font;
}

QFont LiShu(int pixels, bool bold) {
    QFont font(QStringLiteral("隶书"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QSize ClientSize(int outerWidth, int outerHeight) {
    return QSize(outerWidth - 2 * kBorder, outerHeight - 2 * kBorder - kCaption);
}

void SetBackground(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Window, colour);
    }
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QPushButton* MakeFlatButton(QWidget* parent, const char* name, const QString& caption,
                            const QRect& geometry) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    button->setStyleSheet(QStringLiteral(
        "QPushButton { background-color: rgb(226, 236, 238); border: 1px solid rgb(96, 124, 132); }"
        "QPushButton:hover { background-color: rgb(240, 246, 247); }"
        "QPushButton:pressed { background-color: rgb(176, 200, 206); }"
        "QPushButton:focus { border: 1px solid rgb(0, 0, 0); }"));
    return button;
}

QPlainTextEdit* MakePanelMemo(QWidget* parent, const char* panelName, const char* memoName,
                              const QRect& geometry, const QStringList& lines) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(panelName));
    panel->setFrameShape(QFrame::NoFrame);
    panel->setGeometry(geometry);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* memo = new QPlainTextEdit(panel);
    memo->setObjectName(QString::fromLatin1(memoName));
    memo->setReadOnly(true);
    memo->setFrameShape(QFrame::NoFrame);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->setPlainText(lines.join(QLatin1Char('\n')));
    // The panel is disabled, so the memo cannot take focus; its text keeps the normal
    // colours all the same.
    memo->setStyleSheet(
        QStringLiteral(
            "QPlainTextEdit { background-color: %1; color: rgb(0, 0, 0); border: none; }")
            .arg(MemoColor().name()));
    layout->addWidget(memo);
    panel->setEnabled(false);
    return memo;
}

}  // namespace ui
