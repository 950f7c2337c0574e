// A Clipper index file (.NTX): one tag, named as the file stores it (else after the file's
// base name), a B-tree of 1024-byte pages, and a version counter that every record write
// increases so that other users notice the change.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "xbase/index/IndexFile.h"
#include "xbase/index/KnownSize.h"
#include "xbase/index/PageCache.h"

namespace xbase {

class NtxTag;

class NtxFile : public IndexFile {
public:
    NtxFile(DbfFile& table, const std::string& path);

    void Open() override;
    void Create() override;
    // Replaces the file's one tag (the file is emptied first) and builds it.
    IndexTag& AddTag(const TagDefinition& definition) override;
    void DeleteTag(const std::string& name) override;
    std::int64_t AllocateNode() override;
    void ResetAllocator() override;
    // Empties the file to its header and builds the tag again.
    void Reindex() override;
    // Counts the write in the header's version counter (written at once), then keeps the
    // tag current; a change another user made since this one looked is read afresh first.
    void RecordWritten(const RecordWrite& write) override;
    // Whether the header's version counter differs from the one this user holds (the
    // pages kept are forgotten then).
    bool ChangedByAnotherUser() override;
    bool HasChangeCounter() const override { return true; }

    NtxTag* Tag() const;
    // Cuts the file to the header and one empty root page (the tag keeps its definition).
    void Zap();

    // The page at byte `place` (kept in memory while no other user changes the file): its
    // bytes, valid until the next page operation. A place that is no page of the file
    // raises error 2112 naming the file.
    const std::uint8_t* ReadPage(std::int64_t place);
    // The page at byte `place` when it is kept in memory, else nullptr (valid as ReadPage's).
    const std::uint8_t* KeptPage(std::int64_t place) const { return pages_.Find(place); }
    // Writes the page at byte `place` (kept in memory as written).
    void WritePage(std::int64_t place, const std::uint8_t* data);
    // The file's size as last learnt (pages this user wrote included).
    KnownSize& Size() { return size_; }
    // Forgets the pages kept (pages written around WritePage, another user's change).
    void ForgetPages();

private:
    std::int64_t nextFree_ = -1;
    static constexpr std::size_t kRunPages = 64;  // pages read together when one is wanted

    KnownSize size_{*this};
    PageCache pages_;
    std::vector<std::uint8_t> run_;
};

}  // namespace xbase
