// The table file: header, field descriptors, record buffer, record reads and writes,
// header refresh and rewrite, table-level locks and the plain record-number cursor.
//
// The table is opened by the constructor and closed by the destructor. In shared mode
// every write works against the file as it is now (the header is re-read under the append
// lock before a new record number is chosen). In exclusive mode no other program can see
// the file, so appended records are gathered in memory and written in large pieces, with
// the header rewritten once at the end; the file ends byte for byte as one write per
// append would have left it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "xbase/file/DiskFile.h"
#include "xbase/file/LockProtocol.h"
#include "xbase/table/DbfFormat.h"
#include "xbase/table/FieldDescriptor.h"

namespace xbase {

// Events passed to Notify.
namespace event {
constexpr int RecordBlanked = 0;
constexpr int TableOpened = 2;
constexpr int BeforeRead = 4;
constexpr int BeforeWrite = 5;
constexpr int AfterRead = 6;
constexpr int AfterWrite = 7;
constexpr int AfterFlush = 8;
}  // namespace event

// Movement codes of GoTo; positive numbers are record numbers.
namespace move {
constexpr std::int32_t Reread = -5;
constexpr std::int32_t Last = -4;
constexpr std::int32_t First = -3;
constexpr std::int32_t Prior = -2;
constexpr std::int32_t Next = -1;
}  // namespace move

// Table states: normal, or the whole table being rewritten (movement is raw then).
namespace tablestate {
constexpr int Normal = 1;
constexpr int Rewriting = 5;
}  // namespace tablestate

// The record marks by their short names (the byte layout itself is in DbfFormat.h).
constexpr std::uint8_t kDeletedFlag = dbf::kDeletedFlag;
constexpr std::uint8_t kLiveFlag = dbf::kLiveFlag;
constexpr std::uint8_t kEofMark = dbf::kEofMark;

// The file name of a table: trimmed, upper case, ".DBF" added when it has no extension.
// The one place a table's name is completed; DiskFile then expands it to a full path.
std::string TableFileName(const std::string& name);

class DbfFile : public DiskFile {
public:
    // Opens an existing table (TableFileName completes the name). `key` is the
    // encryption key (empty for none); enciphered tables are refused. Reports: a missing
    // file (2), an unknown version or impossible header (1001, subcode 1204), a short
    // header (221, 1204), descriptors that run past the record (1001); the password
    // checks throw XBaseEncryptionError. The table owns its record buffers.
    DbfFile(const std::string& name, bool shared, bool writable, const std::string& key = {});
    // Writes appended records held back and a dirty header; never reports.
    ~DbfFile() override;

    // Appends the record buffer as a new record under the append lock; false when nothing
    // was written (a refused append lock is reported as error 33 first).
    virtual bool AppendRecord();
    // Hook for the event codes above; the table itself only ends an append's state.
    virtual void Notify(int event, std::int32_t record);
    // Table-level movement: a record number or one of the move codes; 0 does nothing.
    // Reports a record beyond the end (1002, subcode 1207) and a short record read (221).
    virtual void GoTo(std::int32_t code);
    // The table locks (ranges from the lock map, xbase/file/LockProtocol.h). Each returns
    // false when refused and never reports or waits; while the file lock is held every
    // request only nests. FileLock and WholeFileLock re-read the header on success.
    virtual bool AppendLock();
    virtual bool FileLock();
    virtual bool WholeFileLock();
    // Gives back one level of whatever is held; a file lock released to nothing writes
    // the header held back meanwhile. False when the system refuses the unlock.
    virtual bool Unlock();
    // Locks the current record (one byte at the protocol's offset); false when refused.
    virtual bool RecordLock();
    // Rewrites record n in place (appends when n is not a record of the table).
    virtual bool ReplaceRecord(std::int32_t n);
    // Sets the protocol and its lock numbers (unknown protocols keep the numbers) and
    // passes it to the memo file.
    virtual void SetLockProtocol(LockProtocol protocol);
    // True when the first index slot holds an index file (the record lock moves then).
    virtual bool HasIndexFiles() const;

