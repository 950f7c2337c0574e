#include "xbase/table/DbfFile.h"

#include <algorithm>
#include <cstring>

#include "platform/Clock.h"
#include "platform/Paths.h"
#include "platform/Sleep.h"
#include "xbase/file/ByteOrder.h"
#include "xbase/file/EngineError.h"

namespace xbase {

namespace {

// Exclusive appends are written once this many bytes are held back.
constexpr std::size_t kPendingLimit = 256 * 1024;
// An append lock held by another program is asked for again at most this often.
constexpr int kAppendLockTries = 100;
constexpr int kAppendLockPauseMs = 50;
constexpr std::int64_t kMaxRecordCount = 0x7FFFFFF0;

using byteorder::GetLe16;
using byteorder::GetLe32;
using byteorder::PutLe32;

// The type letter of Visual FoxPro's hidden _NullFlags column.
constexpr char kNullFlagsType = '0';

bool KnownVersion(std::uint8_t v) {
    return v == version::DBase3 || IsVisualFoxVersion(v) || v == version::DBase3Memo ||
           v == version::DBase4Memo || v == version::FoxProMemo;
}

}  // namespace

// Trims the name and gives it ".DBF" when it has no extension; its case is kept, so that
// the file whose name matches exactly is found first.
std::string TableFileName(const std::string& name) {
    std::size_t first = name.find_first_not_of(" \t");
    std::size_t last = name.find_last_not_of(" \t");
    std::string trimmed =
        first == std::string::npos ? std::string() : name.substr(first, last - first + 1);
    std::size_t slash = trimmed.find_last_of("\\/:");
    std::size_t dot = trimmed.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        trimmed += ".DBF";
    }
    return trimmed;
}

DbfFile::DbfFile(const std::string& name, bool shared, bool writable, const std::string& key)
    : DiskFile(TableFileName(name), shared, writable) {
    Open(key);
}

DbfFile::~DbfFile() {
    try {
        fileLocked_ = false;
        FlushPendingAppends();
        if (headerDirty_ && !IsClosed()) {
            RefreshHeader();
            WriteHeader();
        }
    } catch (...) {
        // A destructor cannot report; the records themselves are already on disk.
    }
    try {
        DbfFile::DiskClose();
    } catch (...) {
    }
}

