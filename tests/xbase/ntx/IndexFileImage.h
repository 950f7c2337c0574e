// Index files held in memory for the format tests: read from the fixtures, written by the
// bulk builders, handed to the walkers as page readers.
#pragma once

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace indextest {

inline std::string PeerDir() { return std::string(TAXBRIDGE_FIXTURES_DIR) + "/peer-xbase/"; }

inline std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline const nlohmann::json& Manifest() {
    static const nlohmann::json manifest = [] {
        std::ifstream in(PeerDir() + "MANIFEST.json");
        return nlohmann::json::parse(in);
    }();
    return manifest;
}

// A file image that grows as pages are written to it.
struct FileImage {
    std::vector<std::uint8_t> bytes;

    void Write(std::uint64_t offset, const std::uint8_t* data, std::size_t count) {
        if (bytes.size() < offset + count) bytes.resize(offset + count);
        std::memcpy(bytes.data() + offset, data, count);
    }
    // Reads `count` bytes at `offset`; bytes past the end read as zero.
    void Read(std::uint64_t offset, std::uint8_t* out, std::size_t count) const {
        std::memset(out, 0, count);
        if (offset < bytes.size())
            std::memcpy(out, bytes.data() + offset,
                        std::min<std::size_t>(count, bytes.size() - offset));
    }
    auto Reader() const {
        return [this](std::uint64_t o, std::uint8_t* b, std::size_t n) { Read(o, b, n); };
    }
    auto Writer() {
        return [this](std::uint64_t o, const std::uint8_t* d, std::size_t n) { Write(o, d, n); };
    }
};

}  // namespace indextest
