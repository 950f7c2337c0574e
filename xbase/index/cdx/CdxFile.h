// One open compound index file (".CDX") of a table as an IndexFile of the index
// framework: the directory of tags, tag addition (with its bulk build) and deletion, the
// rebuild of every tag, key maintenance on record writes, and the change counter that
// tells other users of a change.
//
// Pages are never reused: new pages are taken from the end of the file. Every change is
// made under the index file lock (the table's lock protocol) and written before the call
// returns. A ".CDX" file of the table's own name is its production index.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "xbase/index/IndexFile.h"
#include "xbase/index/cdx/CdxHeader.h"
#include "xbase/index/cdx/CdxPageStore.h"
#include "xbase/index/cdx/CdxTag.h"
#include "xbase/index/cdx/CdxTree.h"

namespace xbase::cdx {

class CdxFile : public IndexFile, public CdxPageStore {
public:
    // The file is opened by Open or made by Create (IndexFile); the table must outlive it.
    CdxFile(DbfFile& table, const std::string& path);
    ~CdxFile() override;

    // ------------------------------------------------------------ IndexFile
    // Reads the directory and every tag header. A file no longer than 512 bytes is not a
    // compound index (WrongKind); a directory or tag header that fails its checks raises
    // error 2112 naming the file; a key expression that does not compile against the table
    // raises the expression's error.
    void Open() override;
    // Makes the file the empty index of 1,536 bytes.
    void Create() override;
    // Adds a tag built from every record of the table (deleted ones included), replacing a
    // tag of the same name (the object callers hold stays, holding the new tag). Errors (a
    // bad expression, a full disk) leave the directory as it was; pages already taken stay
    // unreachable.
    IndexTag& AddTag(const TagDefinition& definition) override;
    // Removes a tag from the directory; when none is left the file is cut back to the
    // empty index. Raises "Cannot find index tag %s" for an unknown name.
    void DeleteTag(const std::string& name) override;
    std::int64_t AllocateNode() override { return AllocatePage(); }
    void ResetAllocator() override { next_ = 0; }
    // Rebuilds every tag: the file is cut back to the empty index and each tag built anew
    // (the tag objects stay).
    void Reindex() override;
    // Counts the change first, then keeps every tag. A tag of "GENERAL" collation refuses
    // the write before anything changes.
    void RecordWritten(const RecordWrite& write) override;
    // Whether another program changed the file (counter or size) since this one last read
    // or wrote it; when it did, the directory and every tag header are read again.
    bool ChangedByAnotherUser() override;
    bool OrdersEqualKeysByRecord() const override { return true; }
    bool CanBeProductionIndex() const override { return true; }

    // ------------------------------------------------------------ compound index
    CdxTag& TagAt(std::size_t i) const { return static_cast<CdxTag&>(*Tags()[i]); }
    // The tag of that name (any case, trailing blanks ignored); nullptr when none.
    CdxTag* FindCdxTag(const std::string& name) const {
        return static_cast<CdxTag*>(FindTag(name));
    }
    // The directory header's change counter as this file last read or wrote it.
    std::uint32_t ChangeCounter() const { return counter_; }
    // The highest record number a leaf must be able to hold (the table's record count).
    std::uint32_t MaxRecord() const;
    // Writes pages of a tree being built (laid out from a page AllocatePage gave, run after
    // run) and moves the allocator past them.
    void WriteBuiltPages(std::uint32_t offset, const std::uint8_t* pages, std::size_t size);

    // The check a read without the lock makes: whether the change counter in the file
    // differs from the one held (then the directory and tag headers are read again).
    bool CounterChanged();
    // For a shared file: takes the index lock for a read and, when another program changed
    // the file, drops every tag's cached pages. Returns whether the lock was taken here
    // (EndRead then releases it).
    bool BeginRead();
    void EndRead(bool locked);

    // A read made without the lock (readers of a shared file take none): while one runs, a
    // page that does not decode raises TornRead instead of error 2112, and the reader
    // reads again under the lock.
    struct TornRead {};
    class OptimisticRead {
    public:
        explicit OptimisticRead(CdxFile& file) : file_(file) { file_.optimistic_ = true; }
        ~OptimisticRead() { file_.optimistic_ = false; }
        OptimisticRead(const OptimisticRead&) = delete;
        OptimisticRead& operator=(const OptimisticRead&) = delete;

    private:
        CdxFile& file_;
    };
    bool Optimistic() const { return optimistic_; }

    // ------------------------------------------------------------ page store
    void ReadPage(std::uint32_t offset, std::uint8_t* page) override;
    std::size_t ReadPages(std::uint32_t offset, std::uint8_t* pages, std::size_t count) override;
    void WritePage(std::uint32_t offset, const std::uint8_t* page) override;
    std::uint32_t AllocatePage() override;
    std::uint64_t PageLimit() override { return size_ > next_ ? size_ : next_; }
    [[noreturn]] void Corrupt(const std::string& detail) override;

private:
    class WriteScope;

    void MakeEmpty();
    void ReadDirectory(bool refresh);
    void ReadCounter();
    void WriteCounter();
    void AddToDirectory(const std::string& name, std::uint32_t headerOffset);
    void DropFromDirectory(const std::string& name, std::uint32_t headerOffset);
    void SortTags();

    std::unique_ptr<CdxTree> directory_;
    std::uint32_t counter_ = 0;
    std::uint64_t size_ = 0;
    std::uint64_t next_ = 0;  // next page to allocate; 0 until first needed
    bool optimistic_ = false;
};

}  // namespace xbase::cdx