void DbfFile::Open(const std::string& key) {
    DiskOpen();
    if (IsClosed()) return;
    std::size_t got = DiskFile::DiskRead(0, header_.data(), header_.size());
    if (got < header_.size()) {
        ReportError(err::ShortRead, sub::TableOpen);
        return;
    }
    version_ = header_[0];
    if (!KnownVersion(version_)) {
        char text[96];
        std::snprintf(text, sizeof text,
                      " (version byte 0x%02X is no table family this engine reads)", version_);
        ReportError(err::HeaderInvalid, sub::TableOpen, text);
        return;
    }
    headerLength_ = GetLe16(header_.data() + dbf::kHeaderLength);
    recordLength_ = GetLe16(header_.data() + dbf::kRecordLength);
    tableFlags_ = header_[dbf::kTableFlags] & dbf::kKeptFlagBits;
    changeStamp_ = GetLe32(header_.data() + dbf::kChangeStamp);
    encrypted_ = header_[dbf::kEncrypted] != 0;
    if (encrypted_ && key.empty()) RaiseEncryptionError(err::NoPasswordForEncrypted, DisplayPath());
    if (!encrypted_ && !key.empty()) RaiseEncryptionError(err::PasswordForPlainFile, DisplayPath());
    // No cipher is offered: an enciphered table cannot be read with any password.
    if (encrypted_) RaiseEncryptionError(err::InvalidPassword, DisplayPath());
    hasMemo_ = version_ == version::DBase3Memo || version_ == version::DBase4Memo ||
               version_ == version::FoxProMemo ||
               (IsVisualFoxVersion(version_) && (tableFlags_ & dbf::kFlagHasMemo) != 0);

    // The descriptors end at the terminator byte; the header length only bounds them (some
    // writers leave room for a container link in every table). Without a terminator the
    // header length alone counts them.
    const int tail = dbf::HeaderTail(version_);
    int maxCount = headerLength_ > dbf::kPlainHeaderTail
                       ? (headerLength_ - dbf::kPlainHeaderTail) / dbf::kDescriptorSize
                       : 0;
    int fieldCount = headerLength_ > tail ? (headerLength_ - tail) / dbf::kDescriptorSize : 0;
    if (recordLength_ == 0 || maxCount == 0 || maxCount > dbf::kMaxFields) {
        ReportError(err::HeaderInvalid, sub::TableOpen);
        return;
    }
    std::uint64_t size = DiskFile::DiskSize();
    std::vector<std::uint8_t> area(static_cast<std::size_t>(maxCount) * dbf::kDescriptorSize);
    got = size < static_cast<std::uint64_t>(headerLength_)
              ? 0
              : DiskFile::DiskRead(dbf::kHeaderSize, area.data(), area.size());
    if (got < area.size()) {
        ReportError(err::ShortRead, sub::TableOpen);
        return;
    }
    if (fieldCount <= 0) fieldCount = maxCount;  // a Visual FoxPro table without the link
    for (int i = 0; i < maxCount; ++i) {
        if (area[static_cast<std::size_t>(i) * dbf::kDescriptorSize] == dbf::kDescriptorEnd) {
            fieldCount = i;
            break;
        }
    }
    if (fieldCount == 0) {
        ReportError(err::HeaderInvalid, sub::TableOpen);
        return;
    }
    area.resize(static_cast<std::size_t>(fieldCount) * dbf::kDescriptorSize);
    ParseDescriptors(area);
    if (fields_.empty()) return;

    ownRecord_.assign(static_cast<std::size_t>(recordLength_) + 1, kLiveFlag);
    ownRecord_[recordLength_] = kEofMark;
    record_ = ownRecord_.data();
    oldRecord_.assign(recordLength_, kLiveFlag);
    scratch_.assign(static_cast<std::size_t>(recordLength_) + 1, kLiveFlag);

    count_ = CountRecords(GetLe32(header_.data() + dbf::kRecordCount), size);
    current_ = 0;
    eof_ = false;
    bof_ = true;
    SetLockProtocol(LockProtocol::Default);
    RefreshHeader();
    Notify(event::TableOpened, 0);
}

void DbfFile::ParseDescriptors(const std::vector<std::uint8_t>& area) {
    constexpr std::size_t kSize = dbf::kDescriptorSize;
    std::size_t count = area.size() / kSize;
    std::vector<FieldDescriptor> fields(count);
    std::int64_t offset = 1;
    for (std::size_t i = 0; i < count; ++i) {
        FieldDescriptor& f = fields[i];
        std::memcpy(f.raw.data(), area.data() + i * kSize, kSize);
        const char* name = reinterpret_cast<const char*>(f.raw.data() + dbf::kFieldName);
        f.name.assign(name, strnlen(name, dbf::kMaxFieldNameLength + 1));
        f.type = static_cast<char>(f.raw[dbf::kFieldType]);
        if (f.type == 'C') {
            f.length = f.raw[dbf::kFieldLength] | f.raw[dbf::kFieldDecimals] << 8;
            f.decimals = 0;
        } else {
            f.length = f.raw[dbf::kFieldLength];
            f.decimals = f.raw[dbf::kFieldDecimals];
        }
        f.number = static_cast<int>(i) + 1;
        if (offset + f.length > recordLength_) {
            // A field running past the record would make every read overrun the buffer.
            ReportError(err::HeaderInvalid, sub::TableOpen);
            return;
        }
        f.offset = static_cast<int>(offset);
        PutLe32(f.raw.data() + dbf::kFieldOffset, static_cast<std::uint32_t>(f.offset));
        byteorder::PutLe16(f.raw.data() + dbf::kFieldNumber, static_cast<std::uint16_t>(f.number));
        offset += f.length;
    }
    if (IsVisualFoxVersion(version_)) AssignNullFlagBits(fields);
    fields_ = std::move(fields);
}

