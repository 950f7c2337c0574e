// The disk file of an index: a DiskFile that may also be cut while its writer holds the
// index lock, which is how cooperating programs keep each other out of an index file.
#pragma once

#include <cstdint>
#include <string>

#include "xbase/file/DiskFile.h"

namespace xbase {

class IndexDiskFile : public DiskFile {
public:
    using DiskFile::DiskFile;

    // Cuts the file when it is writable and either not shared or locked by this file.
    void DiskTruncate(std::uint64_t newEnd) override;
};

}  // namespace xbase
