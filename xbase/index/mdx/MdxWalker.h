// Reads the header, tag table and tag headers of an MDX file and walks a tag's tree in key
// order, for checks, dumps and tests, without the node cache of an open tag (see
// TreeWalker for the faults that end a walk with error 2112).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/index/TreeWalker.h"
#include "xbase/index/mdx/MdxNode.h"

namespace xbase::mdx {

// Reads exactly `count` bytes at byte `offset` of the index file into `buffer`.
using BlockReader =
    std::function<void(std::uint64_t offset, std::uint8_t* buffer, std::size_t count)>;

class MdxWalker {
public:
    MdxWalker(std::string fileName, std::uint64_t fileSize, BlockReader reader);

    // Reads the file header, the tag table and every tag header (error 2112 when one of
    // them cannot be worked with).
    void ReadHeaders();
    const FileHeader& File() const { return file_; }
    const std::vector<TagEntry>& Entries() const { return entries_; }
    const std::vector<TagHeader>& Tags() const { return tags_; }

    // Each key (as stored) and record number of tag `tag` in tree order.
    void Walk(std::size_t tag, const TreeWalker::Visit& visit);
    // The first fault of tag `tag` (TreeWalker::Check), empty when sound.
    std::string Check(std::size_t tag, std::uint64_t& keys);

    // Orders two stored keys of `tag` as the tag does (descending included).
    static int Compare(const TagHeader& tag, std::string_view a, std::string_view b);

private:
    TreeWalker WalkerFor(const TagHeader& tag);

    std::string fileName_;
    std::uint64_t fileSize_;
    BlockReader reader_;
    FileHeader file_;
    NodeBounds bounds_;
    std::vector<TagEntry> entries_;
    std::vector<TagHeader> tags_;
};

}  // namespace xbase::mdx
