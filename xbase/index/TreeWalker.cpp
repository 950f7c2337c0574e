#include "xbase/index/TreeWalker.h"

#include "xbase/file/EngineError.h"

namespace xbase {

namespace {
// No real index tree gets this deep.
constexpr int kMaxDepth = 40;
constexpr int kBadIndex = 2112;
}  // namespace

TreeWalker::TreeWalker(std::string fileName, std::uint64_t idLimit, std::uint32_t idUnit,
                       bool keysInInterior, PageDecoder decode, KeyOrder order)
    : fileName_(std::move(fileName)),
      idLimit_(idLimit),
      idUnit_(idUnit == 0 ? 1 : idUnit),
      keysInInterior_(keysInInterior),
      decode_(std::move(decode)),
      order_(std::move(order)) {}

void TreeWalker::Fail() const { RaiseEngineError(kBadIndex, sub::None, fileName_); }

void TreeWalker::Walk(std::uint32_t root, const Visit& visit) {
    seen_.assign(static_cast<std::size_t>(idLimit_ / idUnit_ + 1), false);
    leafDepth_ = -1;
    separatorFault_.clear();
    WalkPage(root, 0, visit);
}

std::string TreeWalker::WalkPage(std::uint32_t id, int depth, const Visit& visit) {
    if (depth > kMaxDepth || id % idUnit_ != 0 || id >= idLimit_) Fail();
    std::size_t slot = id / idUnit_;
    if (seen_[slot]) Fail();
    seen_[slot] = true;
    TreePage page;
    if (!decode_(id, page).empty()) Fail();
    if (!page.interior) {
        if (leafDepth_ < 0) leafDepth_ = depth;
        if (depth != leafDepth_) Fail();
        for (const TreeItem& item : page.items) visit(item.key, item.recno);
        return page.items.empty() ? std::string() : page.items.back().key;
    }
    std::string last;
    for (std::size_t i = 0; i < page.items.size(); ++i) {
        const TreeItem& item = page.items[i];
        last = WalkPage(item.child, depth + 1, visit);
        if (i == page.KeyCount()) break;
        if (keysInInterior_) {
            visit(item.key, item.recno);
            last = item.key;
        } else if (!last.empty() && separatorFault_.empty() && order_(last, item.key) > 0) {
            separatorFault_ = "separator below the last key of its subtree";
        }
    }
    return last;
}

std::string TreeWalker::Check(std::uint32_t root, bool unique, std::uint64_t& keys) {
    keys = 0;
    std::string previous;
    std::string fault;
    try {
        Walk(root, [&](std::string_view key, std::uint32_t recno) {
            if (!fault.empty()) return;
            if (recno == 0) fault = "key with record number 0";
            if (keys > 0) {
                int c = order_(previous, key);
                if (c > 0 || (c == 0 && unique))
                    fault = "keys out of order before record " + std::to_string(recno);
            }
            previous.assign(key);
            ++keys;
        });
    } catch (const XBaseError& e) {
        return e.what();
    }
    return fault.empty() ? separatorFault_ : fault;
}

}  // namespace xbase
