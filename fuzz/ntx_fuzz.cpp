// Fuzz target for Clipper index files: the input is a whole .NTX file. Its header is read
// and its tree walked and checked; a bad file may only end in the engine's error 2112.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "FuzzSupport.h"
#include "xbase/file/EngineError.h"
#include "xbase/index/ntx/NtxWalker.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1024 * 1024) return 0;
    try {
        xbase::ntx::NtxWalker walker("FUZZ.NTX", size, fuzz::InputReader(data, size));
        walker.ReadHeader();
        std::uint64_t keys = 0;
        walker.Check(keys);
        walker.Walk([](std::string_view, std::uint32_t) {});
    } catch (const xbase::XBaseError& e) {
        if (e.code() != 2112) std::abort();
    }
    return 0;
}
