// Clipper index files with damaged headers and pages: every walk ends in error 2112
// naming the file, never in a crash, a read outside the file or an endless loop.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DamagedFiles.h"
#include "IndexFileImage.h"
#include "xbase/index/IndexBytes.h"
#include "xbase/index/ntx/NtxWalker.h"

namespace xbase {
namespace {

using indextest::Damage;
using indextest::ExpectBadIndex;
using indextest::FileImage;

TEST(NtxHostilePages, DamagedFilesFailWith2112) {
    // clip_cost.ntx: 11-byte keys, 46 per page, root at 0x3000 over leaves from 0x400.
    const std::uint32_t root = 0x3000;
    auto item = [](std::uint32_t page, std::size_t i) { return page + ntx::ItemOffset(i, 19, 46); };
    const std::vector<Damage> damages = {
        {"child is the page itself", [&](auto& b) { bytes::PutLe32(&b[item(root, 0)], root); }},
        {"child beyond the file", [&](auto& b) { bytes::PutLe32(&b[item(root, 0)], 0x100000); }},
        {"child inside a page", [&](auto& b) { bytes::PutLe32(&b[item(root, 0)], 0x401); }},
        {"child is the header", [&](auto& b) { bytes::PutLe32(&b[item(root, 1)], 0); }},
        {"two children share a page",
         [&](auto& b) { bytes::PutLe32(&b[item(root, 1)], bytes::GetLe32(&b[item(root, 0)])); }},
        {"leaf points back up the path",
         [&](auto& b) {
             for (std::size_t i = 0; i <= 46; ++i) bytes::PutLe32(&b[item(0x400, i)], root);
         }},
        {"key count above the page", [&](auto& b) { bytes::PutLe16(&b[root], 0xFFFF); }},
        {"item offset outside the page", [&](auto& b) { bytes::PutLe16(&b[root + 2], 1020); }},
        {"item offset inside the offset table", [&](auto& b) { bytes::PutLe16(&b[root + 2], 2); }},
        {"root beyond the file", [&](auto& b) { bytes::PutLe32(&b[4], 0x7FFFFC00); }},
        {"root not a page", [&](auto& b) { bytes::PutLe32(&b[4], 0x3001); }},
        {"key length 0", [&](auto& b) { bytes::PutLe16(&b[14], 0); }},
        {"item size disagrees", [&](auto& b) { bytes::PutLe16(&b[12], 200); }},
        {"more keys than a page holds", [&](auto& b) { bytes::PutLe16(&b[18], 400); }},
        {"bad signature", [&](auto& b) { bytes::PutLe16(&b[0], 0x4242); }},
        {"truncated to the header", [&](auto& b) { b.resize(1500); }},
        {"empty file", [&](auto& b) { b.clear(); }},
    };
    const auto original = indextest::ReadFile(indextest::PeerDir() + "clip_cost.ntx");
    for (const Damage& d : damages) {
        FileImage file{original};
        d.apply(file.bytes);
        ExpectBadIndex(d.what, "BAD_COST.NTX", [&] {
            ntx::NtxWalker walker("BAD_COST.NTX", file.bytes.size(), file.Reader());
            walker.ReadHeader();
            walker.Walk([](std::string_view, std::uint32_t) {});
        });
    }
}

}  // namespace
}  // namespace xbase
