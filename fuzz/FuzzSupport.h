// Support shared by the fuzz targets: a private work directory for the files each input
// is written to, made once per process.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
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

// A reader over the input held as a whole file, for the index walkers: every read they
// ask for must lie inside the file (anything else ends the run as a fault).
inline auto InputReader(const std::uint8_t* data, std::size_t size) {
    return [data, size](std::uint64_t offset, std::uint8_t* out, std::size_t count) {
        if (offset > size || count > size - offset) std::abort();
        std::memcpy(out, data + offset, count);
    };
}

}  // namespace fuzz
