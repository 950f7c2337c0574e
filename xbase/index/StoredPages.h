// The pages a lookup reads as stored, for formats without a change counter (MDX, NDX):
// while this user alone has the file (opened exclusively) they are kept in memory, true to
// this user's writes through the file's write watch; a shared file's pages are read afresh
// every time (under the lock the reader holds), since nothing tells another user's change.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "xbase/index/IndexFile.h"
#include "xbase/index/PageCache.h"

namespace xbase {

class StoredPages {
public:
    // Pages of `pageSize` bytes starting at multiples of `unit`; at most `capacity` kept.
    StoredPages(IndexFile& file, std::size_t pageSize, std::size_t capacity, std::size_t unit)
        : file_(file), kept_(pageSize, capacity, unit), scratch_(pageSize + 1) {
        file_.WatchWrites(kept_);
    }
    StoredPages(const StoredPages&) = delete;
    StoredPages& operator=(const StoredPages&) = delete;

    // The page at byte `offset`: its bytes, valid until the next Read. A page past the
    // file's end raises error 2112 naming the file (IndexFile::ReadBytes).
    const std::uint8_t* Read(std::uint64_t offset) {
        const auto place = static_cast<std::int64_t>(offset);
        if (!file_.Disk().IsShared()) {
            if (const std::uint8_t* kept = kept_.Find(place)) return kept;
        }
        file_.ReadBytes(offset, scratch_.data(), kept_.PageSize());
        scratch_.back() = 0;  // not checked
        if (file_.Disk().IsShared()) return scratch_.data();
        kept_.Keep(place, scratch_.data());
        return kept_.Find(place);
    }
    // Whether the reader found `page` (a pointer Read gave) sound already; MarkChecked
    // says it did (PageCache::Checked).
    bool Checked(const std::uint8_t* page) const { return kept_.Checked(page); }
    void MarkChecked(const std::uint8_t* page) { kept_.MarkChecked(page); }

private:
    IndexFile& file_;
    PageCache kept_;
    std::vector<std::uint8_t> scratch_;
};

}  // namespace xbase
