// The lock map: every byte range the engine locks in a table, its memo file and its index
// files, under each lock protocol. Other xBase programs of the same family lock the same
// files at the same offsets; that is how both sides keep out of each other's way.
//
// BYTE MAP - these numbers are shared with other programs and must never change.
// A = append offset, B = file-lock base, L = file-lock length (per protocol, below);
// r = record number from 1; h = header length, n = record length of the table.
//
//   protocol               A            B            L
//   Default (0), FoxLock   0x7FFFFFFE   0x40000000   0x3FFFFFFF
//   DB4Lock (1)            0xEFFFFFFF   0x40000000   0xB0000000
//   ClipLock (2)           1000000000   1000000000   1000000000
//   4 and above            the numbers stay as they were
//
//   table append lock      A, 1
//   table file lock        B, L
//   whole-file lock        0, 0x7FFFFFFF
//   record lock, Default and FoxLock:
//       first index slot holds an index file   A - r, 1
//       no index file open                     B + h + (r - 1) * n, 1
//   record lock, DB4Lock   A - r - 1, 1
//   record lock, ClipLock  B + r, 1
//   record lock, 4+        none: the lock fails
//   memo write lock        Default, FoxLock: 0x7FFFFFFD, 1; DB4Lock: 0xEFFFFFFE, 2;
//                          ClipLock: 1000000000, 1
//   index file lock        the same range as the memo write lock, in the index file
#pragma once

#include <cstdint>
#include <optional>

namespace xbase {

enum class LockProtocol : std::uint8_t {
    Default = 0,
    DB4Lock = 1,
    ClipLock = 2,
    FoxLock = 3,
};

// True for the four protocols above; other values keep the numbers a file had.
constexpr bool IsKnownLockProtocol(LockProtocol protocol) {
    return static_cast<std::uint8_t>(protocol) <= static_cast<std::uint8_t>(LockProtocol::FoxLock);
}

// The three numbers a file keeps per protocol; record and memo ranges derive from them.
struct LockNumbers {
    std::uint64_t appendOffset = 0x7FFFFFFEu;
    std::uint64_t fileLockBase = 0x40000000u;
    std::uint64_t fileLockLength = 0x3FFFFFFFu;
};

// One locked byte range.
struct LockRange {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
    friend bool operator==(const LockRange&, const LockRange&) = default;
};

// The numbers of `protocol`; an unknown protocol keeps `current`.
LockNumbers LockNumbersFor(LockProtocol protocol, LockNumbers current);

// The table's append lock and file lock.
LockRange AppendLockRange(const LockNumbers& numbers);
LockRange FileLockRange(const LockNumbers& numbers);
// The lock over the whole file (also what DiskTruncate of a shared file requires).
LockRange WholeFileLockRange();

// Where a table's record lock lies. `indexFileOpen`: the table's first index slot holds
// an index file. `recordFileOffset`: the file offset of the record (h + (r - 1) * n).
struct RecordLockPlace {
    std::int64_t record = 0;
    bool indexFileOpen = false;
    std::uint64_t recordFileOffset = 0;
};
// The record lock's range; nullopt when the protocol has none or r is not a record number.
std::optional<LockRange> RecordLockRange(LockProtocol protocol, const LockNumbers& numbers,
                                         const RecordLockPlace& place);

// The memo file's write lock (held while a memo is written in shared mode).
LockRange MemoWriteLockRange(LockProtocol protocol, const LockNumbers& numbers);
// The index file lock (held by a record write around its key updates).
LockRange IndexFileLockRange(LockProtocol protocol, const LockNumbers& numbers);

}  // namespace xbase
