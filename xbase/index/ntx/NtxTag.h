// The one tag of a Clipper index file (.NTX): a B-tree of 1024-byte pages whose interior
// keys are entries of the index, mapped onto the node model in which every node's last
// entry is the separator that covers it in its parent.
//
// Reading a page: an interior page's n keys become entries pointing at their children,
// and a last entry points at the child after the last key; its key is the parent's
// separator (beyond every key on the rightmost path). A leaf below a separator gets that
// separator (with its record number) as its last entry: the key the file keeps one level
// up. Writing reverses this: such a last entry is not written into the page, it belongs to
// the page above.
#pragma once

#include <cstdint>
#include <memory>

#include "xbase/index/IndexTag.h"
#include "xbase/index/ntx/NtxFormat.h"

namespace xbase {

class NtxFile;

class NtxTag : public IndexTag {
public:
    NtxTag(NtxFile& file, std::string name);

    // Text keys: 'C' without trailing blanks, 'N' as the file's digit text, 'D' as
    // YYYYMMDD (the empty date as blanks, so "" in memory), 'L' as T or F.
    IndexKey ConvertKey(const KeyValue& value) const override;
    // Key length from the key's value on a blank record ('N': the field's width and
    // decimals for a single numeric field, else 18 and 4); writes the header and builds.
    void CreateTag(const TagDefinition& definition) override;
    std::int64_t ReadRootOffset() override;
    void ReadNode(std::int64_t place, IndexNode& node) override;
    void WriteNode(IndexNode& node) override;
    // Reads the header page; one that cannot be a Clipper header raises error 2112.
    void ReadHeader() override;
    void WriteHeader() override;
    void WriteSortedKeys(IndexSorter& sorter) override;
    std::unique_ptr<IndexSorter> MakeSorter() override;
    // Lookups read the pages as stored (kept in memory while the version counter stays).
    bool SearchesStoredPages() const override { return true; }
    bool ReadStoredPage(std::int64_t place, bool keptOnly, StoredPage& page) override;
    StoredItem StoredItemAt(const StoredPage& page, int i) const override;
    bool InteriorKeysAreEntries() const override { return true; }

    const ntx::Header& Header() const { return header_; }
    // The version counter as this user last saw or wrote it.
    std::uint16_t Version() const { return header_.version; }
    void SetVersion(std::uint16_t version) { header_.version = version; }

private:
    NtxFile& ntxFile();
    // Writes entries [first, first + count) of `node` as one page at byte `place`; with
    // `lastGoesUp` the last entry is not written as a key (the page above holds it).
    void WritePage(std::int64_t place, const IndexNode& node, std::size_t first, std::size_t count,
                   bool lastGoesUp);

    ntx::Header header_;
};

}  // namespace xbase
