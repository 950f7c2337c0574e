// The FoxPro memo file (".FPT"), also used by Visual FoxPro tables: big-endian header
// with the next free block and the block size, and an 8-byte block header (type, text
// length) before each text. Memos are rewritten in place when they still fit and appended
// at the end otherwise.
#pragma once

#include "xbase/memo/MemoFile.h"

namespace xbase {

class FoxMemoFile : public MemoFile {
public:
    explicit FoxMemoFile(const MemoOptions& options);

protected:
    std::uint64_t BlocksNeeded(std::uint64_t n) const override;
    std::size_t WriteTerminator(std::uint8_t* at, std::size_t room) const override;
    std::int64_t LengthFromHeader() const override;
    bool CheckText(std::string_view text) override;
    void PutNextFree(std::uint8_t* header, std::uint32_t block) const override;
    void PrepareBlockHeader(std::uint64_t n) override;
    bool RecordsNameInHeader() const override { return false; }
};

}  // namespace xbase