void DbfFile::AssignNullFlagBits(std::vector<FieldDescriptor>& fields) const {
    // The _NullFlags column holds one bit per nullable column and one per varchar or
    // varbinary column, in column order (a column that is both takes its null bit first).
    const FieldDescriptor* nullFlags = nullptr;
    for (const FieldDescriptor& f : fields)
        if (f.type == kNullFlagsType) nullFlags = &f;
    int bit = 0;
    for (FieldDescriptor& f : fields) {
        f.flags = f.raw[dbf::kFieldFlags];
        if (nullFlags == nullptr || &f == nullFlags) continue;
        f.nullFlagsOffset = nullFlags->offset;
        if ((f.flags & dbf::kFieldFlagNullable) != 0) f.nullBit = bit++;
        if (f.type == 'V' || f.type == 'Q') f.lengthBit = bit++;
        // Bits beyond the column's width mean nothing.
        if (f.nullBit >= nullFlags->length * 8) f.nullBit = -1;
        if (f.lengthBit >= nullFlags->length * 8) f.lengthBit = -1;
    }
}

std::int32_t DbfFile::CountRecords(std::uint32_t headerCount, std::uint64_t size) {
    // Whole records in the file; the header's count is where they certainly end. Past it
    // only what begins with a deletion flag counts: another program's appends whose header
    // rewrite is still to come do, junk or padding after the end mark does not.
    if (size <= static_cast<std::uint64_t>(headerLength_)) return 0;
    const std::int64_t whole = std::min<std::int64_t>(
        static_cast<std::int64_t>((size - headerLength_) / recordLength_), kMaxRecordCount);
    std::int64_t count = std::min<std::int64_t>(headerCount, whole);
    std::vector<std::uint8_t> chunk;
    while (count < whole) {
        const std::int64_t batch = std::min<std::int64_t>(
            whole - count, std::max<std::int64_t>(1, kPendingLimit / recordLength_));
        chunk.resize(static_cast<std::size_t>(batch) * recordLength_);
        const std::size_t got = DiskFile::DiskRead(
            RecordOffset(static_cast<std::int32_t>(count + 1)), chunk.data(), chunk.size());
        std::int64_t i = 0;
        for (; i < batch && static_cast<std::size_t>((i + 1) * recordLength_) <= got; ++i) {
            const std::uint8_t flag = chunk[static_cast<std::size_t>(i * recordLength_)];
            if (flag != kLiveFlag && flag != kDeletedFlag) break;
        }
        count += i;
        if (i < batch) break;
    }
    return static_cast<std::int32_t>(count);
}

// ---------------------------------------------------------------- header

void DbfFile::RefreshHeader() {
    if (!IsShared()) {
        changedByOthers_ = false;
        return;
    }
    if (recordLength_ == 0 || IsClosed()) return;
    std::array<std::uint8_t, dbf::kHeaderSize> image{};
    std::size_t got = DiskRead(0, image.data(), image.size());
    if (got < image.size()) {
        ReportError(err::ShortRead, sub::RecordRead);
        return;
    }
    header_ = image;
    std::int32_t newCount = CountRecords(GetLe32(header_.data() + dbf::kRecordCount), DiskSize());
    std::uint32_t stamp = GetLe32(header_.data() + dbf::kChangeStamp);
    changedByOthers_ = newCount != count_ || stamp != changeStamp_;
    count_ = newCount;
    changeStamp_ = stamp;
}

void DbfFile::RewriteHeader() {
    platform::LocalTime now = platform::LocalNow();
    changeStamp_ =
        ((static_cast<std::uint32_t>(now.hour) * 64 + now.minute) * 64 + now.second) * 1024 +
        now.millisecond;
    header_[dbf::kUpdateYear] = static_cast<std::uint8_t>(now.year % 100);
    header_[dbf::kUpdateMonth] = static_cast<std::uint8_t>(now.month);
    header_[dbf::kUpdateDay] = static_cast<std::uint8_t>(now.day);
    PutLe32(header_.data() + dbf::kRecordCount, static_cast<std::uint32_t>(count_));
    header_[dbf::kEncrypted] = encrypted_ ? 1 : 0;
    PutLe32(header_.data() + dbf::kChangeStamp, changeStamp_);
    PutLe32(header_.data() + dbf::kUserId, static_cast<std::uint32_t>(userId_));
    header_[dbf::kTableFlags] = tableFlags_ & dbf::kKeptFlagBits;
    DiskFile::DiskWrite(0, header_.data(), header_.size());
    headerDirty_ = false;
}

