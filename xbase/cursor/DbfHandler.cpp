#include "xbase/cursor/DbfHandler.h"

#include <algorithm>
#include <cstring>

#include "xbase/file/EngineError.h"

namespace xbase {

DbfHandler::DbfHandler(const std::string& name, bool shared, bool writable,
                       const std::string& key)
    : DbfFields(name, shared, writable, key) {}

DbfHandler::~DbfHandler() = default;

// ---------------------------------------------------------------- index and filter hooks

bool DbfHandler::HasIndexFiles() const { return indexSlots_[0] != nullptr; }

IndexFile* DbfHandler::IndexSlot(int slot) const {
    if (slot < 1 || slot > kIndexSlots) return nullptr;
    return indexSlots_[static_cast<std::size_t>(slot - 1)];
}

bool DbfHandler::LockIndexFiles() { return true; }

void DbfHandler::UnlockIndexFiles() {}

bool DbfHandler::RecordAccepted() { return true; }

void DbfHandler::Notify(int ev, std::int32_t record) { DbfFields::Notify(ev, record); }

void DbfHandler::SetLockProtocol(int protocol) { DbfFields::SetLockProtocol(protocol); }

template <typename Write>
bool DbfHandler::UnderIndexLocks(Write write) {
    if (!LockIndexFiles()) {
        SetLastError(err::LockViolation);
        SetLastEngineFileError(err::LockViolation);
        return false;
    }
    bool written = false;
    try {
        written = write();
    } catch (...) {
        UnlockIndexFiles();
        throw;
    }
    UnlockIndexFiles();
    return written;
}

bool DbfHandler::AppendRecord() {
    return UnderIndexLocks([this] { return DbfFields::AppendRecord(); });
}

bool DbfHandler::ReplaceRecord(std::int32_t n) {
    return UnderIndexLocks([this, n] { return DbfFields::ReplaceRecord(n); });
}

// ---------------------------------------------------------------- movement

void DbfHandler::GoTo(std::int32_t code) {
    if (State() != tablestate::Normal) {
        DbfFields::GoTo(code);
        return;
    }
    outOfScope_ = false;
    positioned_ = false;
    SetCursorFlags(false, false);
    const bool readAheadWas = readAheadOn_;
    const std::int32_t direction = (code == move::Reread || code == move::First) ? move::Next
                                   : code == move::Last                          ? move::Prior
                                                                                 : code;
    std::int32_t step = code;
    for (;;) {
        if (Eof() || Bof()) break;
        DbfFields::GoTo(step);
        if (step == 0 || step > RecordCount()) {
            BlankRecord();
            readAheadOn_ = readAheadWas;
            return;
        }
        if (step > 0 || Eof() || Bof()) break;
        if ((UseDeleted() || !RecordDeleted()) && RecordAccepted()) break;
        step = direction;
    }
    readAheadOn_ = readAheadWas;
    positioned_ = !Eof() && !Bof();
}

void DbfHandler::Skip(std::int32_t n) {
    if (n == 0) {
        GoTo(move::Reread);
        return;
    }
    if (!filterRequested_ && UseDeleted() && currentTag_ == nullptr) {
        std::int64_t target = static_cast<std::int64_t>(CurrentRecord()) + n;
        if (target > RecordCount()) RefreshHeader();
        const std::int64_t count = RecordCount();
        if (count == 0) {
            GoTo(move::First);
            return;
        }
        const bool pastEnd = target > count;
        const bool beforeStart = target < 1;
        target = std::clamp<std::int64_t>(target, 1, count);
        GoTo(static_cast<std::int32_t>(target));
        if (pastEnd || beforeStart) {
            SetCursorFlags(pastEnd, beforeStart);
            positioned_ = false;
        }
        return;
    }
    const std::int32_t code = n > 0 ? move::Next : move::Prior;
    const std::int64_t steps = n > 0 ? static_cast<std::int64_t>(n) : -static_cast<std::int64_t>(n);
    for (std::int64_t i = 0; i < steps; ++i) {
        GoTo(code);
        if (Eof() || Bof()) break;
    }
}

// ---------------------------------------------------------------- read-ahead window

void DbfHandler::SetReadAhead(bool on) {
    if (on && !readAheadAllowed_) return;
    readAheadOn_ = on;
    EmptyWindow();
    if (on && RecordLength() > 0) {
        const std::size_t record = static_cast<std::size_t>(RecordLength());
        const std::size_t size = std::max(record, kReadAheadBytes / record * record);
        if (window_.size() != size) window_.assign(size, 0);
    }
}

void DbfHandler::SetReadAheadAllowed(bool allowed) {
    readAheadAllowed_ = allowed;
    if (!allowed) {
        readAheadOn_ = false;
        EmptyWindow();
    }
}

std::size_t DbfHandler::DiskRead(std::uint64_t offset, void* buffer, std::size_t count) {
    const bool windowed = readAheadOn_ && !window_.empty() &&
                          offset >= static_cast<std::uint64_t>(HeaderLength()) &&
                          count <= window_.size();
    if (!windowed) return DbfFields::DiskRead(offset, buffer, count);
    if (FreshReadWanted()) {
        std::size_t got = DbfFields::DiskRead(offset, buffer, count);
        // Keep the window in step with what the disk just said.
        if (got == count && offset >= windowStart_ && offset + count <= windowEnd_) {
            std::memcpy(window_.data() + (offset - windowStart_), buffer, count);
        }
        return got;
    }
    if (offset < windowStart_ || offset + count > windowEnd_) {
        // The window never reaches past the records known to be whole: bytes beyond the
        // last counted record may belong to a write still under way elsewhere.
        const std::uint64_t known = RecordOffset(RecordCount() + 1);
        if (offset + count > known) return DbfFields::DiskRead(offset, buffer, count);
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(window_.size(), known - offset));
        const std::size_t got = DbfFields::DiskRead(offset, window_.data(), want);
        windowStart_ = offset;
        windowEnd_ = offset + got;
        if (got < count) {
            std::memcpy(buffer, window_.data(), got);
            EmptyWindow();
            SetLastError(221);
            return got;
        }
    }
    std::memcpy(buffer, window_.data() + (offset - windowStart_), count);
    SetLastError(0);
    return count;
}

void DbfHandler::DiskWrite(std::uint64_t offset, const void* buffer, std::size_t count) {
    DbfFields::DiskWrite(offset, buffer, count);
    if (windowEnd_ > windowStart_ && offset < windowEnd_ && offset + count > windowStart_) {
        const std::uint64_t from = std::max(offset, windowStart_);
        const std::uint64_t to = std::min<std::uint64_t>(offset + count, windowEnd_);
        std::memcpy(window_.data() + (from - windowStart_),
                    static_cast<const std::uint8_t*>(buffer) + (from - offset), to - from);
    }
}

bool DbfHandler::DiskRename(const std::string& newName) {
    EmptyWindow();
    return DbfFields::DiskRename(newName);
}

bool DbfHandler::DiskClose() {
    EmptyWindow();
    return DbfFields::DiskClose();
}

void DbfHandler::DiskTruncate(std::uint64_t newEnd) {
    EmptyWindow();
    DbfFields::DiskTruncate(newEnd);
}

}  // namespace xbase
