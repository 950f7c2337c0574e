// The pages a lookup reads as stored, for formats without a change counter (MDX, NDX):
// while this user alone has the file (opened exclusively) they are kept in memory, true to
// this user's writes through the file's write watch; a shared file's pages are read afresh
// every time (under the lock the reader holds), since nothing tells another user's change.
#pragma once

#include <algorithm>
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
    // file's end raises error 2112 naming the file (IndexFile::ReadBytes). Pages lie at
    // `base` + k * page size in files this engine lays out; `size` is the file's size as
    // known. A page to keep comes with the pages around it, in one read (a tree built in
    // one go lies in file order, so they are the pages the next lookups want).
    const std::uint8_t* Read(std::uint64_t offset, std::uint64_t base, std::uint64_t size) {
        const auto place = static_cast<std::int64_t>(offset);
        const std::size_t pageSize = kept_.PageSize();
        if (!file_.Disk().IsShared()) {
            if (const std::uint8_t* kept = kept_.Find(place)) return kept;
            const std::uint64_t runBytes = kRunPages * pageSize;
            if (offset >= base && (offset - base) % pageSize == 0 && kept_.HasRoom(kRunPages)) {
                const std::uint64_t first = base + (offset - base) / runBytes * runBytes;
                const std::uint64_t end =
                    std::min(first + runBytes, std::max(size, offset + pageSize));
                run_.resize(static_cast<std::size_t>(end - first));
                const std::size_t got = file_.Disk().DiskRead(first, run_.data(), run_.size());
                if (got >= offset - first + pageSize) {
                    kept_.KeepRun(first, run_.data(), got);
                    return kept_.Find(place);
                }
            }
        }
        scratch_[0] = 0;  // the mark, as PageCache keeps it
        file_.ReadBytes(offset, scratch_.data() + 1, pageSize);
        if (file_.Disk().IsShared()) return scratch_.data() + 1;
        kept_.Keep(place, scratch_.data() + 1);
        return kept_.Find(place);
    }

private:
    static constexpr std::size_t kRunPages = 64;

    IndexFile& file_;
    PageCache kept_;
    std::vector<std::uint8_t> scratch_;
    std::vector<std::uint8_t> run_;
};

}  // namespace xbase
