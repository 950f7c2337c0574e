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
#include "xbase/file/LockProtocol.h"

namespace xbase {

// Code of the last failure any engine file recorded on this thread (the engine's
// counterpart of the system's last-error value).
int LastEngineFileError();
void SetLastEngineFileError(int code);

class DiskFile {
public:
    // Operations that REPORT pass a failure through ReportError (the engine's error
    // routine, which throws XBaseError unless a hook that returns is installed); those
    // that RETURN give a result and leave the system's code in LastError() without any
    // report. Either way LastError() holds the last failure's code (0 after success).

    // `name` is a Windows-style or host path; it is expanded once, here, to a full path,
    // kept in upper case for comparisons (FullPath) and in the case given for finding the
    // file and for messages (DisplayPath): a file whose name matches exactly wins over one
    // that matches only without regard to case. The file is not opened; the object owns
    // the handle from DiskOpen to DiskClose.
    DiskFile(const std::string& name, bool shared, bool readWrite);
    // Closes the file (held locks are given back); never reports.
    virtual ~DiskFile();
    DiskFile(const DiskFile&) = delete;
    DiskFile& operator=(const DiskFile&) = delete;

    // Gives back a held lock region and closes the handle; RETURNS true, never reports.
    virtual bool DiskClose();
    // Records `code` as the last error (here and for the thread) and REPORTS it with
    // `subcode` and the file's path, as given, as text: the one error route of every disk file.
    virtual void ReportError(int code, int subcode);
    // The same with `detail` after the path.
    void ReportError(int code, int subcode, const std::string& detail);
    // The file's size now (others may have grown it); REPORTS (subcode 1105), then 0.
    virtual std::uint64_t DiskSize();
    // Asks the system to write the file's data to the disk; REPORTS (1111). Closed: no-op.
    virtual void DiskFlush();
    // Locks the whole file (the lock map's whole-file range) when the file is shared;
    // RETURNS false when refused.
    virtual bool LockWholeFileIfShared();
    // Locks [offset, offset + length); RETURNS false when refused (33 for a second region
    // while one is held, else the system's code). The same region again only nests.
    // An unshared file takes no system lock and always succeeds.
    virtual bool LockRegion(std::uint64_t offset, std::uint64_t length);
    bool LockRegion(const LockRange& range) { return LockRegion(range.offset, range.length); }
    // Reads up to `count` bytes at `offset` into `buffer` (owned by the caller) and
    // returns how many arrived. A failed read REPORTS (1101); a short read (at or past
    // the end) RETURNS the count and leaves the last error at err::ShortRead.
    virtual std::size_t DiskRead(std::uint64_t offset, void* buffer, std::size_t count);
    // Closes, renames the file to `newName` (expanded like the constructor's name) and
    // reopens it; REPORTS a failed rename (1106) and then returns false.
    virtual bool DiskRename(const std::string& newName);
    // Opens the existing file with the object's modes; REPORTS failure (1107; 2 when the
    // file is missing, 3 when its directory is, 32 when the share mode is refused).
    virtual void DiskOpen();
    // Creates the file anew (an existing one is emptied) and opens it; REPORTS (1108).
    virtual void DiskCreate();
    // REPORTS the last error with `subcode` when there is one.
    virtual void ReportStatus(int subcode);
    // Cuts the file at `newEnd`. Requires: read-write, and unshared or holding the
    // whole-file lock, else REPORTS 5 (1109); a system failure REPORTS too.
    virtual void DiskTruncate(std::uint64_t newEnd);
    // Gives back one nesting level of the held region; RETURNS false when the system
    // refuses (the count stays).
    virtual bool UnlockRegion();
    // Writes `count` bytes of `buffer` at `offset`; REPORTS failure (1102).
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
    bool HoldsRegion(const LockRange& range) const {
        return HoldsRegion(range.offset, range.length);
    }

    // Library unload: gives back a held region and closes the handle without reporting.
    void ReleaseAtUnload();

protected:
    // Adds one nesting level to the held lock without any system call (used by table
    // locks inside a file lock).
    void NestLock() { ++lockNesting_; }
    platform::OsFile& Os() { return os_; }

private:
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
