// Walks a whole index tree in key order, page by page, for checks, dumps and tests,
// without the node cache of an open tag; the formats give it their page decoding.
//
// Every page is read at most once per walk: a page reached twice (a cycle or a shared
// subtree), a tree deeper than any real one, leaves at different depths or a page the
// format's decoder refuses ends the walk with error 2112 naming the file.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/index/TreePage.h"

namespace xbase {

class TreeWalker {
public:
    // Reads and decodes page `id` into `page`: empty text, or why it is no page of the tag.
    using PageDecoder = std::function<std::string(std::uint32_t id, TreePage& page)>;
    // Orders two stored keys as the tag does (descending included).
    using KeyOrder = std::function<int(std::string_view a, std::string_view b)>;
    using Visit = std::function<void(std::string_view key, std::uint32_t recno)>;

    // Page ids are multiples of `idUnit` (byte offsets of 1024-byte pages: 1024; page
    // numbers: 1) below `idLimit`; `keysInInterior`: interior keys are entries of the
    // index themselves (Clipper files), else they repeat the last key of their subtree.
    TreeWalker(std::string fileName, std::uint64_t idLimit, std::uint32_t idUnit,
               bool keysInInterior, PageDecoder decode, KeyOrder order);

    // Calls `visit` with each key and record number in tree order from page `root`.
    void Walk(std::uint32_t root, const Visit& visit);

    // The first fault of the tree: pages (as Walk), keys out of order (equal keys when
    // `unique`), a record number 0, a separator below the last key of its subtree; empty
    // when sound. Reports the number of keys through `keys`.
    std::string Check(std::uint32_t root, bool unique, std::uint64_t& keys);

    [[noreturn]] void Fail() const;

private:
    // Walks the subtree at `id`; returns its last key (empty when it has none).
    std::string WalkPage(std::uint32_t id, int depth, const Visit& visit);

    std::string fileName_;
    std::uint64_t idLimit_;
    std::uint32_t idUnit_;
    bool keysInInterior_;
    PageDecoder decode_;
    KeyOrder order_;
    std::vector<bool> seen_;
    int leafDepth_ = -1;
    std::string separatorFault_;
};

}  // namespace xbase
