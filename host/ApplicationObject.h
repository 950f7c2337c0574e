// The plug-in's application object: creates the Qt application when the host has none
// (keeping its argument list alive for the process), and adopts the host's application
// window as the owner of the windows the plug-in shows.
#pragma once

#include <QPointer>
#include <QWindow>

class QWidget;

namespace host {

class ApplicationObject {
public:
    static ApplicationObject& Instance();

    // Creates the QApplication when there is none; throws when the host runs a Qt
    // application object that cannot show widgets.
    void EnsureApplication();

    // Takes the host's window (an X11 window id) as owner unless it is the handle already
    // held: a different earlier window is let go first, and 0 means no owner. A second
    // call with the same handle changes nothing.
    void SetHandle(unsigned long handle);
    unsigned long Handle() const { return handle_; }
    // The host's window as a foreign window; null when there is no owner or the platform
    // cannot wrap the handle.
    QWindow* Owner() const { return owner_; }

    // Makes the host's window the transient parent of a top-level window.
    void Adopt(QWidget& window) const;

private:
    unsigned long handle_ = 0;
    QPointer<QWindow> owner_;
};

}  // namespace host
