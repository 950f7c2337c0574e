// The one tag of a dBase single index file (.NDX): its header at page 0, nodes of 512
// bytes, character keys padded with blanks, numeric and date keys as doubles.
#pragma once

#include <cstdint>

#include "xbase/index/IndexTag.h"
#include "xbase/index/ndx/NdxSorter.h"

namespace xbase {

class NdxFile;

class NdxTag : public IndexTag {
public:
    NdxTag(NdxFile& file, std::string name);

    IndexKey ConvertKey(const KeyValue& value) const override;
    void CreateTag(const TagDefinition& definition) override;
    std::int64_t ReadRootOffset() override;
    void ReadNode(std::int64_t place, IndexNode& node) override;
    void WriteNode(IndexNode& node) override;
    // Reads page 0; a header that cannot be this kind's raises error 2112.
    void ReadHeader() override;
    void WriteHeader() override;
    // Builds through NdxSorter, which writes the pages itself.
    std::unique_ptr<IndexSorter> MakeSorter() override;
    void WriteSortedKeys(IndexSorter& sorter) override;
    // Lookups read the pages as stored.
    bool SearchesStoredPages() const override { return true; }
    bool ReadStoredPage(std::int64_t place, bool keptOnly, StoredPage& page) override;
    StoredItem StoredItemAt(const StoredPage& page, int i) const override;
    IndexKey StoredKey(const StoredItem& item) const override;
    bool StoresText() const override { return KeyType() == 'C'; }

    int EntrySize() const { return entrySize_; }
    int MaxKeys() const { return maxKeys_; }
    // Key length as the header records it (8 for numeric and date keys).
    int StoredKeyLength() const { return storedKeyLength_; }

private:
    NdxFile& ndx();
    NdxSorter::Layout SorterLayout() const;
    void LayOut(const IndexNode& node, std::size_t first, std::size_t count, bool interior,
                std::uint8_t* page) const;
    void WritePage(std::int64_t page, const IndexNode& node, std::size_t first, std::size_t count);

    int entrySize_ = 0;
    int maxKeys_ = 0;
    int storedKeyLength_ = 0;
};

}  // namespace xbase
