#include "xbase/index/cdx/CdxPageChecker.h"

#include <cstring>
#include <set>
#include <vector>

#include "xbase/index/cdx/CdxNode.h"

namespace xbase::cdx {

namespace {

constexpr int kMaxDepth = 32;

class Checker {
public:
    Checker(CdxPageStore& store, std::uint16_t keyLength, std::uint8_t pad, std::uint32_t maxRecord)
        : store_(store), L_(keyLength), pad_(pad), maxRecord_(maxRecord), page_(kPageSize) {}

    CdxCheckResult Run(std::uint32_t root) {
        CdxNode top;
        if (Load(root, top) && !top.root) Fail("root node lacks the root attribute", root);
        if (result_.Sound()) Visit(top, 1, true);
        if (result_.Sound()) CheckChains();
        result_.depth = leafDepth_ < 0 ? 0 : leafDepth_;
        return result_;
    }

private:
    void Fail(const std::string& what, std::uint32_t offset) {
        if (result_.fault.empty()) result_.fault = what + " at offset " + std::to_string(offset);
    }

    bool Load(std::uint32_t offset, CdxNode& out) {
        if (offset % kPageSize != 0 || offset < kPageSize ||
            std::uint64_t{offset} + kPageSize > store_.PageLimit()) {
            Fail("node offset outside the file", offset);
            return false;
        }
        if (!seen_.insert(offset).second) {
            Fail("page reached twice", offset);
            return false;
        }
        store_.ReadPage(offset, page_.data());
        out.offset = offset;
        out.keyLength = L_;
        out.pad = pad_;
        const std::string fault = DecodeNode(page_.data(), out);
        if (!fault.empty()) {
            Fail(fault, offset);
            return false;
        }
        ++result_.nodes;
        return true;
    }

    // Keys within a node ascend by (key, record).
    bool Ordered(const CdxNode& n) {
        for (std::size_t i = 1; i < n.Count(); ++i) {
            const int c = std::memcmp(n.Key(i - 1), n.Key(i), L_);
            if (c > 0 || (c == 0 && n.records[i - 1] >= n.records[i])) {
                Fail("keys out of order", n.offset);
                return false;
            }
        }
        return true;
    }

    void Visit(const CdxNode& n, int depth, bool isRoot) {
        if (!isRoot && n.root) return Fail("inner node carries the root attribute", n.offset);
        if (depth > kMaxDepth) return Fail("tree deeper than any tag", n.offset);
        if (!Ordered(n)) return;
        if (static_cast<std::size_t>(depth) > levels_.size()) levels_.resize(depth);
        levels_[depth - 1].push_back({n.offset, n.left, n.right});
        if (n.leaf) {
            if (leafDepth_ < 0) leafDepth_ = depth;
            if (leafDepth_ != depth) return Fail("leaves at different depths", n.offset);
            if (n.freeField + n.usedBytes != node::LeafArea)
                return Fail("free byte count disagrees with the entries", n.offset);
            for (std::size_t i = 0; i < n.Count(); ++i) {
                if (n.records[i] == 0 || n.records[i] > maxRecord_)
                    return Fail("record number beyond the table", n.offset);
            }
            if (n.Count() > 0) {
                if (havePrevious_) {
                    const int c = std::memcmp(previous_.data(), n.Key(0), L_);
                    if (c > 0 || (c == 0 && previousRecord_ >= n.records[0]))
                        return Fail("leaf keys out of order with the leaf before", n.offset);
                }
                previous_.assign(n.LastKey(), n.LastKey() + L_);
                previousRecord_ = n.records.back();
                havePrevious_ = true;
            }
            result_.keys += n.Count();
            return;
        }
        if (n.Count() == 0) return Fail("interior node without keys", n.offset);
        for (std::size_t i = 0; i < n.Count() && result_.Sound(); ++i) {
            CdxNode child;
            if (!Load(n.children[i], child)) return;
            if (child.Count() == 0) return Fail("empty node under an interior node", child.offset);
            Visit(child, depth + 1, false);
            if (!result_.Sound()) return;
            if (std::memcmp(n.Key(i), previous_.data(), L_) != 0 || n.records[i] != previousRecord_)
                return Fail("interior key differs from the last key of its child", n.offset);
        }
    }

    // Each level's nodes, in key order, are chained by their sibling links.
    void CheckChains() {
        for (const auto& level : levels_) {
            for (std::size_t k = 0; k < level.size(); ++k) {
                const std::uint32_t left = k == 0 ? kNoPage : level[k - 1].offset;
                const std::uint32_t right = k + 1 == level.size() ? kNoPage : level[k + 1].offset;
                if (level[k].left != left) return Fail("left sibling link broken", level[k].offset);
                if (level[k].right != right)
                    return Fail("right sibling link broken", level[k].offset);
            }
        }
    }

    struct Link {
        std::uint32_t offset, left, right;
    };

    CdxPageStore& store_;
    std::uint16_t L_;
    std::uint8_t pad_;
    std::uint32_t maxRecord_;
    std::vector<std::uint8_t> page_;
    std::set<std::uint32_t> seen_;
    std::vector<std::vector<Link>> levels_;
    int leafDepth_ = -1;
    std::vector<std::uint8_t> previous_;
    std::uint32_t previousRecord_ = 0;
    bool havePrevious_ = false;
    CdxCheckResult result_;
};

}  // namespace

CdxCheckResult CheckTag(CdxPageStore& store, std::uint32_t root, std::uint16_t keyLength,
                        std::uint8_t pad, std::uint32_t maxRecord) {
    Checker checker(store, keyLength, pad, maxRecord);
    return checker.Run(root);
}

}  // namespace xbase::cdx
