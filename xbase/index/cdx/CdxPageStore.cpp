#include "xbase/index/cdx/CdxPageStore.h"

#include "xbase/file/EngineError.h"

namespace xbase::cdx {

void RaiseIndexFault(const std::string& file, const std::string& detail) {
    const std::string text = file + ": " + detail;
    ReportEngineError(kIndexFault, sub::None, text);
    throw XBaseError(ComposeEngineMessage(kIndexFault, sub::None, text), kIndexFault, sub::None);
}

}  // namespace xbase::cdx