    // Re-reads the header of a shared table: the record count from the file size, and
    // ChangedByOthers() when count or change stamp moved. Reports a short read (221).
    void RefreshHeader();
    // Rewrites the header now when it is dirty (held back while a file lock is held).
    void WriteHeader();
    // Writes everything held back, flushes the file (and memo), then sends AfterFlush.
    void Flush();

    // Offset of record r's lock byte under the current protocol (computed by the lock map,
    // xbase/file/LockProtocol.h); false when the protocol has no record lock or r is not a
    // record number.
    bool RecordLockOffset(std::int32_t r, std::uint64_t& offset) const;

    // Holds the record locks of many records at once, beside the one region the table
    // otherwise holds (a job about to rewrite a whole table). Takes them in order; when
    // one is refused, gives back those it took and returns the refused record's number;
    // 0 when all are held. Not while the table holds a record of its own in an edit.
    // Deleting or recalling a held record takes no further lock (the record is reread
    // from the disk first). UnlockRecords gives them all back, and so does closing.
    std::int32_t LockRecords(const std::vector<std::int32_t>& records);
    void UnlockRecords();
    bool HoldsRecordLock(std::int32_t r) const;

    // Header facts.
    std::uint8_t Version() const { return version_; }
    std::uint8_t TableFlags() const { return tableFlags_; }
    // Bits 0-2 are kept and written with the next header rewrite.
    void SetTableFlags(std::uint8_t flags) { tableFlags_ = flags & dbf::kKeptFlagBits; }
    int HeaderLength() const { return headerLength_; }
    int RecordLength() const { return recordLength_; }
    int FieldCount() const { return static_cast<int>(fields_.size()); }
    std::int32_t RecordCount() const { return count_; }
    std::uint32_t ChangeStamp() const { return changeStamp_; }
    bool HasMemo() const { return hasMemo_; }
    bool Encrypted() const { return encrypted_; }
    const std::array<std::uint8_t, dbf::kHeaderSize>& HeaderImage() const { return header_; }
    const std::vector<FieldDescriptor>& Fields() const { return fields_; }

    // Cursor.
    std::int32_t CurrentRecord() const { return current_; }
    bool Eof() const { return eof_; }
    bool Bof() const { return bof_; }

    // The record buffer in use: the table's own, or a caller's of RecordLength() bytes set
    // with UseRecordBuffer for the length of one call (nullptr returns to the own one).
    std::uint8_t* RecordBuffer() const { return record_; }
    void UseRecordBuffer(std::uint8_t* buffer);
    bool UsesOwnRecordBuffer() const { return record_ == ownRecord_.data(); }
    const std::uint8_t* OldRecord() const { return oldRecord_.data(); }
    bool RecordDeleted() const { return record_[0] == kDeletedFlag; }

    // Settings and state flags.
    bool UseDeleted() const { return useDeleted_; }
    void SetUseDeleted(bool on) { useDeleted_ = on; }
    bool ExactMatch() const { return exactMatch_; }
    void SetExactMatch(bool on) { exactMatch_ = on; }
    bool AutoFlush() const { return autoFlush_; }
    void SetAutoFlush(bool on) { autoFlush_ = on; }
    std::int32_t UserId() const { return userId_; }
    void SetUserId(std::int32_t id) { userId_ = id; }
    LockProtocol LockProtocolValue() const { return protocol_; }
    const LockNumbers& Numbers() const { return numbers_; }
    bool FileLocked() const { return fileLocked_; }
    bool HeaderDirty() const { return headerDirty_; }
    void SetHeaderDirty(bool dirty) { headerDirty_ = dirty; }
    bool ChangedByOthers() const { return changedByOthers_; }
    bool RecordWritten() const { return recordWritten_; }
    bool Appending() const { return appending_; }
    int State() const { return state_; }
    void SetState(int state) { state_ = state; }

