// The lock map's computations; the byte map itself is in the header.
#include "xbase/file/LockProtocol.h"

namespace xbase {

namespace {
constexpr std::uint64_t kWholeFileLength = 0x7FFFFFFFu;
}  // namespace

LockNumbers LockNumbersFor(LockProtocol protocol, LockNumbers current) {
    switch (protocol) {
        case LockProtocol::Default:
        case LockProtocol::FoxLock:
            return {0x7FFFFFFEu, 0x40000000u, 0x3FFFFFFFu};
        case LockProtocol::DB4Lock:
            return {0xEFFFFFFFu, 0x40000000u, 0xB0000000u};
        case LockProtocol::ClipLock:
            return {1000000000u, 1000000000u, 1000000000u};
    }
    return current;
}

LockRange AppendLockRange(const LockNumbers& numbers) { return {numbers.appendOffset, 1}; }

LockRange FileLockRange(const LockNumbers& numbers) {
    return {numbers.fileLockBase, numbers.fileLockLength};
}

LockRange WholeFileLockRange() { return {0, kWholeFileLength}; }

std::optional<LockRange> RecordLockRange(LockProtocol protocol, const LockNumbers& numbers,
                                         const RecordLockPlace& place) {
    if (place.record < 1) return std::nullopt;
    const std::uint64_t r = static_cast<std::uint64_t>(place.record);
    switch (protocol) {
        case LockProtocol::Default:
        case LockProtocol::FoxLock:
            if (place.indexFileOpen) {
                if (r > numbers.appendOffset) return std::nullopt;
                return LockRange{numbers.appendOffset - r, 1};
            }
            return LockRange{numbers.fileLockBase + place.recordFileOffset, 1};
        case LockProtocol::DB4Lock:
            if (r + 1 > numbers.appendOffset) return std::nullopt;
            return LockRange{numbers.appendOffset - r - 1, 1};
        case LockProtocol::ClipLock:
            return LockRange{numbers.fileLockBase + r, 1};
    }
    return std::nullopt;
}

LockRange MemoWriteLockRange(LockProtocol protocol, const LockNumbers& numbers) {
    const std::uint64_t offset =
        protocol == LockProtocol::ClipLock ? numbers.appendOffset : numbers.appendOffset - 1;
    const std::uint64_t length = protocol == LockProtocol::DB4Lock ? 2 : 1;
    return {offset, length};
}

LockRange IndexFileLockRange(LockProtocol protocol, const LockNumbers& numbers) {
    return MemoWriteLockRange(protocol, numbers);
}

}  // namespace xbase