void DbfFile::WriteHeader() {
    if (!IsReadWrite() || IsClosed() || fileLocked_) return;
    if (!pending_.empty()) {
        FlushPendingAppends();  // writes the header as well
        return;
    }
    if (headerDirty_) RewriteHeader();
}

// ---------------------------------------------------------------- held-back appends

bool DbfFile::BatchesAppends() const { return !IsShared() && !autoFlush_; }

void DbfFile::FlushPendingAppends() {
    if (pending_.empty()) return;
    std::vector<std::uint8_t> bytes;
    bytes.swap(pending_);
    bytes.push_back(kEofMark);
    DiskFile::DiskWrite(pendingOffset_, bytes.data(), bytes.size());
    bytes.clear();
    pending_.swap(bytes);  // keep the capacity for the next batch
    if (headerDirty_ && !fileLocked_ && IsReadWrite()) RewriteHeader();
}

std::size_t DbfFile::DiskRead(std::uint64_t offset, void* buffer, std::size_t count) {
    if (!pending_.empty()) FlushPendingAppends();
    return DiskFile::DiskRead(offset, buffer, count);
}

void DbfFile::DiskWrite(std::uint64_t offset, const void* buffer, std::size_t count) {
    if (!pending_.empty()) FlushPendingAppends();
    DiskFile::DiskWrite(offset, buffer, count);
}

std::uint64_t DbfFile::DiskSize() {
    if (!pending_.empty()) FlushPendingAppends();
    return DiskFile::DiskSize();
}

void DbfFile::DiskFlush() {
    if (!pending_.empty()) FlushPendingAppends();
    DiskFile::DiskFlush();
}

bool DbfFile::DiskClose() {
    if (!pending_.empty()) FlushPendingAppends();
    UnlockRecords();
    return DiskFile::DiskClose();
}

void DbfFile::DiskTruncate(std::uint64_t newEnd) {
    if (!pending_.empty()) FlushPendingAppends();
    DiskFile::DiskTruncate(newEnd);
}

bool DbfFile::DiskRename(const std::string& newName) {
    if (!pending_.empty()) FlushPendingAppends();
    return DiskFile::DiskRename(newName);
}

// ---------------------------------------------------------------- records

void DbfFile::UseRecordBuffer(std::uint8_t* buffer) {
    record_ = buffer != nullptr ? buffer : ownRecord_.data();
}

void DbfFile::Notify(int ev, std::int32_t /*record*/) {
    if (ev == event::AfterRead || ev == event::AfterWrite) {
        appending_ = false;
        if (state_ != tablestate::Rewriting) state_ = tablestate::Normal;
    }
}

bool DbfFile::ReadRecord(std::int32_t n, bool fresh) {
    Notify(event::BeforeRead, n);
    freshRead_ = fresh;
    std::size_t got = 0;
    try {
        got = DiskRead(RecordOffset(n), record_, static_cast<std::size_t>(recordLength_));
    } catch (...) {
        freshRead_ = false;
        throw;
    }
    freshRead_ = false;
    if (got < static_cast<std::size_t>(recordLength_)) {
        ReportError(err::ShortRead, sub::RecordRead);
        return false;
    }
    current_ = n;
    Notify(event::AfterRead, n);
    std::memcpy(oldRecord_.data(), record_, oldRecord_.size());
    return true;
}

void DbfFile::GoTo(std::int32_t code) {
    if (recordLength_ == 0) return;
    if (count_ == 0) {
        RefreshHeader();
        if (count_ == 0) {
            eof_ = bof_ = true;
            return;
        }
    }
    if (code == 0) return;
    eof_ = bof_ = false;
    std::int64_t target = 0;
    switch (code) {
        case move::Reread:
            target = current_;
            break;
        case move::Last:
            target = count_;
            break;
        case move::First:
            target = 1;
            break;
        case move::Prior:
            target = static_cast<std::int64_t>(current_) - 1;
            break;
        case move::Next:
            target = static_cast<std::int64_t>(current_) + 1;
            break;
        default:
            if (code < 0) {
                ReportError(err::BeyondEof, sub::RecordRead);
                return;
            }
            target = code;
    }
    if (target < 1) {
        // Prior on the first record, or a reread before any record was read.
        bof_ = true;
        return;
    }
    if (target > count_) {
        RefreshHeader();
        if (target > static_cast<std::int64_t>(count_) + 1) {
            ReportError(err::BeyondEof, sub::RecordRead);
            return;
        }
        if (target == static_cast<std::int64_t>(count_) + 1) {
            eof_ = true;
            return;
        }
    }
    ReadRecord(static_cast<std::int32_t>(target), code == move::Reread);
}

