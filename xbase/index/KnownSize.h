// The size of an index file as last learnt, asked of the file again only when a place lies
// beyond it: other users' writes only make a file longer between rebuilds, and a rebuild
// starts a new tree whose pages all lie inside the file, so a place inside the size known
// needs no asking.
#pragma once

#include <algorithm>
#include <cstdint>

#include "xbase/index/IndexFile.h"

namespace xbase {

class KnownSize {
public:
    explicit KnownSize(IndexFile& file) : file_(file) {}

    // The size; `fresh` asks the file.
    std::uint64_t Get(bool fresh = false) {
        if (fresh || size_ == 0) size_ = file_.FileSize();
        return size_;
    }
    // Whether bytes [0, end) lie inside the file (asking it when the size known is short).
    bool Covers(std::uint64_t end) { return end <= Get() || end <= Get(true); }
    // This user wrote up to `end`.
    void Grew(std::uint64_t end) { size_ = std::max(size_, end); }
    // The file was cut or rewritten past this object: ask it next time.
    void Forget() { size_ = 0; }

private:
    IndexFile& file_;
    std::uint64_t size_ = 0;
};

}  // namespace xbase
