// The base of the library's windows: caption, outer size, centred on the screen,
// background colour and font as designed, and the two window events the jobs hang on:
// FormShow when the window is first shown and FormActivate once right after it (when the
// window has become the active one).
#pragma once

#include <QDialog>

namespace ui {

class Form : public QDialog {
    Q_OBJECT
public:
    // outerSize includes the frame and caption; the window is centred on the screen.
    Form(QWidget* parent, const char* name, const QString& caption, QSize outerSize,
         int fontPixels);

    // Runs the activation step now unless it has run (it is also queued on show).
    void EnsureActivated();
    bool Activated() const { return activated_; }

protected:
    virtual void FormShow() {}
    virtual void FormActivate() {}
    void showEvent(QShowEvent* event) override;

private:
    bool shown_ = false;
    bool activated_ = false;
};

}  // namespace ui
