#include "xbase/memo/MemoFile.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/Paths.h"
#include "platform/Sleep.h"
#include "xbase/file/ByteOrder.h"
#include "xbase/file/EngineError.h"

namespace xbase {

namespace {

constexpr std::uint8_t kTerminator = 0x1A;
constexpr std::uint64_t kMaxBlockNumber = std::numeric_limits<std::int32_t>::max();

std::uint64_t CeilDiv(std::uint64_t a, std::uint64_t b) { return (a + b - 1) / b; }

std::string Trim(const std::string& text) {
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// Position after the directory part of a Windows-style or host path.
std::size_t BaseNameStart(const std::string& path) {
    std::size_t sep = path.find_last_of("\\/:");
    return sep == std::string::npos ? 0 : sep + 1;
}

// Unlocks the memo write lock however the write ends.
class WriteLockHold {
public:
    explicit WriteLockHold(MemoFile& file) : file_(file) {}
    ~WriteLockHold() {
        try {
            file_.UnlockRegion();
        } catch (...) {
        }
    }
    WriteLockHold(const WriteLockHold&) = delete;
    WriteLockHold& operator=(const WriteLockHold&) = delete;

private:
    MemoFile& file_;
};

}  // namespace

std::string MemoFile::MemoFileName(const std::string& tableName, std::string_view extension) {
    std::string name = Trim(tableName);
    std::size_t base = BaseNameStart(name);
    std::size_t dot = name.find_last_of('.');
    // The extension follows the table's: "goods.dbf" has "goods.dbt", "GOODS.DBF"
    // "GOODS.DBT"; a file in another case is still found.
    bool lower = false;
    if (dot != std::string::npos && dot >= base) {
        for (std::size_t i = dot + 1; i < name.size(); ++i)
            if (name[i] >= 'a' && name[i] <= 'z') lower = true;
        name.erase(dot);
    }
    for (char c : extension)
        name += lower && c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return name;
}

MemoFile::MemoFile(const MemoOptions& options) : MemoFile(options, ".DBT") {}

MemoFile::MemoFile(const MemoOptions& options, std::string_view extension)
    : DiskFile(MemoFileName(options.tableName, extension), options.shared, options.readWrite),
      tableVersion_(options.tableVersion),
      extension_(extension) {
    if (!Existed()) {
        usable_ = false;
        ReportError(err::FileNotFound, memoinfo::Missing);
        return;
    }
    DiskOpen();
    if (IsClosed()) {
        usable_ = false;
        return;
    }
    SetLockProtocol(options.lockProtocol);
}

bool MemoFile::Refuse(int subcode) {
    ReportError(err::MemoFormat, subcode);
    return false;
}

bool MemoFile::TakeBlockSize(std::uint32_t size) {
    if (size == 0 || size > static_cast<std::uint32_t>(kMaxBlockSize)) {
        usable_ = false;
        return Refuse();
    }
    blockSize_ = static_cast<std::int32_t>(size);
    return true;
}

std::uint32_t MemoFile::FirstDataBlock() const {
    return static_cast<std::uint32_t>(CeilDiv(kHeaderArea, static_cast<std::uint64_t>(blockSize_)));
}

std::uint64_t MemoFile::HighestNewBlock() {
    return std::max<std::uint64_t>(BlocksInFile(), FirstDataBlock());
}

std::uint64_t MemoFile::BlocksInFile() {
    return CeilDiv(DiskSize(), static_cast<std::uint64_t>(blockSize_));
}

void MemoFile::ReadPadded(std::uint64_t offset, std::uint8_t* buffer, std::size_t count) {
    std::size_t got = DiskRead(offset, buffer, count);
    if (got < count) std::memset(buffer + got, 0, count - got);
}

void MemoFile::TakeBlocks(std::int32_t block, std::uint64_t count) {
    currentBlock_ = block;
    blockCount_ = static_cast<std::uint32_t>(count);
}

// ---------------------------------------------------------------- kind defaults (dBase III)

std::uint64_t MemoFile::BlocksNeeded(std::uint64_t n) const {
    return CeilDiv(n + 2, static_cast<std::uint64_t>(blockSize_));
}

void MemoFile::PutNextFree(std::uint8_t* header, std::uint32_t block) const {
    byteorder::PutLe32(header, block);
}

void MemoFile::PrepareBlockHeader(std::uint64_t /*n*/) { workHeader_.fill(0); }

bool MemoFile::Allocate(std::uint64_t n) {
    std::uint64_t needed = BlocksNeeded(n);
    if (currentBlock_ < 1 || blockCount_ < needed) {
        // Appended at the end. In every well-kept file the header's next free block is
        // the end of the file; a mark below it would overwrite memos, one beyond it points
        // at nothing, so the end of the file decides.
        std::uint8_t head[4];
        ReadPadded(0, head, sizeof head);
        std::uint64_t start = std::max<std::uint64_t>(BlocksInFile(), FirstDataBlock());
        if (start + needed > kMaxBlockNumber) return Refuse(memoinfo::TooLarge);
        std::uint64_t next = start + needed;
        PutNextFree(head, static_cast<std::uint32_t>(next));
        DiskWrite(0, head, sizeof head);
        currentBlock_ = static_cast<std::int32_t>(start);
    }
    blockCount_ = static_cast<std::uint32_t>(needed);
    PrepareBlockHeader(n);
    return true;
}

void MemoFile::ReleaseRun(std::int32_t /*block*/) {}

std::size_t MemoFile::WriteTerminator(std::uint8_t* at, std::size_t room) const {
    std::size_t count = std::min<std::size_t>(room, 2);
    std::memset(at, kTerminator, count);
    return count;
}

std::int64_t MemoFile::LengthFromHeader() const { return 0; }

bool MemoFile::CheckText(std::string_view text) {
    if (text.size() > kScanLimit) {
        RaiseTooLarge("A dBase III memo holds at most 65,519 bytes; this text has " +
                      std::to_string(text.size()));
    }
    if (text.find(static_cast<char>(kTerminator)) != std::string_view::npos) {
        RaiseTooLarge("A dBase III memo cannot hold the byte 0x1A, which ends its text");
    }
    return true;
}

void MemoFile::RaiseTooLarge(const std::string& why) {
    SetLastError(err::MemoFormat);
    throw XBaseError(why + " - " + DisplayPath(), err::MemoFormat, memoinfo::TooLarge);
}

// ---------------------------------------------------------------- lengths and reading

std::uint64_t MemoFile::ScanForTerminator(std::uint64_t start) {
    std::vector<std::uint8_t> block(static_cast<std::size_t>(blockSize_));
    std::uint64_t count = 0;
    while (true) {
        std::size_t got = DiskRead(start + count, block.data(), block.size());
        for (std::size_t i = 0; i < got; ++i) {
            if (block[i] == kTerminator) return count;
            if (++count == kScanLimit) return count;
        }
        if (got < block.size()) return count;  // the text runs to the end of the file
    }
}

bool MemoFile::FindLength(std::int32_t block, std::uint64_t& text) {
    text = 0;
    if (!usable_) return false;
    if (block == 0) return true;
    if (block < 0 || static_cast<std::uint32_t>(block) < FirstDataBlock()) return Refuse();
    std::uint64_t size = DiskSize();
    std::uint64_t start = BlockOffset(static_cast<std::uint64_t>(block));
    if (start >= size) return Refuse();
    ReadPadded(start, workHeader_.data(), workHeader_.size());
    std::int64_t total = LengthFromHeader();
    if (total < 0) return Refuse();
    if (total == 0) {
        text = ScanForTerminator(start);
        return true;
    }
    std::uint64_t whole = static_cast<std::uint64_t>(total);
    if (whole < static_cast<std::uint64_t>(blockHeaderSize_) || start + whole > size) {
        return Refuse();
    }
    text = whole - static_cast<std::uint64_t>(blockHeaderSize_);
    return true;
}

std::size_t MemoFile::ReadMemo(std::int32_t block, void* buffer, std::size_t capacity) {
    if (capacity == 0) return 0;
    auto* out = static_cast<std::uint8_t*>(buffer);
    currentBlock_ = block;
    out[0] = 0;
    if (block == 0) return 0;
    std::uint64_t text = 0;
    if (!FindLength(block, text)) return 0;
    std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(capacity, text));
    std::uint64_t start = BlockOffset(static_cast<std::uint64_t>(block)) +
                          static_cast<std::uint64_t>(blockHeaderSize_);
    std::size_t got = n > 0 ? DiskRead(start, out, n) : 0;
    if (got < capacity) out[got] = 0;
    std::uint64_t blocks = CeilDiv(static_cast<std::uint64_t>(blockHeaderSize_) + got,
                                   static_cast<std::uint64_t>(blockSize_));
    blockCount_ = static_cast<std::uint32_t>(std::min<std::uint64_t>(blocks, 0xFFFFFFFFu));
    return got;
}

std::string MemoFile::ReadMemoText(std::int32_t block) {
    std::uint32_t size = MemoSize(block);
    if (size == 0) {
        currentBlock_ = block;
        return {};
    }
    std::string text(size, '\0');
    std::size_t got = ReadMemo(block, text.data(), text.size());
    text.resize(got);
    return text;
}

std::uint32_t MemoFile::MemoSize(std::int32_t block) {
    std::uint64_t text = 0;
    if (!FindLength(block, text)) return 0;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(text, 0xFFFFFFFFu));
}

