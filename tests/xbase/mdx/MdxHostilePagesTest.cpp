// MDX files with damaged headers and nodes: every walk ends in error 2112 naming the
// file, never in a crash, a read outside the file or an endless loop.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../ntx/DamagedFiles.h"
#include "MdxTestFile.h"
#include "xbase/index/IndexBytes.h"
#include "xbase/index/mdx/MdxWalker.h"

namespace xbase {
namespace {

using indextest::Damage;
using indextest::ExpectBadIndex;
using indextest::FileImage;

TEST(MdxHostilePages, DamagedFilesFailWith2112) {
    FileImage good = indextest::MdxTestFile(3000);
    mdx::MdxWalker reader("X", good.bytes.size(), good.Reader());
    reader.ReadHeaders();
    const std::uint32_t header = reader.Entries()[0].headerPage;
    const std::uint32_t root = reader.Tags()[0].rootPage;
    const std::size_t rootAt = static_cast<std::size_t>(root) * mdx::kPageSize;
    const std::size_t entry = reader.Tags()[0].entrySize;
    const std::size_t childCount = bytes::GetLe32(&good.bytes[rootAt]) + 1;
    auto child = [&](std::size_t i) { return rootAt + mdx::kNodeEntriesAt + i * entry; };
    const std::vector<Damage> damages = {
        {"child is the node itself", [&](auto& b) { bytes::PutLe32(&b[child(0)], root); }},
        {"child in the header region", [&](auto& b) { bytes::PutLe32(&b[child(0)], 1); }},
        {"child beyond the file", [&](auto& b) { bytes::PutLe32(&b[child(0)], 0x7FFFFFFF); }},
        {"two children share a block",
         [&](auto& b) { bytes::PutLe32(&b[child(1)], bytes::GetLe32(&b[child(0)])); }},
        {"leaf points back up the path",
         [&](auto& b) {
             std::size_t leaf =
                 static_cast<std::size_t>(bytes::GetLe32(&b[child(0)])) * mdx::kPageSize;
             bytes::PutLe32(&b[leaf], 0);
             bytes::PutLe32(&b[leaf + mdx::kNodeEntriesAt], root);
         }},
        {"key count above the node", [&](auto& b) { bytes::PutLe32(&b[rootAt], 0x10000); }},
        {"tag header beyond the file",
         [&](auto& b) { bytes::PutLe32(&b[mdx::kTagTableAt + 32], 0x00FFFFFF); }},
        {"root in the header region",
         [&](auto& b) { bytes::PutLe32(&b[static_cast<std::size_t>(header) * 512], 0); }},
        {"block size 0", [&](auto& b) { bytes::PutLe16(&b[mdx::kBlockSizeAt], 0); }},
        {"tag count above the table", [&](auto& b) { bytes::PutLe16(&b[mdx::kTagCountAt], 200); }},
        {"numeric key shorter than a packed decimal",
         [&](auto& b) { b[static_cast<std::size_t>(header) * 512 + mdx::kKeyTypeAt] = 'N'; }},
        {"entry size below the key",
         [&](auto& b) { bytes::PutLe16(&b[static_cast<std::size_t>(header) * 512 + 18], 2); }},
        {"truncated", [&](auto& b) { b.resize(3000); }},
    };
    ASSERT_GE(childCount, 3u);
    for (const Damage& d : damages) {
        FileImage file{good.bytes};
        d.apply(file.bytes);
        ExpectBadIndex(d.what, "BAD.MDX", [&] {
            mdx::MdxWalker walker("BAD.MDX", file.bytes.size(), file.Reader());
            walker.ReadHeaders();
            for (std::size_t t = 0; t < walker.Tags().size(); ++t)
                walker.Walk(t, [](std::string_view, std::uint32_t) {});
        });
    }
}

}  // namespace
}  // namespace xbase
