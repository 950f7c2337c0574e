// One disk file of the engine: naming, open modes, positioned reads and writes, flush,
// rename, truncate, failure reports, and the single byte-range lock region a file holds.
//
// Tables and memo files derive from this class; index files own one. Every open file is
// registered in the process-wide OpenFileList so that unloading the library gives back its
// locks and closes it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/OsFile.h"

namespace xbase {

// Code of the last failure any engine file recorded on this thread (the engine's
// counterpart of the system's last-error value).
int LastEngineFileError();
void SetLastEngineFileError(int code);

class DiskFile {
public:
    // `name` is a Windows-style or host path; it is expanded to a full path, kept in upper
    // case for comparisons (FullPath) and in the case given for finding the file and for
    // messages (DisplayPath): a file whose name matches exactly wins over one that matches
    // only without regard to case. The file is not opened.
    DiskFile(const std::string& name, bool shared, bool readWrite);
    virtual ~DiskFile();
    DiskFile(const DiskFile&) = delete;
    DiskFile& operator=(const DiskFile&) = delete;

    virtual bool DiskClose();
    // Records `code` as last error and passes the report to the engine's error routine
    // with the file's path, as given, as text.
    virtual void ReportError(int code, int subcode);
    // The same with `detail` after the path.
    void ReportError(int code, int subcode, const std::string& detail);
    virtual std::uint64_t DiskSize();
    virtual void DiskFlush();
    // Locks the whole file (offset 0, length 0x7FFFFFFF) when the file is shared.
    virtual bool LockWholeFileIfShared();
    virtual bool LockRegion(std::uint64_t offset, std::uint64_t length);
    // Reads up to `count` bytes at `offset`; a short read raises nothing and leaves the
    // last error at 221.
    virtual std::size_t DiskRead(std::uint64_t offset, void* buffer, std::size_t count);
    virtual bool DiskRename(const std::string& newName);
    virtual void DiskOpen();
    virtual void DiskCreate();
    // Reports the last error with `subcode` when it is not 0.
    virtual void ReportStatus(int subcode);
    virtual void DiskTruncate(std::uint64_t newEnd);
    virtual bool UnlockRegion();
    virtual void DiskWrite(std::uint64_t offset, const void* buffer, std::size_t count);

    const std::string& FullPath() const { return fullPath_; }
    // The full path in the case the caller gave it.
    const std::string& DisplayPath() const { return displayPath_; }
    const std::string& HostPath() const { return hostPath_; }
    bool IsClosed() const { return closed_; }
    bool Existed() const { return exists_; }
    bool IsShared() const { return shared_; }
    bool IsReadWrite() const { return readWrite_; }
    int LastError() const { return lastError_; }
    void SetLastError(int code) { lastError_ = code; }
    std::uint64_t Position() const { return position_; }
    std::size_t BytesMoved() const { return bytesMoved_; }
    bool Written() const { return written_; }

    // Lock state: the held region and its nesting count (0 when nothing is held).
    int LockNesting() const { return lockNesting_; }
    std::uint64_t LockedOffset() const { return lockOffset_; }
    std::uint64_t LockedLength() const { return lockLength_; }
    bool HoldsRegion(std::uint64_t offset, std::uint64_t length) const {
        return lockNesting_ > 0 && lockOffset_ == offset && lockLength_ == length;
    }

    // Library unload: gives back a held region and closes the handle without reporting.
    void ReleaseAtUnload();

protected:
    // Adds one nesting level to the held lock without any system call (used by table
    // locks inside a file lock).
    void NestLock() { ++lockNesting_; }
    platform::OsFile& Os() { return os_; }

private:
    void Fail(int code, int subcode);

    std::string fullPath_;
    std::string displayPath_;
    std::string hostPath_;
    platform::OsFile os_;
    bool closed_ = true;
    bool exists_ = false;
    bool shared_;
    bool readWrite_;
    int lastError_ = 0;
    std::uint64_t position_ = 0;
    std::size_t bytesMoved_ = 0;
    bool written_ = false;
    std::uint64_t lockOffset_ = 0;
    std::uint64_t lockLength_ = 0;
    int lockNesting_ = 0;
};

}  // namespace xbase
