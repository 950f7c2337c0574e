// A run of new pages written one after another from a starting offset, gathered in a
// buffer and written in large pieces: the output side of the index bulk builders.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

namespace xbase {

class PageRun {
public:
    using Writer =
        std::function<void(std::uint64_t offset, const std::uint8_t* data, std::size_t count)>;

    // Pages of `pageSize` bytes from byte `start` on, written through `write`.
    PageRun(std::size_t pageSize, std::uint64_t start, Writer write)
        : pageSize_(pageSize), start_(start), next_(start), write_(std::move(write)) {
        buffer_.reserve(pageSize_ * kPagesPerWrite);
    }

    // A zeroed page to fill; it lies at LastOffset() until the next call.
    std::uint8_t* NextPage() {
        if (buffer_.size() == pageSize_ * kPagesPerWrite) Flush();
        buffer_.resize(buffer_.size() + pageSize_);
        last_ = next_;
        next_ += pageSize_;
        std::uint8_t* page = buffer_.data() + buffer_.size() - pageSize_;
        std::memset(page, 0, pageSize_);
        return page;
    }
    std::uint64_t LastOffset() const { return last_; }
    // The byte after the last page handed out.
    std::uint64_t End() const { return next_; }

    // Writes what is gathered.
    void Flush() {
        if (buffer_.empty()) return;
        write_(start_, buffer_.data(), buffer_.size());
        start_ += buffer_.size();
        buffer_.clear();
    }

private:
    static constexpr std::size_t kPagesPerWrite = 64;
    std::size_t pageSize_;
    std::uint64_t start_;
    std::uint64_t next_;
    std::uint64_t last_ = 0;
    Writer write_;
    std::vector<std::uint8_t> buffer_;
};

}  // namespace xbase
