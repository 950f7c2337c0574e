#include "xbase/memo/MemoFactory.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "xbase/file/ByteOrder.h"
#include "xbase/memo/FoxMemoFile.h"
#include "xbase/memo/MemoFile4.h"

namespace xbase {

MemoKind MemoKindFor(std::uint8_t version, std::uint8_t tableFlags, bool hasMemoFields) {
    switch (version) {
        case version::DBase3Memo:
            return MemoKind::DBase3;
        case version::DBase4Memo:
            return MemoKind::DBase4;
        case version::FoxProMemo:
            return MemoKind::FoxPro;
        case version::VisualFox:
        case version::VisualFoxAutoIncrement:
        case version::VisualFoxVarchar:
            return (tableFlags & dbf::kFlagHasMemo) != 0 || hasMemoFields ? MemoKind::FoxPro
                                                                          : MemoKind::None;
        default:
            return MemoKind::None;
    }
}

bool IsMemoFieldType(char type, std::uint8_t version) {
    if (type == 'M' || type == 'G') return true;
    return type == 'B' && !IsVisualFoxVersion(version);
}

std::unique_ptr<MemoFile> OpenMemoFile(MemoKind kind, const MemoOptions& options) {
    switch (kind) {
        case MemoKind::DBase3:
            return std::make_unique<MemoFile>(options);
        case MemoKind::DBase4:
            return std::make_unique<MemoFile4>(options);
        case MemoKind::FoxPro:
            return std::make_unique<FoxMemoFile>(options);
        case MemoKind::None:
            break;
    }
    return nullptr;
}

std::vector<std::uint8_t> EmptyMemoFileBytes(MemoKind kind, int blockSize) {
    using namespace byteorder;
    if (blockSize == 0) blockSize = kind == MemoKind::FoxPro ? 64 : MemoFile::kDefaultBlockSize;
    // dBase III memos always use 512-byte blocks; the others record their size.
    const bool sizeFixed = kind == MemoKind::DBase3;
    if ((sizeFixed && blockSize != MemoFile::kDefaultBlockSize) || blockSize < 1 ||
        blockSize > MemoFile::kMaxBlockSize || (kind == MemoKind::DBase4 && blockSize % 512 != 0)) {
        throw std::invalid_argument("memo block size " + std::to_string(blockSize) +
                                    " is not possible for this memo kind");
    }
    const auto size = static_cast<std::uint32_t>(blockSize);
    const std::uint32_t first = (MemoFile::kHeaderArea + size - 1) / size;
    std::vector<std::uint8_t> header(std::max<std::size_t>(MemoFile::kHeaderArea, size), 0);
    switch (kind) {
        case MemoKind::DBase3:
            PutLe32(header.data(), first);
            header[16] = version::DBase3;
            break;
        case MemoKind::DBase4:
            PutLe32(header.data(), first);
            PutLe32(header.data() + 20, size);
            break;
        case MemoKind::FoxPro:
            PutBe32(header.data(), first);
            PutBe32(header.data() + 4, size);
            header.resize(std::max<std::size_t>(MemoFile::kHeaderArea, first * size), 0);
            break;
        case MemoKind::None:
            return {};
    }
    return header;
}

}  // namespace xbase
