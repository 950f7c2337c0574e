// Fuzz target for compound index pages: the input is a whole ".CDX" file. The directory
// and every tag it names are read, walked both ways, searched, checked by the page
// checker and changed (an insertion and a removal); a hostile file may only end in the
// reader's fault report, never in a crash, an out-of-bounds read or an endless walk.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "xbase/file/EngineError.h"
#include "xbase/index/cdx/CdxHeader.h"
#include "xbase/index/cdx/CdxKey.h"
#include "xbase/index/cdx/CdxMemoryStore.h"
#include "xbase/index/cdx/CdxPageChecker.h"
#include "xbase/index/cdx/CdxTree.h"

namespace {

constexpr std::size_t kMaxSteps = 200000;

void Exercise(xbase::cdx::CdxMemoryStore& store, const xbase::cdx::CdxHeader& header, char type) {
    using namespace xbase::cdx;
    CdxTree tree(store, header.root, header.keyLength, PadFor(type));
    std::size_t steps = 0;
    for (CdxPosition at = tree.First(); at.Valid() && steps < kMaxSteps; tree.Next(at)) ++steps;
    for (CdxPosition at = tree.Last(); at.Valid() && steps < 2 * kMaxSteps; tree.Prior(at)) ++steps;
    std::vector<std::uint8_t> key(header.keyLength, PadFor(type));
    key[0] = 'M';
    tree.LowerBound(key.data(), 1, CdxTree::kBeforeEqual);
    tree.LowerBound(key.data(), key.size(), CdxTree::kAfterEqual);
    CheckTag(store, header.root, header.keyLength, PadFor(type), 0x7FFFFFFF);
    if (!header.generalCollation) {
        tree.Insert(key.data(), 7, 100);
        tree.Remove(key.data(), 7);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace xbase::cdx;
    if (size < kHeaderSize || size > (1u << 20)) return 0;
    xbase::cdx::CdxMemoryStore store(std::vector<std::uint8_t>(data, data + size));
    CdxHeader directory;
    if (!directory.Parse(store.Bytes().data(), store.Bytes().size()).empty()) return 0;
    std::vector<std::pair<std::uint32_t, CdxHeader>> tags;
    try {
        CdxTree names(store, directory.root, kDirectoryKeyLength, ' ');
        std::size_t steps = 0;
        for (CdxPosition at = names.First(); at.Valid() && steps < 64; names.Next(at), ++steps) {
            const std::uint32_t offset = names.RecordAt(at);
            if (std::uint64_t{offset} + kHeaderSize > store.Bytes().size()) continue;
            CdxHeader header;
            if (header.Parse(store.Bytes().data() + offset, store.Bytes().size()).empty())
                tags.emplace_back(offset, header);
        }
    } catch (const xbase::XBaseError&) {
    }
    for (const auto& [offset, header] : tags) {
        for (char type : {'C', 'N'}) {
            try {
                Exercise(store, header, type);
            } catch (const xbase::XBaseError&) {
            }
        }
    }
    return 0;
}
