// Fuzz target for dBase IV multiple index files: the input is a whole .MDX file. Its
// header, tag table and tag headers are read and every tag walked and checked; a bad file
// may only end in the engine's error 2112.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "FuzzSupport.h"
#include "xbase/file/EngineError.h"
#include "xbase/index/mdx/MdxWalker.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1024 * 1024) return 0;
    try {
        xbase::mdx::MdxWalker walker("FUZZ.MDX", size, fuzz::InputReader(data, size));
        walker.ReadHeaders();
        for (std::size_t t = 0; t < walker.Tags().size(); ++t) {
            std::uint64_t keys = 0;
            walker.Check(t, keys);
        }
    } catch (const xbase::XBaseError& e) {
        if (e.code() != 2112) std::abort();
    }
    return 0;
}
