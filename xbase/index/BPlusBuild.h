// Bottom-up layout of a sorted key list as a tree whose leaves hold every key and whose
// interior entries repeat the last key of their subtree (the dBase formats): leaves first,
// each level spread evenly over the fewest nodes that hold it, every leaf at one depth.
// The format supplies the node writing; this only decides what goes where.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace xbase {

// Lays out keys 0..n-1 in nodes of at most `maxKeys` keys (interior nodes: maxKeys keys and
// one more child). Callbacks:
//   newNode(keyCount, interior) -> node id: starts the next node (ids in writing order);
//   putLeaf(slot, key): slot `slot` of the current leaf holds sorted key `key`;
//   putBranch(slot, childId, key, hasKey): slot `slot` of the current interior node holds
//     child `childId` and, unless it is the child-only last slot, the key `key` (the last
//     key of that child's subtree).
// Returns the root's id. Without keys the root is one empty leaf.
template <class NewNode, class PutLeaf, class PutBranch>
std::uint32_t BuildBPlusTree(std::size_t n, std::size_t maxKeys, NewNode newNode, PutLeaf putLeaf,
                             PutBranch putBranch) {
    struct Child {
        std::uint32_t id;
        std::size_t lastKey;
    };
    const std::size_t m = maxKeys;
    std::vector<Child> level;
    const std::size_t leaves = n == 0 ? 1 : (n + m - 1) / m;
    level.reserve(leaves);
    std::size_t next = 0;
    for (std::size_t i = 0; i < leaves; ++i) {
        std::size_t take = n / leaves + (i < n % leaves ? 1 : 0);
        std::uint32_t id = newNode(take, false);
        for (std::size_t k = 0; k < take; ++k) putLeaf(k, next + k);
        next += take;
        level.push_back({id, next == 0 ? 0 : next - 1});
    }
    while (level.size() > 1) {
        const std::size_t count = level.size();
        const std::size_t groups = (count + m) / (m + 1);
        std::vector<Child> up;
        up.reserve(groups);
        std::size_t at = 0;
        for (std::size_t g = 0; g < groups; ++g) {
            std::size_t take = count / groups + (g < count % groups ? 1 : 0);
            std::uint32_t id = newNode(take - 1, true);
            for (std::size_t k = 0; k < take; ++k)
                putBranch(k, level[at + k].id, level[at + k].lastKey, k + 1 < take);
            up.push_back({id, level[at + take - 1].lastKey});
            at += take;
        }
        level.swap(up);
    }
    return level[0].id;
}

}  // namespace xbase
