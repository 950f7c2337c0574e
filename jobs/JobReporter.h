// How a job talks to the person: the windows and the command-line tool implement it.
// A refresh job calls ProgressStart when it begins, ProgressStop at its end (after the
// result view is prepared, before it is shown) and then ShowResult. MessageBox is an
// information box with an OK button; Error reports a failure the job has handled itself
// (errors a job does not handle leave it as exceptions); Notice tells of a change the job
// made on its own, before the result is shown.
#pragma once

#include <string>

#include "jobs/ResultView.h"

namespace jobs {

class JobReporter {
public:
    virtual ~JobReporter() = default;

    // A job's long work begins: start the progress display and make it visible.
    virtual void ProgressStart() = 0;
    // The work ended: stop the progress display; hideBar also hides it (the customer
    // refresh leaves it showing full, the product refresh hides it).
    virtual void ProgressStop(bool hideBar) = 0;
    // Shows the job's result rows modally under a heading.
    virtual void ShowResult(const ResultView& view) = 0;
    virtual void MessageBox(const std::string& text, const std::string& caption) = 0;
    virtual void Error(const std::string& message) = 0;
    // Something the person must know about a job that succeeded (values stored changed,
    // one per line). Shown as a message box unless the reporter has its own channel.
    virtual void Notice(const std::string& text) { MessageBox(text, "提示"); }
};

}  // namespace jobs
