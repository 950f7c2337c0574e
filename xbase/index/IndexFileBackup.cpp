#include "xbase/index/IndexFileBackup.h"

#include "platform/OsFile.h"
#include "platform/Paths.h"
#include "xbase/file/EngineError.h"
#include "xbase/index/IndexFile.h"

namespace xbase {

IndexFileBackup::IndexFileBackup(const std::string& fullPath, IndexFile* open)
    : hostPath_(platform::ResolveHostPath(platform::ExpandFullPath(fullPath))) {
    if (open != nullptr) {
        existed_ = true;
        bytes_.resize(static_cast<std::size_t>(open->FileSize()));
        if (!bytes_.empty()) open->ReadBytes(0, bytes_.data(), bytes_.size());
        return;
    }
    if (!platform::FileExists(hostPath_)) return;
    existed_ = true;
    platform::OsFile file;
    std::uint64_t size = 0;
    int code = file.Open(hostPath_, false, true);
    if (code == 0) code = file.Size(size);
    if (code == 0) {
        bytes_.resize(static_cast<std::size_t>(size));
        std::size_t got = 0;
        code = bytes_.empty() ? 0 : file.ReadAt(0, bytes_.data(), bytes_.size(), got);
        bytes_.resize(got);  // what the file holds now, should another program have cut it
    }
    if (code != 0) {
        throw XBaseError("Cannot read index file " + fullPath + " before rebuilding it (error " +
                         std::to_string(code) + "); it is left as it is");
    }
}

int IndexFileBackup::Restore() const {
    if (!existed_) return platform::RemoveFile(hostPath_);
    platform::OsFile file;
    int code = file.Open(hostPath_, true, true);
    if (code == 0 && !bytes_.empty()) code = file.WriteAt(0, bytes_.data(), bytes_.size());
    if (code == 0) code = file.Truncate(bytes_.size());
    if (code == 0) code = file.Flush();
    return code;
}

}  // namespace xbase
