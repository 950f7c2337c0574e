#include "xbase/index/mdx/MdxWalker.h"

#include <cstring>

#include "xbase/file/EngineError.h"

namespace xbase::mdx {

namespace {
constexpr int kBadIndex = 2112;
}  // namespace

MdxWalker::MdxWalker(std::string fileName, std::uint64_t fileSize, BlockReader reader)
    : fileName_(std::move(fileName)), fileSize_(fileSize), reader_(std::move(reader)) {}

void MdxWalker::ReadHeaders() {
    auto fail = [this] { RaiseEngineError(kBadIndex, sub::None, fileName_); };
    if (fileSize_ < 4 * kPageSize) fail();
    std::vector<std::uint8_t> region(4 * kPageSize);
    reader_(0, region.data(), region.size());
    file_ = FileHeader::Decode(region.data());
    if (!file_.Problem(fileSize_).empty()) fail();
    bounds_.blockSize = file_.blockSize;
    bounds_.pagesPerBlock = file_.pagesPerBlock;
    bounds_.pages = fileSize_ / kPageSize;
    bounds_.firstPage = static_cast<std::uint32_t>(file_.RegionSize() / kPageSize);
    entries_.resize(file_.tagCount);
    DecodeTagTable(region.data(), entries_.size(), entries_.data());
    tags_.clear();
    std::vector<std::uint8_t> block(file_.blockSize);
    for (const TagEntry& entry : entries_) {
        if (entry.headerPage < bounds_.firstPage ||
            entry.headerPage + bounds_.pagesPerBlock > bounds_.pages)
            fail();
        reader_(static_cast<std::uint64_t>(entry.headerPage) * kPageSize, block.data(),
                block.size());
        tags_.push_back(TagHeader::Decode(block.data(), block.size()));
        if (!tags_.back().Problem(file_.blockSize, bounds_.pages).empty()) fail();
    }
}

int MdxWalker::Compare(const TagHeader& tag, std::string_view a, std::string_view b) {
    int c = 0;
    if (tag.keyType == 'C') {
        c = std::memcmp(a.data(), b.data(), a.size() < b.size() ? a.size() : b.size());
        if (c == 0 && a.size() != b.size()) c = a.size() < b.size() ? -1 : 1;
    } else {
        const auto* pa = reinterpret_cast<const std::uint8_t*>(a.data());
        const auto* pb = reinterpret_cast<const std::uint8_t*>(b.data());
        double x = tag.keyType == 'N' ? DecodeNumber(pa) : DecodeDouble(pa);
        double y = tag.keyType == 'N' ? DecodeNumber(pb) : DecodeDouble(pb);
        c = x < y ? -1 : x > y ? 1 : 0;
    }
    return tag.descending ? -c : c;
}

TreeWalker MdxWalker::WalkerFor(const TagHeader& tag) {
    return TreeWalker(
        fileName_, bounds_.pages, 1, false,
        [this, &tag](std::uint32_t page, TreePage& node) {
            if (page < bounds_.firstPage || page + bounds_.pagesPerBlock > bounds_.pages)
                return std::string("block outside the file");
            std::vector<std::uint8_t> block(bounds_.blockSize);
            reader_(static_cast<std::uint64_t>(page) * kPageSize, block.data(), block.size());
            std::uint32_t chain = 0;
            return DecodeNode(block.data(), tag, bounds_, page, node, chain);
        },
        [&tag](std::string_view a, std::string_view b) { return Compare(tag, a, b); });
}

void MdxWalker::Walk(std::size_t tag, const TreeWalker::Visit& visit) {
    const TagHeader& header = tags_.at(tag);
    WalkerFor(header).Walk(header.rootPage, visit);
}

std::string MdxWalker::Check(std::size_t tag, std::uint64_t& keys) {
    const TagHeader& header = tags_.at(tag);
    return WalkerFor(header).Check(header.rootPage, header.unique, keys);
}

}  // namespace xbase::mdx
