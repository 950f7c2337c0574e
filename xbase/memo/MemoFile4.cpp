#include "xbase/memo/MemoFile4.h"

#include <algorithm>
#include <limits>

#include "xbase/file/ByteOrder.h"

namespace xbase {

namespace {

constexpr int kBlockHeader = 8;
constexpr std::uint64_t kMaxBlockNumber = std::numeric_limits<std::int32_t>::max();

std::uint64_t CeilDiv(std::uint64_t a, std::uint64_t b) { return (a + b - 1) / b; }

}  // namespace

MemoFile4::MemoFile4(const MemoOptions& options) : MemoFile(options) {
    if (!UsableFile()) return;
    // A file shorter than its header reads as the bytes present followed by zeros.
    ReadPadded(0, Header().data(), Header().size());
    if (!TakeBlockSize(byteorder::GetLe32(Header().data() + 20))) return;
    SetBlockHeaderSize(kBlockHeader);
}

std::uint64_t MemoFile4::BlocksNeeded(std::uint64_t n) const {
    return CeilDiv(n + kBlockHeader, static_cast<std::uint64_t>(BlockSize()));
}

std::size_t MemoFile4::WriteTerminator(std::uint8_t* /*at*/, std::size_t /*room*/) const {
    return 0;
}

std::int64_t MemoFile4::LengthFromHeader() const {
    const auto& h = WorkHeader();
    if (h[0] != 0xFF || h[1] != 0xFF) return -1;
    std::uint32_t total = byteorder::GetLe32(h.data() + 4);
    return total < kBlockHeader ? -1 : static_cast<std::int64_t>(total);
}

bool MemoFile4::CheckText(std::string_view text) {
    if (text.size() > 0xFFFFFFFFu - kBlockHeader) {
        RaiseTooLarge("A memo's length must fit in its 32-bit block header");
    }
    return true;
}

bool MemoFile4::WalkChain(std::int32_t block, bool& holds, std::vector<FreeRun>* runs) {
    holds = false;
    std::uint8_t head[4];
    ReadPadded(0, head, sizeof head);
    std::uint64_t end = std::max<std::uint64_t>(BlocksInFile(), 1);
    std::uint64_t first = FirstDataBlock();
    std::uint64_t run = byteorder::GetLe32(head);
    std::uint64_t steps = 0;
    while (run < end) {
        // Every run is at least one block and no two runs share one, so a chain with more
        // runs than the file has blocks loops.
        if (run < first || ++steps > end) return Refuse();
        std::uint8_t rh[8];
        ReadPadded(BlockOffset(run), rh, sizeof rh);
        std::uint64_t next = byteorder::GetLe32(rh);
        std::uint64_t count = byteorder::GetLe32(rh + 4);
        if (count == 0 || run + count > end) return Refuse();
        if (block > 0 && static_cast<std::uint64_t>(block) >= run &&
            static_cast<std::uint64_t>(block) < run + count) {
            holds = true;
        }
        if (runs != nullptr) {
            runs->push_back({static_cast<std::uint32_t>(run), static_cast<std::uint32_t>(count)});
        }
        run = next;
    }
    return true;
}

bool MemoFile4::FreeChain(std::vector<FreeRun>& runs) {
    runs.clear();
    bool holds = false;
    return UsableFile() && WalkChain(0, holds, &runs);
}

void MemoFile4::ReleaseRun(std::int32_t block) {
    std::uint8_t bh[8];
    ReadPadded(BlockOffset(static_cast<std::uint64_t>(block)), bh, sizeof bh);
    std::uint64_t total = byteorder::GetLe32(bh + 4);
    std::uint64_t count =
        std::max<std::uint64_t>(CeilDiv(total, static_cast<std::uint64_t>(BlockSize())), 1);
    std::uint8_t head[8];
    ReadPadded(0, head, sizeof head);
    std::uint8_t rh[8];
    byteorder::PutLe32(rh, byteorder::GetLe32(head));
    byteorder::PutLe32(rh + 4, static_cast<std::uint32_t>(count));
    DiskWrite(BlockOffset(static_cast<std::uint64_t>(block)), rh, sizeof rh);
    byteorder::PutLe32(head, static_cast<std::uint32_t>(block));
    byteorder::PutLe32(head + 4, 0);
    DiskWrite(0, head, sizeof head);
}

bool MemoFile4::Allocate(std::uint64_t n) {
    std::uint64_t needed = BlocksNeeded(n);
    // The chain is checked whole before anything changes, so a damaged file is refused
    // without losing the old memo; a block already free is not released twice.
    bool alreadyFree = false;
    if (!WalkChain(CurrentBlock(), alreadyFree, nullptr)) return false;
    if (CurrentBlock() > 0 && !alreadyFree) ReleaseRun(CurrentBlock());

    std::uint8_t head[4];
    ReadPadded(0, head, sizeof head);
    std::uint64_t end = std::max<std::uint64_t>(BlocksInFile(), 1);
    std::uint64_t previous = 0;  // 0: the file header
    std::uint64_t run = byteorder::GetLe32(head);
    std::uint64_t taken = 0;
    std::uint64_t newNext = 0;
    while (run < end) {
        std::uint8_t rh[8];
        ReadPadded(BlockOffset(run), rh, sizeof rh);
        std::uint64_t next = byteorder::GetLe32(rh);
        std::uint64_t count = byteorder::GetLe32(rh + 4);
        if (count < needed) {
            previous = run;
            run = next;
            continue;
        }
        taken = run;
        if (count == needed) {
            newNext = next;
        } else {
            std::uint8_t rest[8];
            byteorder::PutLe32(rest, static_cast<std::uint32_t>(next));
            byteorder::PutLe32(rest + 4, static_cast<std::uint32_t>(count - needed));
            DiskWrite(BlockOffset(run + needed), rest, sizeof rest);
            newNext = run + needed;
        }
        break;
    }
    if (taken == 0) {
        taken = std::max<std::uint64_t>(end, FirstDataBlock());
        if (taken + needed > kMaxBlockNumber) return Refuse(memoinfo::TooLarge);
        newNext = taken + needed;
    }
    std::uint8_t link[4];
    byteorder::PutLe32(link, static_cast<std::uint32_t>(newNext));
    DiskWrite(previous == 0 ? 0 : BlockOffset(previous), link, sizeof link);

    TakeBlocks(static_cast<std::int32_t>(taken), needed);
    auto& h = Header();
    h.fill(0);
    h[0] = 0xFF;
    h[1] = 0xFF;
    byteorder::PutLe16(h.data() + 2, kBlockHeader);
    byteorder::PutLe32(h.data() + 4, static_cast<std::uint32_t>(n + kBlockHeader));
    return true;
}

}  // namespace xbase
