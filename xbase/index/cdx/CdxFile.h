// One open compound index file (".CDX") of a table: the directory of tags, each tag's
// tree and key expressions, tag addition (with its bulk build) and deletion, the rebuild of
// every tag, key maintenance on record writes, the change counter that tells other users
// of a change, the index file lock, and the check of every tag against the records.
//
// Pages are never reused: new pages are taken from the end of the file. Every change is
// made under the index file lock and written before the call returns.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "xbase/file/DiskFile.h"
#include "xbase/index/cdx/CdxHeader.h"
#include "xbase/index/cdx/CdxKeyMaker.h"
#include "xbase/index/cdx/CdxPageStore.h"
#include "xbase/index/cdx/CdxTag.h"
#include "xbase/index/cdx/CdxTree.h"

namespace xbase {
class DbfFile;
}

namespace xbase::cdx {

struct CdxTagDefinition {
    std::string name;  // up to 10 characters, kept upper case
    std::string keyExpression;
    std::string forExpression;  // may be empty
    bool unique = false;
    bool descending = false;
};

// One tag's finding of Check: its name and the first fault ("" when sound).
struct CdxTagReport {
    std::string tag;
    std::string fault;
};

class CdxFile : public CdxPageStore {
public:
    // Lock attempts and the pause between them (as for memo files).
    static constexpr int kLockAttempts = 100;
    static constexpr int kLockPauseMs = 50;

    // Opens `path` for `table` with the table's sharing and write modes. A file that is
    // missing, or no longer than 512 bytes, is made the empty 1,536-byte index when
    // `create` is set; otherwise a missing file raises error 2. A directory or tag header
    // that fails its checks raises error 2112 naming the file; a key expression that does
    // not compile against the table raises the expression's error. The table must
    // outlive the file.
    CdxFile(DbfFile& table, const std::string& path, bool create);
    ~CdxFile() override;
    CdxFile(const CdxFile&) = delete;
    CdxFile& operator=(const CdxFile&) = delete;

    const std::string& FullPath() const { return disk_.FullPath(); }
    std::size_t TagCount() const { return tags_.size(); }
    CdxTag& TagAt(std::size_t i) { return *tags_[i].tag; }
    // The tag of that name (any case, trailing blanks ignored); nullptr when none.
    CdxTag* FindTag(const std::string& name);
    // The directory header's change counter as this file last read or wrote it.
    std::uint32_t ChangeCounter() const { return counter_; }

    // Adds a tag built from every record of the table (deleted ones included), replacing a
    // tag of the same name. Errors (a bad expression, a full disk) leave the directory as
    // it was; pages already taken stay unreachable.
    CdxTag& AddTag(const CdxTagDefinition& definition);
    // Removes a tag from the directory; when none is left the file is cut back to the
    // empty index. Raises "Cannot find index tag %s" for an unknown name.
    void DeleteTag(const std::string& name);
    // Rebuilds every tag: the file is cut back to the empty index and each tag built anew.
    void Reindex();

    // Key maintenance for one record write: `oldImage` is the record as it was read
    // (nullptr for an append), `newImage` as written. Increases the change counter first.
    // A tag of "GENERAL" collation refuses the write before anything changes.
    void RecordWritten(std::uint32_t recNo, const std::uint8_t* oldImage, const std::uint8_t* newImage);
    // Whether another program changed the file since this one last read or wrote the
    // counter; when it did, every cached node is dropped and the directory read again.
    bool ChangedByAnotherUser();

    // Checks every tag: its pages (page checker), and against the records: every record
    // passing the FOR condition has exactly one entry with its current key (a unique tag:
    // each key once, on a record holding it, every key of the records present).
    std::vector<CdxTagReport> Check();

    // The index file lock of the table's lock protocol; nests. Raises "Error %s in Lock of
    // %s" when every attempt fails.
    void Lock();
    void Unlock();

    // Progress of long work (builds): start with the total, steps, then (0, 0, 0).
    std::function<void(int total, int done, int end)> progress;

    // Page store.
    void ReadPage(std::uint32_t offset, std::uint8_t* page) override;
    void WritePage(std::uint32_t offset, const std::uint8_t* page) override;
    std::uint32_t AllocatePage() override;
    std::uint64_t PageLimit() override { return size_ > next_ ? size_ : next_; }
    [[noreturn]] void Corrupt(const std::string& detail) override;

private:
    // The disk file, which may also be cut while this file holds the index lock: that is
    // how cooperating programs keep out of an index file being rebuilt.
    class Disk : public DiskFile {
    public:
        Disk(const std::string& name, bool shared, bool readWrite, const int& lockDepth)
            : DiskFile(name, shared, readWrite), lockDepth_(lockDepth) {}
        void DiskTruncate(std::uint64_t newEnd) override;

    private:
        const int& lockDepth_;
    };

    struct Slot {
        std::unique_ptr<CdxTag> tag;
        std::unique_ptr<CdxKeyMaker> keys;
        CdxTagDefinition definition;
    };

    void MakeEmpty();
    void ReadDirectory();
    void ReadCounter();
    void WriteCounter();
    std::uint32_t MaxRecord() const;
    void BuildInto(Slot& slot);
    void AddToDirectory(const std::string& name, std::uint32_t headerOffset);
    void DropFromDirectory(const std::string& name);
    // Calls visit(recNo, image) for every record in record-number order, read straight
    // from the table file in large pieces.
    void ForEachRecord(const std::function<void(std::uint32_t, const std::uint8_t*)>& visit);
    std::string CheckAgainstRecords(Slot& slot);
    void PromoteUnique(Slot& slot, const std::uint8_t* key, std::uint32_t leaving);

    DbfFile& table_;
    int lockDepth_ = 0;
    Disk disk_;
    std::unique_ptr<CdxTree> directory_;
    std::vector<Slot> tags_;
    std::uint32_t counter_ = 0;
    std::uint64_t size_ = 0;
    std::uint64_t next_ = 0;  // next page to allocate; 0 until first needed
};

}  // namespace xbase::cdx
