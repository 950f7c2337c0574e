// The table handler: the cursor over one open table. Movement hides deleted records
// when use-deleted is off, asks RecordAccepted of every record it lands on, serves
// sequential reads from a read-ahead window, and takes the locks of index files around
// appends and replaces. Index files, tags and the filter plug in through the virtual
// operations and the slots kept here; with none of them in use the handler works alone.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "xbase/cursor/DbfFields.h"

namespace xbase {

class IndexFile;
class IndexTag;

class DbfHandler : public DbfFields {
public:
    static constexpr int kIndexSlots = 63;
    static constexpr std::size_t kReadAheadBytes = 32768;

    // Opens the table: shared unless exclusive, writable unless read-only, `key` for an
    // enciphered table (refused; no table of this system is enciphered).
    DbfHandler(const std::string& name, bool shared, bool writable, const std::string& key = {});
    ~DbfHandler() override;

    // Takes the locks of every open index file first; false (error 33 recorded, nothing
    // written, no exception) when they cannot be had.
    bool AppendRecord() override;
    void Notify(int event, std::int32_t record) override;
    // Movement that walks past hidden records. A record number goes straight there;
    // 0 and count + 1 leave a blank record in the buffer; the codes walk.
    void GoTo(std::int32_t code) override;
    bool ReplaceRecord(std::int32_t n) override;
    void SetLockProtocol(int protocol) override;
    // True when index slot 1 holds an index file (record locks then sit below the append
    // offset).
    bool HasIndexFiles() const override;

    // Moves by n visible records; 0 rereads the current one.
    virtual void Skip(std::int32_t n);
    // Whether a record the cursor walks onto is visible (besides the deletion flag).
    virtual bool RecordAccepted();
    // Locks every open index file, all or none.
    virtual bool LockIndexFiles();
    virtual void UnlockIndexFiles();

    // Read-ahead window for sequential scans: 32,768 bytes rounded down to whole records,
    // at least one record. Rereads of the current record always go to the disk.
    void SetReadAhead(bool on);
    bool ReadAhead() const { return readAheadOn_; }
    void SetReadAheadAllowed(bool allowed);
    bool ReadAheadAllowed() const { return readAheadAllowed_; }
    std::size_t ReadAheadWindowSize() const { return window_.size(); }

    bool Found() const { return found_; }
    bool Positioned() const { return positioned_; }
    bool OutOfScope() const { return outOfScope_; }
    IndexFile* IndexSlot(int slot) const;
    IndexTag* CurrentTag() const { return currentTag_; }

    std::size_t DiskRead(std::uint64_t offset, void* buffer, std::size_t count) override;
    void DiskWrite(std::uint64_t offset, const void* buffer, std::size_t count) override;
    bool DiskRename(const std::string& newName) override;
    bool DiskClose() override;
    void DiskTruncate(std::uint64_t newEnd) override;

protected:
    // Slots 1..63 of the index layer (index 0 is slot 1).
    std::array<IndexFile*, kIndexSlots> indexSlots_{};
    IndexTag* currentTag_ = nullptr;
    std::array<char, 16> currentTagName_{};
    bool found_ = false;
    bool positioned_ = false;
    bool outOfScope_ = false;
    bool filterRequested_ = false;
    bool filterActive_ = false;

private:
    // Runs an append or replace inside the locks of every open index file.
    template <typename Write>
    bool UnderIndexLocks(Write write);
    void EmptyWindow() { windowStart_ = windowEnd_ = 0; }

    std::vector<std::uint8_t> window_;
    std::uint64_t windowStart_ = 0;  // file offset of the first buffered byte
    std::uint64_t windowEnd_ = 0;    // offset after the last one (start == end: empty)
    bool readAheadOn_ = false;
    bool readAheadAllowed_ = true;
};

}  // namespace xbase
