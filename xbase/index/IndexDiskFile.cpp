#include "xbase/index/IndexDiskFile.h"

#include "xbase/file/EngineError.h"

namespace xbase {

void IndexDiskFile::DiskTruncate(std::uint64_t newEnd) {
    if (IsShared() && IsReadWrite() && LockNesting() > 0) {
        const int rc = Os().Truncate(newEnd);
        if (rc != 0) ReportError(rc, sub::DiskTruncate);
        return;
    }
    DiskFile::DiskTruncate(newEnd);
}

}  // namespace xbase
