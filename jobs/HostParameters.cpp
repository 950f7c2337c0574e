#include "jobs/HostParameters.h"

namespace jobs {

HostParameters& hostParameters() {
    static HostParameters parameters;
    return parameters;
}

}  // namespace jobs
