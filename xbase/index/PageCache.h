// Pages of an index file kept in memory as read or written, so that repeated seeks down
// the same upper levels read no file: the owner keeps it true to the file (each page it
// writes goes through Keep) and clears it when another user changed the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <unordered_map>

namespace xbase {

class PageCache {
public:
    // Pages of `pageSize` bytes; at most `capacity` of them (then each new page takes the
    // place of one kept).
    PageCache(std::size_t pageSize, std::size_t capacity) : pageSize_(pageSize), capacity_(capacity) {}

    // The page at `place`, nullptr when not kept.
    const std::uint8_t* Find(std::int64_t place) const {
        auto it = pages_.find(place);
        return it == pages_.end() ? nullptr : it->second.get();
    }
    // Keeps a copy of the page at `place`.
    void Keep(std::int64_t place, const std::uint8_t* data) {
        auto it = pages_.find(place);
        if (it == pages_.end()) {
            if (pages_.size() >= capacity_) pages_.erase(pages_.begin());
            it = pages_.emplace(place, std::make_unique<std::uint8_t[]>(pageSize_)).first;
        }
        std::memcpy(it->second.get(), data, pageSize_);
    }
    void Clear() { pages_.clear(); }

private:
    std::size_t pageSize_;
    std::size_t capacity_;
    std::unordered_map<std::int64_t, std::unique_ptr<std::uint8_t[]>> pages_;
};

}  // namespace xbase
