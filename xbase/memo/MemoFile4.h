// The dBase IV memo file (".DBT"): block size from the header, an 8-byte block header
// (0xFF 0xFF, offset 8, total length) before each text, and released runs of blocks kept
// in a free chain that new memos take first fit.
#pragma once

#include <cstdint>
#include <vector>

#include "xbase/memo/MemoFile.h"

namespace xbase {

class MemoFile4 : public MemoFile {
public:
    explicit MemoFile4(const MemoOptions& options);

    // One free run of the chain, for inspection.
    struct FreeRun {
        std::uint32_t block;
        std::uint32_t count;
    };
    // Walks the free chain from the header; error 1005 when it loops, points into the
    // header or runs past the end of the file.
    bool FreeChain(std::vector<FreeRun>& runs);

protected:
    std::uint64_t BlocksNeeded(std::uint64_t n) const override;
    bool Allocate(std::uint64_t n) override;
    void ReleaseRun(std::int32_t block) override;
    std::size_t WriteTerminator(std::uint8_t* at, std::size_t room) const override;
    std::int64_t LengthFromHeader() const override;
    bool CheckText(std::string_view text) override;

private:
    // Walks the chain checking every run; `holds` tells whether `block` lies in a run.
    bool WalkChain(std::int32_t block, bool& holds, std::vector<FreeRun>* runs);
};

}  // namespace xbase
