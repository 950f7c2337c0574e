// A dBase single index file (.NDX): one tag named after the file's base name, a B-tree of
// 512-byte pages. The kind the engine assumes for an index name without extension.
#pragma once

#include <cstdint>
#include <string>

#include "xbase/index/IndexFile.h"
#include "xbase/index/KnownSize.h"
#include "xbase/index/StoredPages.h"

namespace xbase {

class NdxTag;

class NdxFile : public IndexFile {
public:
    NdxFile(DbfFile& table, const std::string& path);

    void Open() override;
    void Create() override;
    IndexTag& AddTag(const TagDefinition& definition) override;
    void DeleteTag(const std::string& name) override;
    std::int64_t AllocateNode() override;
    void ResetAllocator() override;
    void Reindex() override;
    // A FOR condition and the descending order: the header has no room for them.
    std::string Refuses(const TagDefinition& definition) const override;

    NdxTag* Tag() const;
    // Pages in use: the next page the allocator gives.
    std::int64_t NextFreePage() const { return nextFree_; }
    void SetNextFreePage(std::int64_t page) { nextFree_ = page; }
    // The file's size as last learnt (pages this user wrote included).
    KnownSize& Size() { return size_; }
    // The page `page` as a lookup reads it (StoredPages: kept while the file is this
    // user's alone); valid until the next call.
    const std::uint8_t* StoredPage(std::int64_t page);

private:
    std::int64_t nextFree_ = -1;
    KnownSize size_{*this};
    StoredPages pages_;
};

}  // namespace xbase
