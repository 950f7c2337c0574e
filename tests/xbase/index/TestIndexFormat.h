// A small index format for the framework's tests (".TIX"): nodes of at most four entries,
// so that a few dozen keys already make a deep tree, with FOR conditions, unique and
// descending tags and, as a file option, equal keys ordered by record number. It keeps
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
};

// Makes every ".TIX" file order equal keys by record number (or not) from now on.
void SetTixOrdersByRecord(bool byRecord);

}  // namespace indextest
