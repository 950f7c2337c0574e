// Keeps a job's progress display honest: started on construction, and stopped when the
// job leaves early through an error, so no progress display outlives a failed job.
#pragma once

#include "jobs/JobReporter.h"

namespace jobs {

class ProgressScope {
public:
    explicit ProgressScope(JobReporter& reporter) : reporter_(reporter) {
        reporter_.ProgressStart();
    }
    ~ProgressScope() {
        if (running_) reporter_.ProgressStop(false);
    }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

    // The job's own end.
    void Stop(bool hideBar) {
        running_ = false;
        reporter_.ProgressStop(hideBar);
    }

private:
    JobReporter& reporter_;
    bool running_ = true;
};

}  // namespace jobs
