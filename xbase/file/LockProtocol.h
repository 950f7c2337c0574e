// Lock protocols: which byte ranges a table, its memo file and its index files lock, so
// that other xBase programs of the same family see the same locks.
#pragma once

#include <cstdint>

namespace xbase {

enum class LockProtocol : std::uint8_t {
    Default = 0,
    DB4Lock = 1,
    ClipLock = 2,
    FoxLock = 3,
};

// The three numbers a table keeps per protocol: the append-lock offset, the base of the
// file lock and its length. Record-lock offsets are derived from them.
struct LockNumbers {
    std::uint64_t appendOffset = 0x7FFFFFFEu;
    std::uint64_t fileLockBase = 0x40000000u;
    std::uint64_t fileLockLength = 0x3FFFFFFFu;
};

// The numbers of protocol ordinal `protocol`; ordinals 4 and above keep `current`.
constexpr LockNumbers LockNumbersFor(int protocol, LockNumbers current) {
    switch (protocol) {
        case 0:
        case 3:
            return {0x7FFFFFFEu, 0x40000000u, 0x3FFFFFFFu};
        case 1:
            return {0xEFFFFFFFu, 0x40000000u, 0xB0000000u};
        case 2:
            return {1000000000u, 1000000000u, 1000000000u};
        default:
            return current;
    }
}

// The region an index file locks for a write, by protocol ordinal (ordinals 4 and above
// lock as Default):
//   Default (0), FoxLock (3): 1 byte at 0x7FFFFFFD
//   DB4Lock (1):              2 bytes at 0xEFFFFFFE
//   ClipLock (2):             1 byte at 1,000,000,000
struct IndexLockRange {
    std::uint64_t offset;
    std::uint64_t length;
};

constexpr IndexLockRange IndexLockRangeFor(int protocol) {
    switch (protocol) {
        case 1:
            return {0xEFFFFFFEu, 2};
        case 2:
            return {1000000000u, 1};
        default:
            return {0x7FFFFFFDu, 1};
    }
}

// Region of the lock over the whole file.
constexpr std::uint64_t kWholeFileLockLength = 0x7FFFFFFFu;

}  // namespace xbase
