#include "jobs/ReportedRun.h"

#include <exception>

#include "jobs/JobReporter.h"

namespace jobs {

bool RunReported(JobReporter& reporter, const std::function<void()>& job) {
    try {
        job();
        return true;
    } catch (const std::exception& e) {
        reporter.Error(e.what());
    } catch (...) {
        reporter.Error("Unknown error");
    }
    return false;
}

}  // namespace jobs
