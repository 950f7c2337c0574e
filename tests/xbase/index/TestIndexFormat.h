// A small index format for the framework's tests (".TIX"): nodes of at most four entries,
// so that a few dozen keys already make a deep tree, with FOR conditions, unique and
// descending tags and, as file options, equal keys ordered by record number and interior
// nodes whose last child has no key. It keeps
// everything the tree operations rely on and nothing of any real format's packing.
#pragma once

#include <cstdint>
#include <string>

#include "xbase/index/IndexFile.h"

namespace indextest {

class TixFile : public xbase::IndexFile {
public:
    TixFile(xbase::DbfFile& table, const std::string& path);

    void Open() override;
    void Create() override;
    xbase::IndexTag& AddTag(const xbase::TagDefinition& definition) override;
    void DeleteTag(const std::string& name) override;
    std::int64_t AllocateNode() override { return nextFree_++; }
    void ResetAllocator() override;
    void Reindex() override;
    bool OrdersEqualKeysByRecord() const override { return byRecord_; }

    std::int64_t nextFree_ = 1;
    bool byRecord_ = false;
    bool childOnlyLast_ = false;
};

// Makes every ".TIX" file order equal keys by record number (or not) from now on.
void SetTixOrdersByRecord(bool byRecord);
// Makes every new ".TIX" file read the last entry of an interior node as a child without a
// key (IndexKey::BeyondAll), as formats with n keys and n + 1 children do.
void SetTixChildOnlyLast(bool childOnly);

}  // namespace indextest
