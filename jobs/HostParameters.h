// The five texts the host hands to the library when it opens the main window, kept for
// the life of the process. Only ServerComputerName is read: every window's connection
// step uses it to pick the sales server (the empty name is the embedded default).
#pragma once

#include <string>

namespace jobs {

struct HostParameters {
    std::string Param1;
    std::string Param2;
    std::string Param3;
    std::string Param4;
    std::string ServerComputerName;
};

// The one set of host parameters of the process.
HostParameters& hostParameters();

}  // namespace jobs