void DbfFile::WriteAppendedRecord() {
    const std::uint64_t offset = RecordOffset(current_);
    const std::size_t length = static_cast<std::size_t>(recordLength_);
    if (BatchesAppends()) {
        if (!pending_.empty() && pendingOffset_ + pending_.size() != offset) {
            FlushPendingAppends();
        }
        if (pending_.empty()) {
            pendingOffset_ = offset;
            pending_.reserve(kPendingLimit + length + 1);
        }
        pending_.insert(pending_.end(), record_, record_ + length);
        if (pending_.size() >= kPendingLimit) FlushPendingAppends();
        return;
    }
    // The record and the end-of-file mark go out in one write.
    if (UsesOwnRecordBuffer()) {
        ownRecord_[length] = kEofMark;
        DiskWrite(offset, record_, length + 1);
    } else {
        std::memcpy(scratch_.data(), record_, length);
        scratch_[length] = kEofMark;
        DiskWrite(offset, scratch_.data(), length + 1);
    }
}

void DbfFile::TakeAutoIncrementValues() {
    if (!IsVisualFoxVersion(version_)) return;
    for (FieldDescriptor& f : fields_) {
        if (!f.AutoIncrement() || f.type != 'I' || f.length < 4) continue;
        // Read from the file: another program may have appended since the table was opened.
        const std::uint64_t at = dbf::kHeaderSize +
                                 static_cast<std::uint64_t>(f.number - 1) * dbf::kDescriptorSize +
                                 dbf::kFieldAutoIncrementNext;
        std::uint8_t counter[5];
        if (DiskFile::DiskRead(at, counter, sizeof counter) < sizeof counter) {
            ReportError(err::ShortRead, sub::DiskWrite);
            return;
        }
        const std::uint32_t value = GetLe32(counter);
        const std::uint8_t step =
            counter[dbf::kFieldAutoIncrementStep - dbf::kFieldAutoIncrementNext];
        PutLe32(record_ + f.offset, value);
        PutLe32(counter, value + step);
        DiskFile::DiskWrite(at, counter, 4);
        std::memcpy(f.raw.data() + dbf::kFieldAutoIncrementNext, counter, 4);
    }
}

bool DbfFile::AcquireAppendLock() {
    for (int attempt = 1;; ++attempt) {
        if (AppendLock()) return true;
        // Another region of this very table is held: waiting cannot help.
        if (LockNesting() > 0) return false;
        if (attempt >= kAppendLockTries) return false;
        // The lock is held only for the length of one append elsewhere: ask again soon
        // at first, then at the regular pace.
        platform::SleepMilliseconds(std::min(1 << std::min(attempt - 1, 6), kAppendLockPauseMs));
    }
}

bool DbfFile::AppendRecord() {
    if (recordLength_ == 0) return false;
    if (!AcquireAppendLock()) {
        ReportError(err::LockViolation, sub::DiskWrite);
        return false;
    }
    const std::int32_t oldCurrent = current_;
    bool counted = false;
    try {
        Notify(event::BeforeWrite, 0);
        appending_ = true;
        headerDirty_ = true;
        RefreshHeader();
        record_[0] = kLiveFlag;
        if (count_ >= kMaxRecordCount) {
            Unlock();
            ReportError(err::BeyondEof, sub::DiskWrite);
            return false;
        }
        ++count_;
        current_ = count_;
        counted = true;
        TakeAutoIncrementValues();
        WriteAppendedRecord();
        if (!BatchesAppends()) WriteHeader();
    } catch (...) {
        if (counted) {
            --count_;
            current_ = oldCurrent;
        }
        Unlock();
        throw;
    }
    Unlock();
    eof_ = bof_ = false;
    Notify(event::AfterWrite, 0);
    if (autoFlush_) Flush();
    std::memcpy(oldRecord_.data(), record_, oldRecord_.size());
    return true;
}

