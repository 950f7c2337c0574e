// A compound index file held in memory: the fuzz target's and the tests' page store, and
// a way to look at a file's bytes without touching the file.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "xbase/index/cdx/CdxPageStore.h"

namespace xbase::cdx {

class CdxMemoryStore : public CdxPageStore {
public:
    explicit CdxMemoryStore(std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(1024))
        : bytes_(std::move(bytes)) {}

    // A read past the end is a malformed file (error 2112), as a short read would be.
    void ReadPage(std::uint32_t offset, std::uint8_t* page) override {
        if (std::uint64_t{offset} + kPage > bytes_.size())
            Corrupt("page beyond the end of the file");
        std::memcpy(page, bytes_.data() + offset, kPage);
    }
    void WritePage(std::uint32_t offset, const std::uint8_t* page) override {
        if (std::uint64_t{offset} + kPage > bytes_.size()) bytes_.resize(offset + kPage);
        std::memcpy(bytes_.data() + offset, page, kPage);
    }
    std::uint32_t AllocatePage() override {
        const auto offset = static_cast<std::uint32_t>(bytes_.size());
        bytes_.resize(bytes_.size() + kPage);
        return offset;
    }
    std::uint64_t PageLimit() override { return bytes_.size(); }
    [[noreturn]] void Corrupt(const std::string& detail) override {
        RaiseIndexFault("(memory)", detail);
    }

    std::vector<std::uint8_t>& Bytes() { return bytes_; }

private:
    static constexpr std::size_t kPage = 512;
    std::vector<std::uint8_t> bytes_;
};

}  // namespace xbase::cdx
