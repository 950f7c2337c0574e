// The bytes an index file held before a tag is built into it, so that a build that fails
// (a key expression that does not compile, a key too long for the format, a disk error)
// puts the file back exactly as it was, or removes the file the build made.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace xbase {

class IndexFile;

class IndexFileBackup {
public:
    // Keeps the whole file at `fullPath` (the engine's full path of the index file), or
    // notes that there is none. `open` is this process's open IndexFile of that path, if
    // any: the bytes are read through it, since a second open would be refused by the share
    // mode. RAISES XBaseError when an existing file cannot be read: then nothing may be
    // touched.
    IndexFileBackup(const std::string& fullPath, IndexFile* open);

    // Writes the kept bytes back and cuts the file to their length, or removes the file
    // when there was none. REQUIRES that this process has the file closed. RETURNS 0 or a
    // Windows error code (the caller reports the build's own error first).
    int Restore() const;

private:
    std::string hostPath_;
    bool existed_ = false;
    std::vector<std::uint8_t> bytes_;
};

}  // namespace xbase