bool DbfFile::ReplaceRecord(std::int32_t n) {
    if (recordLength_ == 0) return false;
    Notify(event::BeforeWrite, n);
    if (n > count_ || n <= 0) return AppendRecord();
    headerDirty_ = true;
    DiskWrite(RecordOffset(n), record_, static_cast<std::size_t>(recordLength_));
    current_ = n;
    recordWritten_ = true;
    RefreshHeader();
    WriteHeader();
    Notify(event::AfterWrite, n);
    if (autoFlush_) Flush();
    std::memcpy(oldRecord_.data(), record_, oldRecord_.size());
    return true;
}

void DbfFile::Flush() {
    FlushPendingAppends();
    DiskFlush();
    FlushMemo();
    Notify(event::AfterFlush, 0);
}

// ---------------------------------------------------------------- locks

void DbfFile::SetLockProtocol(LockProtocol protocol) {
    protocol_ = protocol;
    numbers_ = LockNumbersFor(protocol, numbers_);
    PassLockProtocolToMemo(protocol);
}

bool DbfFile::HasIndexFiles() const { return false; }

bool DbfFile::TableLockNests() {
    if (!fileLocked_) return false;
    NestLock();
    SetLastError(0);
    return true;
}

bool DbfFile::AppendLock() {
    if (TableLockNests()) return true;
    return LockRegion(AppendLockRange(numbers_));
}

bool DbfFile::FileLock() {
    if (TableLockNests()) return true;
    if (!LockRegion(FileLockRange(numbers_))) return false;
    fileLocked_ = true;
    RefreshHeader();
    return true;
}

bool DbfFile::WholeFileLock() {
    if (TableLockNests()) return true;
    if (!LockRegion(WholeFileLockRange())) return false;
    fileLocked_ = true;
    RefreshHeader();
    return true;
}

bool DbfFile::RecordLockOffset(std::int32_t r, std::uint64_t& offset) const {
    if (r < 1) return false;
    const std::optional<LockRange> range =
        RecordLockRange(protocol_, numbers_, {r, HasIndexFiles(), RecordOffset(r)});
    if (!range) return false;
    offset = range->offset;
    return true;
}

bool DbfFile::RecordLock() {
    if (TableLockNests()) return true;
    std::uint64_t offset = 0;
    if (!RecordLockOffset(current_, offset)) {
        SetLastError(err::LockViolation);
        SetLastEngineFileError(err::LockViolation);
        return false;
    }
    return LockRegion(offset, 1);
}

std::int32_t DbfFile::LockRecords(const std::vector<std::int32_t>& records) {
    const std::size_t before = recordLocks_.size();
    for (std::int32_t r : records) {
        if (HoldsRecordLock(r)) continue;
        std::uint64_t offset = 0;
        const bool locked =
            RecordLockOffset(r, offset) && (!IsShared() || Os().Lock(offset, 1) == 0);
        if (!locked) {
            while (recordLocks_.size() > before) {
                if (IsShared()) Os().Unlock(recordLocks_.back().second, 1);
                recordLocks_.pop_back();
            }
            SetLastError(err::LockViolation);
            SetLastEngineFileError(err::LockViolation);
            return r;
        }
        recordLocks_.emplace_back(r, offset);
    }
    return 0;
}

void DbfFile::UnlockRecords() {
    if (IsShared() && !IsClosed()) {
        for (const auto& held : recordLocks_) Os().Unlock(held.second, 1);
    }
    recordLocks_.clear();
}

bool DbfFile::HoldsRecordLock(std::int32_t r) const {
    return std::any_of(recordLocks_.begin(), recordLocks_.end(),
                       [r](const auto& held) { return held.first == r; });
}

bool DbfFile::Unlock() {
    bool ok = UnlockRegion();
    if (fileLocked_ && LockNesting() == 0) {
        fileLocked_ = false;
        WriteHeader();
    }
    return ok;
}

}  // namespace xbase
