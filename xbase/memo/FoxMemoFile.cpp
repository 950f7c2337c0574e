#include "xbase/memo/FoxMemoFile.h"

#include "xbase/file/ByteOrder.h"

namespace xbase {

namespace {

constexpr int kBlockHeader = 8;
constexpr std::uint32_t kTextType = 1;
constexpr std::uint32_t kPictureType = 0;

}  // namespace

FoxMemoFile::FoxMemoFile(const MemoOptions& options) : MemoFile(options, ".FPT") {
    if (!UsableFile()) return;
    ReadPadded(0, Header().data(), Header().size());
    // Bytes 4-7 are read as one number of which the low 16 bits are the block size.
    if (!TakeBlockSize(byteorder::GetBe32(Header().data() + 4) & 0xFFFFu)) return;
    SetBlockHeaderSize(kBlockHeader);
}

std::uint64_t FoxMemoFile::BlocksNeeded(std::uint64_t n) const {
    return (n + kBlockHeader + static_cast<std::uint64_t>(BlockSize()) - 1) /
           static_cast<std::uint64_t>(BlockSize());
}

std::size_t FoxMemoFile::WriteTerminator(std::uint8_t* /*at*/, std::size_t /*room*/) const {
    return 0;
}

std::int64_t FoxMemoFile::LengthFromHeader() const {
    std::uint32_t type = byteorder::GetBe32(WorkHeader().data());
    if (type != kTextType && type != kPictureType) return -1;
    return static_cast<std::int64_t>(byteorder::GetBe32(WorkHeader().data() + 4)) + kBlockHeader;
}

bool FoxMemoFile::CheckText(std::string_view text) {
    if (text.size() > 0xFFFFFFFFu) RaiseTooLarge("A memo's length must fit in 32 bits");
    return true;
}

void FoxMemoFile::PutNextFree(std::uint8_t* header, std::uint32_t block) const {
    byteorder::PutBe32(header, block);
}

void FoxMemoFile::PrepareBlockHeader(std::uint64_t n) {
    auto& h = Header();
    h.fill(0);
    byteorder::PutBe32(h.data(), kTextType);
    byteorder::PutBe32(h.data() + 4, static_cast<std::uint32_t>(n));
}

}  // namespace xbase
