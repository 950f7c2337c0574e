// One open index file: the base of CdxFile, MdxFile, NdxFile and NtxFile.
//
// The base owns the disk file and the tags, reads and writes bytes, takes the index file
// lock of the table's lock protocol (with its retries), runs the key maintenance of every
// tag on a record write and reports errors through the table. A format supplies opening
// (headers, tag list), creating a new file, tag addition and deletion, node allocation
// and the rebuild.
//
// Files are made through OpenIndexFile / CreateIndexFile (IndexFormats.h), which choose
// the class by extension.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "xbase/index/IndexDiskFile.h"
#include "xbase/index/IndexTag.h"

namespace xbase {

class DbfFile;
class PageCache;

// Error code of a file that is not a valid index of its kind (also hostile nodes).
inline constexpr int kIndexCorrupt = 2112;

class IndexFile {
public:
    // Lock attempts and the pause between them.
    static constexpr int kLockAttempts = 100;
    static constexpr int kLockPauseMs = 50;

    // `path` is the full path; the disk file is opened by Open/Create with the table's
    // sharing and read/write modes. The table must outlive the index file.
    IndexFile(DbfFile& table, const std::string& path);
    virtual ~IndexFile();
    IndexFile(const IndexFile&) = delete;
    IndexFile& operator=(const IndexFile&) = delete;

    // ------------------------------------------------------------ format operations
    // Opens the existing file: reads the header(s), builds the tag list; sets Opened() or
    // WrongKind(). Disk failures raise.
    virtual void Open() = 0;
    // Creates the file anew, empty (no tags for multi-tag formats; single-tag formats get
    // their tag through AddTag).
    virtual void Create() = 0;
    // Adds a tag and builds it; a tag of the same name is replaced. Single-tag formats
    // replace their one tag.
    virtual IndexTag& AddTag(const TagDefinition& definition) = 0;
    virtual void DeleteTag(const std::string& name) = 0;
    // The place of a new node (byte offset or page number), advancing the allocator.
    virtual std::int64_t AllocateNode() = 0;
    // Sets the allocator back to the file's end.
    virtual void ResetAllocator() = 0;
    // Rebuilds every tag from the table.
    virtual void Reindex() = 0;
    // Key maintenance of every tag (formats with change counters count first).
    virtual void RecordWritten(const RecordWrite& write);
    // Whether another user changed the file since this one last looked. Without a change
    // counter a shared file must be assumed changed; the default says so.
    virtual bool ChangedByAnotherUser();
    // Whether the file keeps a change counter that every writer moves on (so that pages
    // kept while it stays the same are the file's pages).
    virtual bool HasChangeCounter() const { return false; }
    virtual void SetLockProtocol(LockProtocol protocol);
    // Whether equal keys are ordered by record number (CDX).
    virtual bool OrdersEqualKeysByRecord() const { return false; }
    // Called after a successful Open with the table: sets the table's production-index flag
    // when this file is its production index (CDX, MDX).
    virtual bool CanBeProductionIndex() const { return false; }
    // Why a tag of `definition` cannot be kept in a file of this kind (a message naming
    // the file), empty when it can. Asked before any byte of the file is touched.
    virtual std::string Refuses(const TagDefinition& /*definition*/) const { return {}; }

    // ------------------------------------------------------------ bytes
    // Reads exactly `count` bytes at `offset`; a short read raises error 2112 naming the
    // file (a node or header past the file's end).
    void ReadBytes(std::uint64_t offset, void* buffer, std::size_t count);
    void WriteBytes(std::uint64_t offset, const void* buffer, std::size_t count);
    std::uint64_t FileSize();
    // Keeps `cache` (pages keyed by byte offset) true to this user's writes: every
    // WriteBytes forgets the pages it touches, Truncate all of them. The cache must
    // outlive the file's writes (a member of the format's file).
    void WatchWrites(PageCache& cache) { watched_ = &cache; }
    void Truncate(std::uint64_t size);
    void Flush();

    // ------------------------------------------------------------ lock
    // Takes the index file lock (shared files only; nests). Retries kLockAttempts times,
    // then raises XBaseError "Error %s in Lock of %s".
    void Lock();
    // Like Lock but returns false instead of raising.
    bool TryLock();
    void Unlock();
    int LockDepth() const { return lockDepth_; }
    // Runs `work` under the lock (Lock; given back however `work` ends).
    template <class Work>
    void Locked(Work work) {
        Lock();
        try {
            work();
        } catch (...) {
            Unlock();
            throw;
        }
        Unlock();
    }

    // ------------------------------------------------------------ facts
    DbfFile& Table() const { return table_; }
    DiskFile& Disk() { return disk_; }
    // The full path (upper case) and the short name: file name with extension, upper case.
    const std::string& FullPath() const { return disk_.FullPath(); }
    const std::string& ShortName() const { return shortName_; }
    // The file's base name (short name without extension): the tag name of single-tag files.
    std::string BaseName() const;
    bool Opened() const { return opened_; }
    bool WrongKind() const { return wrongKind_; }
    LockProtocol LockProtocolValue() const { return protocol_; }
    const std::vector<std::unique_ptr<IndexTag>>& Tags() const { return tags_; }
    int TagCount() const { return static_cast<int>(tags_.size()); }
    // The tag of that name (trimmed, any case), nullptr when none.
    IndexTag* FindTag(const std::string& name) const;

    // Raises an error through the engine's hook with this file's full path (info -7 by
    // default).
    void ReportError(int code, int subcode = -7) const;
    // Raises error 2112 naming the file, with `what` after the name.
    [[noreturn]] void Corrupt(const std::string& what) const;

    // Calls visit(recNo) for every record of the table in record-number order, deleted
    // ones included, read straight from the file in large pieces, with the table's record
    // buffer pointed at the record for the call (and back afterwards).
    void ForEachRecord(const std::function<void(std::uint32_t recNo)>& visit);

    // Releases every tag (writes back changed nodes and headers).
    void ReleaseTags();
    // Drops every tag's cached nodes without writing.
    void DiscardTags();

    // Progress of long work (build, reindex): start with the total, steps, end (0, 0, 0).
    std::function<void(int stat1, int stat2, int stat3)> progress;

protected:
    void SetOpened(bool opened) { opened_ = opened; }
    void SetWrongKind(bool wrongKind) { wrongKind_ = wrongKind; }
    std::vector<std::unique_ptr<IndexTag>>& MutableTags() { return tags_; }
    // Opens the disk file with the table's modes; raises error 2 when it is missing.
    void OpenDisk();
    // Creates the disk file (empty) and opens it with the table's modes.
    void CreateDisk();

private:
    DbfFile& table_;
    IndexDiskFile disk_;
    std::string shortName_;
    std::vector<std::unique_ptr<IndexTag>> tags_;
    LockProtocol protocol_ = LockProtocol::Default;
    PageCache* watched_ = nullptr;
    int lockDepth_ = 0;
    bool opened_ = false;
    bool wrongKind_ = false;
};

}  // namespace xbase
