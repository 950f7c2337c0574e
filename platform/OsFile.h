// One open host file with Windows-style share modes and non-blocking byte-range locks.
//
// Share modes are emulated with flock(): a shared open takes LOCK_SH, an exclusive open
// LOCK_EX, both non-blocking, so an exclusive open fails while anyone has the file open
// and the other way round. Byte-range locks are open-file-description locks (F_OFD_SETLK)
// at exactly the offsets given: they belong to this open file like Windows locks do and
// conflict with the classic fcntl() locks of other xBase programs on the same host.
// A file opened read-only takes read locks (the system grants write locks only to
// writable descriptors): they still exclude every write lock on the region.
// A zero-length region locks nothing. Nothing blocks: a refused lock returns 33 at once.
//
// Every operation returns 0 on success or a Windows error code (2 file not found,
// 3 path not found, 5 access denied, 32 sharing violation, 33 lock violation, ...),
// which the engine turns into its own messages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

class OsFile {
public:
    OsFile() = default;
    ~OsFile();
    OsFile(const OsFile&) = delete;
    OsFile& operator=(const OsFile&) = delete;
    OsFile(OsFile&& other) noexcept;
    OsFile& operator=(OsFile&& other) noexcept;

    // Opens an existing file (hostPath is a real POSIX path). 2 when the file is missing,
    // 3 when its directory is, 5 for a directory or no permission, 32 when the share
    // mode is refused. A failed open leaves the object closed.
    int Open(const std::string& hostPath, bool readWrite, bool shared);
    // Creates the file anew (an existing one is emptied, mode 0666 less the umask) and
    // leaves it closed; 32 when someone has the file open.
    static int Create(const std::string& hostPath);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }

    // Reads up to count bytes at offset; `got` receives how many arrived (short at EOF).
    int ReadAt(std::uint64_t offset, void* buffer, std::size_t count, std::size_t& got);
    int WriteAt(std::uint64_t offset, const void* buffer, std::size_t count);
    // Current size of the file (as other processes may have extended it).
    int Size(std::uint64_t& out);
    // Writes the file's data to the disk (fdatasync); nothing to do when read-only.
    int Flush();
    int Truncate(std::uint64_t length);

    // Non-blocking write lock of [offset, offset + length); 33 when another holder has it.
    int Lock(std::uint64_t offset, std::uint64_t length);
    int Unlock(std::uint64_t offset, std::uint64_t length);

    int Fd() const { return fd_; }

private:
    int fd_ = -1;
    bool writable_ = false;
};

// True when the file's attributes can be read.
bool FileExists(const std::string& hostPath);
// Renames a file like MoveFile: an existing target is never replaced (183); 0 or a
// Windows error code.
int RenameFile(const std::string& fromHostPath, const std::string& toHostPath);
// Puts a file in place of another in one step (MoveFileEx with replace-existing): the
// target, when it exists, is replaced whole; 0 or a Windows error code.
int ReplaceFile(const std::string& fromHostPath, const std::string& toHostPath);
// Removes a file (DeleteFile); 0, or a Windows error code (2 when there is none).
int RemoveFile(const std::string& hostPath);
// Maps an errno value to the nearest Windows error code.
int WindowsErrorFromErrno(int err);

}  // namespace platform
