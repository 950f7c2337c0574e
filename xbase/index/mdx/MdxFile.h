// A dBase IV multiple index file (.MDX): up to 47 tags listed in name order in the tag
// table after the file header, each a B-tree of blocks; a table's production index when
// it bears the table's name.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "xbase/index/IndexFile.h"
#include "xbase/index/KnownSize.h"
#include "xbase/index/StoredPages.h"
#include "xbase/index/mdx/MdxFormat.h"

namespace xbase {

class MdxTag;

class MdxFile : public IndexFile {
public:
    MdxFile(DbfFile& table, const std::string& path);

    void Open() override;
    // A fresh header (today's date, the table's base name, 1024-byte blocks), no tags.
    void Create() override;
    // Adds the tag (replacing one of the same name), in name order, and builds it. A file
    // holding 47 tags takes no other.
    IndexTag& AddTag(const TagDefinition& definition) override;
    // Removes the tag from the table; without tags left the file is cut to its header.
    void DeleteTag(const std::string& name) override;
    // Page number of a new block.
    std::int64_t AllocateNode() override;
    void ResetAllocator() override;
    // Cuts the file to its header and builds every tag again, each with a new header block.
    void Reindex() override;
    void RecordWritten(const RecordWrite& write) override;
    bool CanBeProductionIndex() const override { return true; }

    const mdx::FileHeader& Header() const { return header_; }
    // The first page after the header region.
    std::uint32_t FirstNodePage() const {
        return static_cast<std::uint32_t>(header_.RegionSize() / mdx::kPageSize);
    }
    // Sets the next free page (after a build wrote blocks itself).
    void SetNextFreePage(std::uint32_t page) { header_.nextFreePage = page; }
    // The file's size as last learnt (blocks this user wrote included).
    KnownSize& Size() { return size_; }
    // The block at `page` as a lookup reads it (StoredPages: kept while the file is this
    // user's alone); valid until the next call.
    const std::uint8_t* StoredBlock(std::uint32_t page);

private:
    // Rewrites the file header (count, next free page, date of update) and the tag table.
    void WriteHeaderRegion();

    mdx::FileHeader header_;
    KnownSize size_{*this};
    std::unique_ptr<StoredPages> blocks_;  // made for the block size of the file opened
};

}  // namespace xbase
