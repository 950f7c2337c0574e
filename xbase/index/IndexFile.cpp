#include "xbase/index/IndexFile.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "xbase/file/EngineError.h"
#include "xbase/file/LockProtocol.h"
#include "xbase/file/NameText.h"
#include "xbase/index/PageCache.h"
#include "xbase/table/DbfFile.h"

namespace xbase {

IndexFile::IndexFile(DbfFile& table, const std::string& path)
    : table_(table),
      disk_(path, table.IsShared(), table.IsReadWrite()),
      protocol_(table.LockProtocolValue()) {
    const std::string& full = disk_.FullPath();
    std::size_t slash = full.find_last_of("\\/:");
    shortName_ = slash == std::string::npos ? full : full.substr(slash + 1);
}

IndexFile::~IndexFile() {
    try {
        ReleaseTags();
    } catch (...) {
        // A destructor cannot report; the file keeps what was written before.
    }
    while (lockDepth_ > 0) Unlock();
}

std::string IndexFile::BaseName() const {
    std::size_t dot = shortName_.rfind('.');
    return dot == std::string::npos ? shortName_ : shortName_.substr(0, dot);
}

IndexTag* IndexFile::FindTag(const std::string& name) const {
    const std::string wanted = UpperTrimmed(name);
    for (const auto& tag : tags_) {
        if (tag->Name() == wanted) return tag.get();
    }
    return nullptr;
}

void IndexFile::RecordWritten(const RecordWrite& write) {
    for (const auto& tag : tags_) tag->RecordWritten(write);
}

bool IndexFile::ChangedByAnotherUser() { return disk_.IsShared(); }

void IndexFile::SetLockProtocol(LockProtocol protocol) {
    if (IsKnownLockProtocol(protocol) && lockDepth_ == 0) protocol_ = protocol;
}

void IndexFile::ReleaseTags() {
    for (const auto& tag : tags_) tag->Release();
}

void IndexFile::DiscardTags() {
    for (const auto& tag : tags_) tag->Discard();
}

void IndexFile::ForEachRecord(const std::function<void(std::uint32_t recNo)>& visit) {
    const std::int32_t count = table_.RecordCount();
    const std::size_t length = static_cast<std::size_t>(table_.RecordLength());
    if (count <= 0 || length == 0) return;
    constexpr std::size_t kChunkBytes = 1 << 16;
    const std::size_t perChunk = std::max<std::size_t>(1, kChunkBytes / length);
    std::vector<std::uint8_t> chunk(perChunk * length + 1, ' ');
    std::uint8_t* const previous = table_.RecordBuffer();
    try {
        for (std::int32_t first = 1; first <= count;) {
            const std::size_t want =
                std::min<std::size_t>(perChunk, static_cast<std::size_t>(count - first + 1));
            const std::uint64_t offset = static_cast<std::uint64_t>(table_.HeaderLength()) +
                                         static_cast<std::uint64_t>(first - 1) * length;
            const std::size_t got = table_.DiskRead(offset, chunk.data(), want * length) / length;
            for (std::size_t i = 0; i < got; ++i) {
                table_.UseRecordBuffer(chunk.data() + i * length);
                visit(static_cast<std::uint32_t>(first) + static_cast<std::uint32_t>(i));
            }
            if (got < want) break;
            first += static_cast<std::int32_t>(want);
            if (progress) progress(count, first - 1, 0);
        }
    } catch (...) {
        table_.UseRecordBuffer(previous);
        throw;
    }
    table_.UseRecordBuffer(previous);
}

// ---------------------------------------------------------------- bytes

void IndexFile::OpenDisk() {
    if (!disk_.Existed()) {
        ReportError(err::FileNotFound);
        return;
    }
    disk_.DiskOpen();
}

void IndexFile::CreateDisk() { disk_.DiskCreate(); }

void IndexFile::ReadBytes(std::uint64_t offset, void* buffer, std::size_t count) {
    std::size_t got = disk_.DiskRead(offset, buffer, count);
    if (got != count) {
        Corrupt("reading " + std::to_string(count) + " bytes at offset " + std::to_string(offset) +
                " past the end of the file");
    }
}

void IndexFile::WriteBytes(std::uint64_t offset, const void* buffer, std::size_t count) {
    if (watched_ != nullptr) watched_->Forget(offset, count);
    disk_.DiskWrite(offset, buffer, count);
}

std::uint64_t IndexFile::FileSize() { return disk_.DiskSize(); }

void IndexFile::Truncate(std::uint64_t size) {
    // Cooperating programs keep out of an index file while its lock is held.
    if (watched_ != nullptr) watched_->Clear();
    Lock();
    try {
        disk_.DiskTruncate(size);
    } catch (...) {
        Unlock();
        throw;
    }
    Unlock();
}

void IndexFile::Flush() {
    ReleaseTags();
    disk_.DiskFlush();
}

// ---------------------------------------------------------------- lock

bool IndexFile::TryLock() {
    if (lockDepth_ > 0) {
        ++lockDepth_;
        return true;
    }
    const LockRange range = IndexFileLockRange(protocol_, LockNumbersFor(protocol_, {}));
    for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
        if (disk_.LockRegion(range.offset, range.length)) {
            lockDepth_ = 1;
            return true;
        }
        if (!disk_.IsShared()) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(kLockPauseMs));
    }
    return false;
}

void IndexFile::Lock() {
    if (TryLock()) return;
    throw XBaseError(
        "Error " + std::to_string(disk_.LastError()) + " in Lock of " + disk_.FullPath(),
        err::LockViolation);
}

void IndexFile::Unlock() {
    if (lockDepth_ == 0) return;
    if (--lockDepth_ == 0) disk_.UnlockRegion();
}

// ---------------------------------------------------------------- errors

void IndexFile::ReportError(int code, int subcode) const {
    ReportEngineError(code, subcode, disk_.FullPath());
}

void IndexFile::Corrupt(const std::string& what) const {
    throw XBaseError("Index file " + disk_.FullPath() + " is not valid: " + what, kIndexCorrupt,
                     -7);
}

}  // namespace xbase
