// The look shared by the windows: the form and memo colours, the fonts the windows were
// designed with ("宋体", "隶书") with fallbacks to an installed CJK font, outer window
// sizes turned into client sizes, and the flat buttons and memo boxes.
#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace ui {

QColor FormColor();      // RGB (197, 217, 220): window backgrounds and grid headers
QColor MemoColor();      // RGB (48, 144, 207): the main window's explanation boxes
QColor BandLineColor();  // the menu colour: the line between a grid's two bands

// Makes "宋体" and "隶书" resolve to an installed font that has the Chinese glyphs.
// Idempotent; needs the application object.
void InstallFontFallbacks();

// "宋体" at a pixel height.
QFont SongTi(int pixels);
// "隶书" at a pixel height.
QFont LiShu(int pixels, bool bold);

// The client area of a window whose outer size (frame and caption included) is given.
QSize ClientSize(int outerWidth, int outerHeight);

// Gives a widget a solid background colour.
void SetBackground(QWidget* widget, const QColor& colour);

// A flat button at a position (left, top, width, height) with an object name.
QPushButton* MakeFlatButton(QWidget* parent, const char* name, const QString& caption,
                            const QRect& geometry);

// A flat read-only memo filling a disabled panel without bevel at a position.
QPlainTextEdit* MakePanelMemo(QWidget* parent, const char* panelName, const char* memoName,
                              const QRect& geometry, const QStringList& lines);

}  // namespace ui
