#include "xbase/index/ntx/NtxWalker.h"

#include <cstring>

#include "xbase/index/ntx/NtxPage.h"

namespace xbase::ntx {

NtxWalker::NtxWalker(std::string fileName, std::uint64_t fileSize, PageReader reader)
    : fileName_(fileName),
      fileSize_(fileSize),
      reader_(std::move(reader)),
      walker_(
          std::move(fileName), fileSize, kPageSize, true,
          [this](std::uint32_t id, TreePage& page) {
              std::uint8_t data[kPageSize];
              reader_(id, data, kPageSize);
              return DecodePage(data, header_, fileSize_, id, page);
          },
          [this](std::string_view a, std::string_view b) {
              int c = std::memcmp(a.data(), b.data(), a.size() < b.size() ? a.size() : b.size());
              return header_.descending ? -c : c;
          }) {}

const Header& NtxWalker::ReadHeader() {
    if (fileSize_ < 2 * kPageSize) walker_.Fail();
    std::uint8_t page[kPageSize];
    reader_(0, page, kPageSize);
    header_ = Header::Decode(page);
    if (!header_.Problem(fileSize_).empty()) walker_.Fail();
    return header_;
}

void NtxWalker::Walk(const TreeWalker::Visit& visit) { walker_.Walk(header_.root, visit); }

std::string NtxWalker::Check(std::uint64_t& keys) {
    return walker_.Check(header_.root, header_.unique, keys);
}

}  // namespace xbase::ntx