    // Disk access keeps appended records held back in exclusive mode in step.
    std::size_t DiskRead(std::uint64_t offset, void* buffer, std::size_t count) override;
    void DiskWrite(std::uint64_t offset, const void* buffer, std::size_t count) override;
    std::uint64_t DiskSize() override;
    void DiskFlush() override;
    bool DiskClose() override;
    void DiskTruncate(std::uint64_t newEnd) override;
    bool DiskRename(const std::string& newName) override;

protected:
    // Memo file hooks: the memo layer flushes its file and takes the lock protocol.
    virtual void FlushMemo() {}
    virtual void PassLockProtocolToMemo(LockProtocol /*protocol*/) {}

    // Reads record n into the record buffer (events 4 and 6, old-value copy). `fresh`
    // asks for the bytes from the disk, never from a read-ahead copy.
    bool ReadRecord(std::int32_t n, bool fresh);
    // True while a read must come from the disk.
    bool FreshReadWanted() const { return freshRead_; }
    // Record count of the bytes the file held at the last refresh.
    std::uint64_t RecordOffset(std::int32_t n) const {
        return dbf::RecordOffset(headerLength_, recordLength_, n);
    }
    void SetCursorFlags(bool eof, bool bof) {
        eof_ = eof;
        bof_ = bof;
    }
    std::uint8_t* ScratchBuffer() { return scratch_.data(); }
    // Writes the appended records held back in exclusive mode, then a dirty header.
    void FlushPendingAppends();

private:
    void Open(const std::string& key);
    void ParseDescriptors(const std::vector<std::uint8_t>& area);
    // Visual FoxPro: which _NullFlags bit belongs to which column.
    void AssignNullFlagBits(std::vector<FieldDescriptor>& fields) const;
    // The records of a file of `size` bytes whose header counts `headerCount`.
    std::int32_t CountRecords(std::uint32_t headerCount, std::uint64_t size);
    // Gives the autoincrement columns of the record being appended their next values and
    // moves the counters in the file's descriptors on (under the append lock).
    void TakeAutoIncrementValues();
    void RewriteHeader();
    bool AcquireAppendLock();
    void WriteAppendedRecord();
    bool BatchesAppends() const;
    bool TableLockNests();

    std::array<std::uint8_t, dbf::kHeaderSize> header_{};
    std::uint8_t version_ = 0;
    std::uint8_t tableFlags_ = 0;
    int headerLength_ = 0;
    int recordLength_ = 0;
    std::int32_t count_ = 0;
    std::uint32_t changeStamp_ = 0;
    bool hasMemo_ = false;
    bool encrypted_ = false;
    std::vector<FieldDescriptor> fields_;

    std::vector<std::uint8_t> ownRecord_;
    std::uint8_t* record_ = nullptr;
    std::vector<std::uint8_t> oldRecord_;
    std::vector<std::uint8_t> scratch_;

    std::int32_t current_ = 0;
    bool eof_ = false;
    bool bof_ = true;
    bool headerDirty_ = false;
    int state_ = tablestate::Normal;
    bool changedByOthers_ = false;
    bool recordWritten_ = false;
    bool appending_ = false;
    bool useDeleted_ = true;
    bool exactMatch_ = false;
    bool autoFlush_ = false;
    bool fileLocked_ = false;
    bool freshRead_ = false;
    std::int32_t userId_ = 0;
    LockProtocol protocol_ = LockProtocol::Default;
    LockNumbers numbers_{};

    // Records held by LockRecords with their lock offsets.
    std::vector<std::pair<std::int32_t, std::uint64_t>> recordLocks_;

    // Appended records not yet written (exclusive mode), starting at pendingOffset_.
    std::vector<std::uint8_t> pending_;
    std::uint64_t pendingOffset_ = 0;
};

}  // namespace xbase
