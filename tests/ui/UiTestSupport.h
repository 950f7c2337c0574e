// Test support for the windows: a demo environment (the demo machine folder behind drive
// C:, the embedded sales server with the demo data, both in a temporary folder) and a
// modal script that answers the windows' modal loops in order.
#pragma once

#include <QDialog>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "ui/ModalRun.h"

namespace ui::test {

class DemoEnvironment {
public:
    // Points XDG_DATA_HOME, XDG_CONFIG_HOME and TAXBRIDGE_DRIVE_C into a fresh folder.
    DemoEnvironment();
    // Writes the demo machine folder, loads the demo sales data into the embedded server
    // and puts back the host's default parameters, replacing what an earlier test left.
    void Reset();
    std::string TaxDir() const;
    std::string Root() const { return dir_.path().toStdString(); }

private:
    QTemporaryDir dir_;
};

// Rows of a query on the embedded server, columns joined with '|'.
std::vector<std::string> ServerRows(const std::string& query,
                                    const std::vector<std::string>& columns);
std::vector<unsigned char> FileBytes(const std::string& path);
// "yyyy-mm-dd" of today + dayOffset.
std::string DayText(int dayOffset);

// Shows a dialog as its modal loop would, then runs its activation step.
void ShowAsModal(QDialog& dialog);

// Hands each modal dialog to the next step, which answers it (the dialog's result code is
// returned to the window that opened it); a dialog of another kind than the step expects
// is closed and recorded as a failure.
class ModalScript {
public:
    ModalScript();
    ~ModalScript();
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

    template <typename T>
    void Expect(std::function<void(T&)> step) {
        steps_.push_back([this, step](QDialog& dialog) {
            if (auto* typed = qobject_cast<T*>(&dialog)) {
                step(*typed);
                return dialog.result();
            }
            failures.push_back(QStringLiteral("unexpected window %1 (%2)")
                                   .arg(dialog.objectName(), dialog.windowTitle()));
            dialog.close();
            return 0;
        });
    }
    int Remaining() const { return static_cast<int>(steps_.size()); }

    QStringList failures;

private:
    int Answer(QDialog& dialog);

    std::deque<std::function<int(QDialog&)>> steps_;
    ModalInterceptor previous_;
};

}  // namespace ui::test
