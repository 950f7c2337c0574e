#include "xbase/index/cdx/CdxPageStore.h"

#include "xbase/file/EngineError.h"
#include "xbase/index/cdx/CdxFormat.h"

namespace xbase::cdx {

void RaiseIndexFault(const std::string& file, const std::string& detail) {
    const std::string text = file + ": " + detail;
    ReportEngineError(kIndexFault, sub::None, text);
    throw XBaseError(ComposeEngineMessage(kIndexFault, sub::None, text), kIndexFault, sub::None);
}

std::size_t CdxPageStore::ReadPages(std::uint32_t offset, std::uint8_t* pages, std::size_t count) {
    std::size_t read = 0;
    for (std::uint64_t at = offset; read < count && (read == 0 || at + kPageSize <= PageLimit());
         at += kPageSize, ++read)
        ReadPage(static_cast<std::uint32_t>(at), pages + read * kPageSize);
    return read;
}

}  // namespace xbase::cdx
