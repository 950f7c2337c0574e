// The pages of one compound index file as its tags see them: whole 512-byte reads and
// writes, page allocation at the end of the file, and the one way a malformed page is
// reported (error 2112 naming the file).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace xbase::cdx {

// The engine's code for a file that is not a valid index of its kind.
constexpr int kIndexFault = 2112;

// Reports error 2112 for `file` through the engine's error hook, with `detail` saying
// what is wrong, and throws XBaseError when the hook returns: a malformed page never lets
// the operation go on.
[[noreturn]] void RaiseIndexFault(const std::string& file, const std::string& detail);

class CdxPageStore {
public:
    virtual ~CdxPageStore() = default;
    // Reads the 512 bytes at `offset`; a disk failure raises the disk layer's error.
    virtual void ReadPage(std::uint32_t offset, std::uint8_t* page) = 0;
    // Reads up to `count` pages from `offset` (512 bytes each, the first one in the file)
    // and returns how many it read: as many as lie in the file. The default reads them
    // one by one; a file reads them at once.
    virtual std::size_t ReadPages(std::uint32_t offset, std::uint8_t* pages, std::size_t count);
    virtual void WritePage(std::uint32_t offset, const std::uint8_t* page) = 0;
    // The next page offset at the end of the file (pages are never reused).
    virtual std::uint32_t AllocatePage() = 0;
    // The file size in bytes, pages allocated but not yet written included.
    virtual std::uint64_t PageLimit() = 0;
    // Raises error 2112 for this file with `detail` saying what is wrong; never returns.
    [[noreturn]] virtual void Corrupt(const std::string& detail) = 0;
};

}  // namespace xbase::cdx
