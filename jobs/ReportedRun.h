// The library's default error handler for a job started from a window or the command
// line: runs the job and reports an error that leaves it through JobReporter::Error.
#pragma once

#include <functional>

namespace jobs {

class JobReporter;

// True when the job ended normally; false when it raised (the error has been reported).
bool RunReported(JobReporter& reporter, const std::function<void()>& job);

}  // namespace jobs
