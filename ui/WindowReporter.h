// How a job run from a window talks to the person: information boxes and errors in
// message boxes over the window. The main window adds the progress bar and the result
// window (TFm_sk); the date and check windows use this one as it is.
#pragma once

#include "jobs/JobReporter.h"

class QWidget;

namespace ui {

class WindowReporter : public jobs::JobReporter {
public:
    explicit WindowReporter(QWidget* window) : window_(window) {}

    void ProgressStart() override {}
    void ProgressStop(bool /*hideBar*/) override {}
    void ShowResult(const jobs::ResultView& /*view*/) override {}
    // An OK button and no icon.
    void MessageBox(const std::string& text, const std::string& caption) override;
    // The default error handler.
    void Error(const std::string& message) override;

protected:
    QWidget* window_;
};

}  // namespace ui
