// Support shared by the fuzz targets: a private work directory for the files each input
// is written to, made once per process.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <string>

namespace fuzz {

inline const std::string& WorkDirectory() {
    static const std::string dir = [] {
        char name[] = "/tmp/taxbridge_fuzz_XXXXXX";
        const char* made = mkdtemp(name);
        if (made == nullptr) std::abort();
        return std::string(made);
    }();
    return dir;
}

}  // namespace fuzz
