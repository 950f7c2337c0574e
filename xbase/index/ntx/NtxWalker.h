// Reads the header of a Clipper index file and walks its tree in key order, for checks,
// dumps and tests, without the node cache of an open tag (see TreeWalker for the faults
// that end a walk with error 2112).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "xbase/index/TreeWalker.h"
#include "xbase/index/ntx/NtxFormat.h"

namespace xbase::ntx {

// Reads exactly `count` bytes at `offset` of the index file into `buffer`.
using PageReader =
    std::function<void(std::uint64_t offset, std::uint8_t* buffer, std::size_t count)>;

class NtxWalker {
public:
    // `fileName` names the file in error reports; `fileSize` bounds every page offset.
    NtxWalker(std::string fileName, std::uint64_t fileSize, PageReader reader);

    // Reads and checks the header (error 2112 when it cannot be worked with).
    const Header& ReadHeader();
    const Header& HeaderRead() const { return header_; }

    // Each key (as stored) and record number in tree order. Requires ReadHeader().
    void Walk(const TreeWalker::Visit& visit);
    // The first fault of the tree (TreeWalker::Check), empty when sound.
    std::string Check(std::uint64_t& keys);

private:
    std::string fileName_;
    std::uint64_t fileSize_;
    PageReader reader_;
    Header header_;
    TreeWalker walker_;
};

}  // namespace xbase::ntx
