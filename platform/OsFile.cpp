// POSIX implementation of OsFile: open/create with flock() share modes, positioned
// reads and writes, and open-file-description byte-range locks.
#include "platform/OsFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>

#include "platform/ErrorCode.h"

namespace platform {

namespace {

constexpr std::uint64_t kMaxOffset = static_cast<std::uint64_t>(INT64_MAX);

// True when the directory part of `path` is an existing directory (a path without a
// directory part lies in the current directory, which exists).
bool ParentDirectoryExists(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return !path.empty();
    if (slash == 0) return true;
    struct stat st {};
    return ::stat(path.substr(0, slash).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The Windows code for a failed open or create: a missing file is 2 when its directory
// exists and 3 when the directory itself is missing.
int OpenError(int err, const std::string& path) {
    if (err == ENOENT) return ParentDirectoryExists(path) ? errc::FileNotFound : errc::PathNotFound;
    return WindowsErrorFromErrno(err);
}

// Takes the share-mode lock without waiting; EINTR is retried.
bool TakeShareLock(int fd, bool shared) {
    const int op = (shared ? LOCK_SH : LOCK_EX) | LOCK_NB;
    for (;;) {
        if (::flock(fd, op) == 0) return true;
        if (errno != EINTR) return false;
    }
}

void CloseFd(int fd) {
    // POSIX leaves the descriptor state unspecified after EINTR; Linux always closes it,
    // so close() is never repeated.
    ::close(fd);
}

// A region as a struct flock; false when it cannot be expressed in 64-bit off_t.
bool MakeRegion(struct flock& fl, short type, std::uint64_t offset, std::uint64_t length) {
    static_assert(sizeof(off_t) == 8, "byte-range locks need a 64-bit off_t");
    if (offset > kMaxOffset || length > kMaxOffset - offset) return false;
    fl = {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(offset);
    fl.l_len = static_cast<off_t>(length);
    fl.l_pid = 0;  // required to be 0 for open-file-description locks
    return true;
}

}  // namespace

OsFile::~OsFile() { Close(); }

OsFile::OsFile(OsFile&& other) noexcept : fd_(other.fd_), writable_(other.writable_) {
    other.fd_ = -1;
}

OsFile& OsFile::operator=(OsFile&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = other.fd_;
        writable_ = other.writable_;
        other.fd_ = -1;
    }
    return *this;
}

int OsFile::Open(const std::string& hostPath, bool readWrite, bool shared) {
    Close();
    int fd;
    // Non-blocking, so that opening a named pipe or a device never waits for a partner;
    // anything but a regular file is then refused before it is read.
    do {
        fd = ::open(hostPath.c_str(), (readWrite ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return OpenError(errno, hostPath);

    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const bool directory = S_ISDIR(st.st_mode);
        CloseFd(fd);
        // Windows opens no directory as a file: access denied.
        return directory ? errc::AccessDenied : errc::CantAccessFile;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!TakeShareLock(fd, shared)) {
        const int err = errno;
        CloseFd(fd);
        return err == EWOULDBLOCK ? errc::SharingViolation : WindowsErrorFromErrno(err);
    }
    fd_ = fd;
    writable_ = readWrite;
    return 0;
}

int OsFile::Create(const std::string& hostPath) {
    // Like CreateFile(CREATE_ALWAYS) without sharing: the file is emptied only when
    // nobody else has it open, so a table in use elsewhere is never cut under its users.
    int fd;
    do {
        fd = ::open(hostPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return OpenError(errno, hostPath);
    int result = 0;
    if (!TakeShareLock(fd, false)) {
        result = errno == EWOULDBLOCK ? errc::SharingViolation : WindowsErrorFromErrno(errno);
    } else {
        int rc;
        do {
            rc = ::ftruncate(fd, 0);
        } while (rc != 0 && errno == EINTR);
        if (rc != 0) result = WindowsErrorFromErrno(errno);
    }
    CloseFd(fd);
    return result;
}

void OsFile::Close() {
    if (fd_ < 0) return;
    // Closing the last descriptor of the open file description releases its flock() and
    // its OFD locks; other OsFile objects on the same file keep theirs.
    CloseFd(fd_);
    fd_ = -1;
    writable_ = false;
}

int OsFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t count, std::size_t& got) {
    got = 0;
    if (fd_ < 0) return errc::InvalidHandle;
    if (offset > kMaxOffset) return errc::InvalidParameter;
    auto* out = static_cast<char*>(buffer);
    while (got < count) {
        const ssize_t n = ::pread(fd_, out + got, count - got, static_cast<off_t>(offset + got));
        if (n > 0) {
            got += static_cast<std::size_t>(n);
        } else if (n == 0) {
            break;  // end of file: a short read, reported through `got`
        } else if (errno != EINTR) {
            return WindowsErrorFromErrno(errno);
        }
    }
    return 0;
}

int OsFile::WriteAt(std::uint64_t offset, const void* buffer, std::size_t count) {
    if (fd_ < 0) return errc::InvalidHandle;
    if (offset > kMaxOffset || count > kMaxOffset - offset) return errc::InvalidParameter;
    const auto* in = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::pwrite(fd_, in + done, count - done, static_cast<off_t>(offset + done));
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n == 0) {
            return errc::DiskFull;  // no progress and no error: the device takes no more
        } else if (errno != EINTR) {
            return WindowsErrorFromErrno(errno);
        }
    }
    return 0;
}

int OsFile::Size(std::uint64_t& out) {
    out = 0;
    if (fd_ < 0) return errc::InvalidHandle;
    // Seeking to the end reads the size at about half the cost of fstat(); the file
    // position itself is never used (all transfers are positioned).
    const off_t end = ::lseek(fd_, 0, SEEK_END);
    if (end < 0) return WindowsErrorFromErrno(errno);
    out = static_cast<std::uint64_t>(end);
    return 0;
}

int OsFile::Flush() {
    if (fd_ < 0) return errc::InvalidHandle;
    if (!writable_) return 0;  // nothing of ours to write back
    int rc;
    do {
        rc = ::fdatasync(fd_);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0 && errno == EINVAL) {
        // Special files that cannot sync data alone.
        do {
            rc = ::fsync(fd_);
        } while (rc != 0 && errno == EINTR);
        if (rc != 0 && errno == EINVAL) return 0;
    }
    return rc == 0 ? 0 : WindowsErrorFromErrno(errno);
}

int OsFile::Truncate(std::uint64_t length) {
    if (fd_ < 0) return errc::InvalidHandle;
    if (length > kMaxOffset) return errc::InvalidParameter;
    int rc;
    do {
        rc = ::ftruncate(fd_, static_cast<off_t>(length));
    } while (rc != 0 && errno == EINTR);
    if (rc != 0)
        return errno == EINVAL || errno == EBADF ? errc::AccessDenied
                                                 : WindowsErrorFromErrno(errno);
    return 0;
}

int OsFile::Lock(std::uint64_t offset, std::uint64_t length) {
    if (fd_ < 0) return errc::InvalidHandle;
    // A zero-length region locks nothing (fcntl would read length 0 as "to the end").
    if (length == 0) return 0;
    struct flock fl;
    // A read-only descriptor cannot hold a write lock; it takes a read lock, which still
    // excludes every writer's lock on the region.
    if (!MakeRegion(fl, writable_ ? F_WRLCK : F_RDLCK, offset, length))
        return errc::InvalidParameter;
    for (;;) {
        if (::fcntl(fd_, F_OFD_SETLK, &fl) == 0) return 0;
        const int err = errno;
        if (err == EINTR) continue;
        if (err == EAGAIN || err == EACCES) return errc::LockViolation;
        return WindowsErrorFromErrno(err);
    }
}

int OsFile::Unlock(std::uint64_t offset, std::uint64_t length) {
    if (fd_ < 0) return errc::InvalidHandle;
    if (length == 0) return 0;
    struct flock fl;
    if (!MakeRegion(fl, F_UNLCK, offset, length)) return errc::InvalidParameter;
    for (;;) {
        if (::fcntl(fd_, F_OFD_SETLK, &fl) == 0) return 0;
        if (errno != EINTR) return WindowsErrorFromErrno(errno);
    }
}

bool FileExists(const std::string& hostPath) {
    struct stat st {};
    return ::stat(hostPath.c_str(), &st) == 0;
}

int RenameFile(const std::string& fromHostPath, const std::string& toHostPath) {
    // MoveFile never replaces an existing target.
    int rc =
        ::renameat2(AT_FDCWD, fromHostPath.c_str(), AT_FDCWD, toHostPath.c_str(), RENAME_NOREPLACE);
    if (rc != 0 && (errno == EINVAL || errno == ENOSYS)) {
        // File systems without RENAME_NOREPLACE: check, then rename.
        if (FileExists(toHostPath)) return errc::AlreadyExists;
        rc = ::rename(fromHostPath.c_str(), toHostPath.c_str());
    }
    if (rc == 0) return 0;
    const int err = errno;
    if (err == ENOENT) {
        if (!FileExists(fromHostPath)) return OpenError(err, fromHostPath);
        return errc::PathNotFound;  // the target's directory is missing
    }
    return WindowsErrorFromErrno(err);
}

int ReplaceFile(const std::string& fromHostPath, const std::string& toHostPath) {
    if (::rename(fromHostPath.c_str(), toHostPath.c_str()) == 0) return 0;
    return WindowsErrorFromErrno(errno);
}

int RemoveFile(const std::string& hostPath) {
    if (::unlink(hostPath.c_str()) == 0) return 0;
    return WindowsErrorFromErrno(errno);
}

int WindowsErrorFromErrno(int err) {
    switch (err) {
        case 0:
            return 0;
        case ENOENT:
            return errc::FileNotFound;
        case ENXIO:  // a pipe or device without a partner
            return errc::CantAccessFile;
        case ENOTDIR:
            return errc::PathNotFound;
        case EMFILE:
        case ENFILE:
            return errc::TooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
        case ETXTBSY:
            return errc::AccessDenied;
        case EBADF:
            return errc::InvalidHandle;
        case ENOMEM:
            return errc::NotEnoughMemory;
        case EXDEV:
            return 17;  // not the same device
        case EIO:
            return 23;  // data error
        case EBUSY:
            return errc::SharingViolation;
        case EAGAIN:
            return errc::LockViolation;
        case ENOLCK:
            return 36;  // sharing buffer exceeded: no lock records left
        case EINVAL:
            return errc::InvalidParameter;
        case ENOSPC:
        case EDQUOT:
            return errc::DiskFull;
        case ENOTEMPTY:
            return 145;  // directory not empty
        case EEXIST:
            return errc::AlreadyExists;
        case ENAMETOOLONG:
            return 206;  // file name too long
        case EFBIG:
            return 223;  // file too large
        default:
            return 31;  // a device attached to the system is not functioning
    }
}

}  // namespace platform
