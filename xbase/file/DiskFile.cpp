#include "xbase/file/DiskFile.h"

#include "platform/Paths.h"
#include "xbase/file/EngineError.h"
#include "xbase/file/LockProtocol.h"
#include "xbase/file/OpenFileList.h"

namespace xbase {

namespace {
thread_local int t_lastFileError = 0;
}  // namespace

int LastEngineFileError() { return t_lastFileError; }
void SetLastEngineFileError(int code) { t_lastFileError = code; }

DiskFile::DiskFile(const std::string& name, bool shared, bool readWrite)
    : fullPath_(platform::ExpandFullPath(name)),
      displayPath_(platform::ExpandPath(name)),
      hostPath_(platform::ResolveHostPath(displayPath_)),
      shared_(shared),
      readWrite_(readWrite) {
    exists_ = platform::FileExists(hostPath_);
}

DiskFile::~DiskFile() {
    try {
        DiskFile::DiskClose();
    } catch (...) {
        // Closing never reports; nothing can be done about a failure here.
    }
}

void DiskFile::ReportError(int code, int subcode) {
    lastError_ = code;
    SetLastEngineFileError(code);
    ReportEngineError(code, subcode, displayPath_);
}

void DiskFile::ReportError(int code, int subcode, const std::string& detail) {
    lastError_ = code;
    SetLastEngineFileError(code);
    ReportEngineError(code, subcode, displayPath_ + detail);
}

void DiskFile::ReportStatus(int subcode) {
    if (lastError_ != 0) ReportError(lastError_, subcode);
}

void DiskFile::DiskOpen() {
    // The drive mapping may have changed since construction: find the file again.
    hostPath_ = platform::ResolveHostPath(displayPath_);
    int rc = os_.Open(hostPath_, readWrite_, shared_);
    if (rc != 0) {
        ReportError(rc, sub::DiskOpen);
        return;
    }
    exists_ = true;
    lastError_ = 0;
    position_ = 0;
    closed_ = false;
    OpenFileList::Add(this);
}

void DiskFile::DiskCreate() {
    hostPath_ = platform::ResolveHostPath(displayPath_);
    int rc = platform::OsFile::Create(hostPath_);
    if (rc != 0) {
        ReportError(rc, sub::DiskCreate);
        return;
    }
    DiskOpen();
}

bool DiskFile::DiskClose() {
    if (closed_) return true;
    if (lockNesting_ > 0) {
        lockNesting_ = 1;
        UnlockRegion();
        lockNesting_ = 0;
    }
    lastError_ = 0;
    OpenFileList::Remove(this);
    os_.Close();
    closed_ = true;
    position_ = 0;
    return true;
}

void DiskFile::ReleaseAtUnload() {
    if (closed_) return;
    if (lockNesting_ > 0 && shared_) os_.Unlock(lockOffset_, lockLength_);
    lockNesting_ = 0;
    os_.Close();
    closed_ = true;
    position_ = 0;
}

std::size_t DiskFile::DiskRead(std::uint64_t offset, void* buffer, std::size_t count) {
    std::size_t got = 0;
    int rc = os_.ReadAt(offset, buffer, count, got);
    if (rc != 0) {
        bytesMoved_ = 0;
        ReportError(rc, sub::DiskRead);
        return 0;
    }
    bytesMoved_ = got;
    position_ = offset + got;
    if (got < count) {
        lastError_ = err::ShortRead;
    } else {
        lastError_ = 0;
    }
    return got;
}

void DiskFile::DiskWrite(std::uint64_t offset, const void* buffer, std::size_t count) {
    int rc = os_.WriteAt(offset, buffer, count);
    if (rc != 0) {
        bytesMoved_ = 0;
        ReportError(rc, sub::DiskWrite);
        return;
    }
    bytesMoved_ = count;
    position_ = offset + count;
    written_ = true;
    lastError_ = 0;
}

std::uint64_t DiskFile::DiskSize() {
    std::uint64_t size = 0;
    int rc = os_.Size(size);
    if (rc != 0) {
        ReportError(rc, sub::DiskSize);
        return 0;
    }
    position_ = size;
    return size;
}

void DiskFile::DiskFlush() {
    if (closed_) return;
    int rc = os_.Flush();
    if (rc != 0) {
        ReportError(rc, sub::DiskFlush);
        return;
    }
    written_ = false;
}

bool DiskFile::DiskRename(const std::string& newName) {
    DiskClose();
    std::string newFull = platform::ExpandFullPath(newName);
    std::string newDisplay = platform::ExpandPath(newName);
    std::string newHost = platform::ResolveHostPath(newDisplay);
    int rc = platform::RenameFile(hostPath_, newHost);
    if (rc != 0) {
        ReportError(rc, sub::DiskRename);
        return false;
    }
    fullPath_ = newFull;
    displayPath_ = newDisplay;
    hostPath_ = newHost;
    DiskOpen();
    return true;
}

void DiskFile::DiskTruncate(std::uint64_t newEnd) {
    bool allowed = readWrite_ && (!shared_ || HoldsRegion(WholeFileLockRange()));
    if (!allowed) {
        ReportError(err::AccessDenied, sub::DiskTruncate);
        return;
    }
    int rc = os_.Truncate(newEnd);
    if (rc != 0) {
        ReportError(rc, sub::DiskTruncate);
        return;
    }
    position_ = newEnd;
}

bool DiskFile::LockWholeFileIfShared() {
    if (!shared_) return true;
    return LockRegion(WholeFileLockRange());
}

bool DiskFile::LockRegion(std::uint64_t offset, std::uint64_t length) {
    if (!shared_) {
        lockOffset_ = offset;
        lockLength_ = length;
        ++lockNesting_;
        lastError_ = 0;
        return true;
    }
    if (lockNesting_ > 0) {
        if (lockOffset_ == offset && lockLength_ == length) {
            ++lockNesting_;
            lastError_ = 0;
            return true;
        }
        lastError_ = err::LockViolation;
        SetLastEngineFileError(lastError_);
        return false;
    }
    int rc = os_.Lock(offset, length);
    if (rc != 0) {
        lastError_ = rc;
        SetLastEngineFileError(rc);
        return false;
    }
    lockOffset_ = offset;
    lockLength_ = length;
    lockNesting_ = 1;
    lastError_ = 0;
    return true;
}

bool DiskFile::UnlockRegion() {
    if (lockNesting_ <= 0) return true;
    if (lockNesting_ == 1 && shared_) {
        int rc = os_.Unlock(lockOffset_, lockLength_);
        if (rc != 0) {
            lastError_ = rc;
            SetLastEngineFileError(rc);
            return false;
        }
    }
    --lockNesting_;
    return true;
}

}  // namespace xbase