// ---------------------------------------------------------------- writing

std::int32_t MemoFile::WriteMemo(std::string_view text, std::int32_t& block) {
    if (text.empty() && block == 0) return 0;
    if (!usable_) return block;
    if (!text.empty()) {
        if (!CheckText(text)) return block;
        std::uint64_t needed = BlocksNeeded(text.size());
        if (needed > kMaxBlockCount) {
            RaiseTooLarge("A memo of " + std::to_string(text.size()) + " bytes needs " +
                          std::to_string(needed) + " blocks of " + std::to_string(blockSize_) +
                          " bytes; a memo spans at most 65,535 blocks");
        }
    }
    if (IsShared()) {
        if (!AcquireWriteLock()) {
            ReportError(LastError() != 0 ? LastError() : err::LockViolation, memoinfo::WriteLock);
            return block;
        }
        WriteLockHold hold(*this);
        block = WriteLocked(text, block);
    } else {
        block = WriteLocked(text, block);
    }
    return block;
}

std::int32_t MemoFile::WriteLocked(std::string_view text, std::int32_t block) {
    currentBlock_ = 0;
    blockCount_ = 0;
    if (block > 0) {
        std::uint64_t old = 0;
        if (FindLength(block, old)) {
            std::uint64_t total = old + static_cast<std::uint64_t>(blockHeaderSize_);
            currentBlock_ = block;
            blockCount_ = static_cast<std::uint32_t>(std::min<std::uint64_t>(
                CeilDiv(total, static_cast<std::uint64_t>(blockSize_)), 0xFFFFFFFFu));
        }
    }
    if (text.empty()) {
        // No reference stays: give the old blocks back (where the kind keeps free runs)
        // rather than writing an empty memo nobody points at.
        if (currentBlock_ > 0) ReleaseRun(currentBlock_);
        currentBlock_ = 0;
        blockCount_ = 0;
        return 0;
    }
    if (!Allocate(text.size())) return block;
    std::size_t bytes =
        static_cast<std::size_t>(blockCount_) * static_cast<std::size_t>(blockSize_);
    std::vector<std::uint8_t> buffer(bytes, 0);
    std::size_t header = static_cast<std::size_t>(blockHeaderSize_);
    std::memcpy(buffer.data(), workHeader_.data(), header);
    std::memcpy(buffer.data() + header, text.data(), text.size());
    std::size_t used = header + text.size();
    WriteTerminator(buffer.data() + used, bytes - used);
    DiskWrite(BlockOffset(static_cast<std::uint64_t>(currentBlock_)), buffer.data(), bytes);
    return currentBlock_;
}

