// One tag of a dBase IV multiple index file (.MDX): its header block, nodes of one block
// each in which interior entries repeat the last key of their child's subtree, character
// keys padded with blanks, numeric keys as packed decimals and date keys as doubles.
#pragma once

#include <cstdint>
#include <memory>

#include "xbase/index/IndexTag.h"
#include "xbase/index/mdx/MdxFormat.h"

namespace xbase {

class MdxFile;
class MdxSorter;
template <class Sorter>
class LayingSorter;

class MdxTag : public IndexTag {
public:
    // `headerPage`: the page of the tag's header block.
    MdxTag(MdxFile& file, std::string name, std::uint32_t headerPage);

    // 'C' text without trailing blanks; 'N' the number as its packed decimal keeps it
    // (15 significant digits); 'D' the day number, the empty date 1e100; 'L' T or F.
    IndexKey ConvertKey(const KeyValue& value) const override;
    // Type and length from the key's value on a blank record; writes the header block and
    // builds the tag (an empty root leaf for a table without records).
    void CreateTag(const TagDefinition& definition) override;
    std::int64_t ReadRootOffset() override;
    void ReadNode(std::int64_t place, IndexNode& node) override;
    void WriteNode(IndexNode& node) override;
    // Reads the header block; one that cannot be an MDX tag header raises error 2112.
    void ReadHeader() override;
    void WriteHeader() override;
    void WriteSortedKeys(IndexSorter& sorter) override;
    std::unique_ptr<IndexSorter> MakeSorter() override;
    // A number goes to this tag's own build sorter as evaluated: it packs it once
    // (ConvertKey packs it and reads it back, and the sorter would pack it again).
    void AddBuildKey(IndexSorter& sorter, std::uint32_t recNo) override;
    // Lookups read the blocks as stored.
    bool SearchesStoredPages() const override { return true; }
    bool ReadStoredPage(std::int64_t place, bool keptOnly, StoredPage& page) override;
    StoredItem StoredItemAt(const StoredPage& page, int i) const override;
    IndexKey StoredKey(const StoredItem& item) const override;
    bool StoresText() const override { return header_.keyType != 'N' && header_.keyType != 'D'; }

    const mdx::TagHeader& Header() const { return header_; }
    // Puts the tag's header at another block (rebuild).
    void MoveHeader(std::uint32_t page);

private:
    MdxFile& mdxFile();
    void StoreKey(const IndexKey& key, std::string& out) const;
    void WriteBlock(std::int64_t page, const IndexNode& node, std::size_t first, std::size_t count,
                    std::uint32_t chainPage);

    mdx::TagHeader header_;
    LayingSorter<MdxSorter>* building_ = nullptr;  // the sorter MakeSorter made last
};

}  // namespace xbase
