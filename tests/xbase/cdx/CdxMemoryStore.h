// A compound index file held in memory for the format tests: pages read and written in
// a byte vector, faults raised as CdxFault.
#pragma once

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "xbase/index/cdx/CdxPageStore.h"

namespace cdxtest {

struct CdxFault : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class MemoryStore : public xbase::cdx::CdxPageStore {
public:
    explicit MemoryStore(std::size_t size = 1024) : bytes(size) {}
    void ReadPage(std::uint32_t offset, std::uint8_t* page) override {
        std::memcpy(page, bytes.data() + offset, 512);
    }
    void WritePage(std::uint32_t offset, const std::uint8_t* page) override {
        if (offset + 512 > bytes.size()) bytes.resize(offset + 512);
        std::memcpy(bytes.data() + offset, page, 512);
    }
    std::uint32_t AllocatePage() override {
        const auto offset = static_cast<std::uint32_t>(bytes.size());
        bytes.resize(bytes.size() + 512);
        return offset;
    }
    std::uint64_t PageLimit() override { return bytes.size(); }
    [[noreturn]] void Corrupt(const std::string& detail) override { throw CdxFault(detail); }

    std::vector<std::uint8_t> bytes;
};

}  // namespace cdxtest