bool MemoFile::AcquireWriteLock() {
    for (int attempt = 0; attempt < lockAttempts_; ++attempt) {
        if (LockRegion(WriteLockOffset(), WriteLockLength())) return true;
        if (attempt + 1 < lockAttempts_) platform::SleepMilliseconds(lockPauseMs_);
    }
    return false;
}

void MemoFile::SetWriteLockRetries(int attempts, int pauseMs) {
    lockAttempts_ = std::max(1, attempts);
    lockPauseMs_ = std::max(0, pauseMs);
}

// ---------------------------------------------------------------- lock protocol and rename

void MemoFile::SetLockProtocol(LockProtocol protocol) {
    if (!IsKnownLockProtocol(protocol)) return;  // unknown protocols keep the previous range
    protocol_ = protocol;
    numbers_ = LockNumbersFor(protocol, numbers_);
}

bool MemoFile::RenameWithTable(const std::string& newTableName) {
    if (!DiskRename(MemoFileName(newTableName, extension_))) return false;
    if (!RecordsNameInHeader() || !IsReadWrite()) return true;
    std::string upper = platform::UpperAscii(Trim(newTableName));
    std::string base = upper.substr(BaseNameStart(upper));
    std::size_t dot = base.find_last_of('.');
    if (dot != std::string::npos) base.erase(dot);
    std::uint8_t name[9] = {};
    std::memcpy(name, base.data(), std::min<std::size_t>(base.size(), 8));
    DiskWrite(8, name, sizeof name);
    return true;
}

}  // namespace xbase
