#include "xbase/index/cdx/CdxTree.h"

#include <algorithm>
#include <string>

namespace xbase::cdx {

namespace {

constexpr std::size_t kCacheLimit = 32768;  // decoded nodes kept (about 1 KB each)
constexpr std::size_t kMaxDepth = 32;
constexpr std::size_t kReadAhead = 8;  // pages one read of a leaf brings

// memcmp's order over short keys, eight bytes at a time without a library call.
int CompareBytes(const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
    for (; n >= 8; n -= 8, a += 8, b += 8) {
        const std::uint64_t x = std::uint64_t{GetBe32(a)} << 32 | GetBe32(a + 4);
        const std::uint64_t y = std::uint64_t{GetBe32(b)} << 32 | GetBe32(b + 4);
        if (x != y) return x < y ? -1 : 1;
    }
    for (; n > 0; --n, ++a, ++b) {
        if (*a != *b) return *a < *b ? -1 : 1;
    }
    return 0;
}

int Compare(const std::uint8_t* entry, std::uint32_t entryRecord, const std::uint8_t* key,
            std::size_t keyBytes, std::uint32_t record) {
    const int c = CompareBytes(entry, key, keyBytes);
    if (c != 0) return c;
    if (record == CdxTree::kBeforeEqual) return 1;
    if (record == CdxTree::kAfterEqual) return -1;
    return entryRecord < record ? -1 : entryRecord > record ? 1 : 0;
}

// Index of the first entry of `n` not below (key, record).
std::size_t LowerIndex(const CdxNode& n, const std::uint8_t* key, std::size_t keyBytes,
                       std::uint32_t record) {
    std::size_t lo = 0;
    std::size_t hi = n.Count();
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        if (Compare(n.Key(mid), n.records[mid], key, keyBytes, record) < 0) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    return lo;
}

std::string At(std::uint32_t offset) { return " at offset " + std::to_string(offset); }

}  // namespace

CdxTree::CdxTree(CdxPageStore& store, std::uint32_t root, std::uint16_t keyLength, std::uint8_t pad)
    : store_(store), root_(root), keyLength_(keyLength), pad_(pad), page_(kReadAhead * kPageSize) {}

const CdxNode& CdxTree::Node(std::uint32_t offset) {
    if (last_ != nullptr && last_->offset == offset) return *last_;
    if (CdxNode* found = cache_.Find(offset)) {
        last_ = found;
        return *last_;
    }
    if (offset % kPageSize != 0 || offset < kPageSize ||
        std::uint64_t{offset} + kPageSize > store_.PageLimit())
        store_.Corrupt("node offset outside the file" + At(offset));
    const std::size_t pages = store_.ReadPages(
        offset, page_.data(),
        std::min<std::uint64_t>(kReadAhead, (store_.PageLimit() - offset) / kPageSize));
    CdxNode& n = cache_.Add(offset);
    n.keyLength = keyLength_;
    n.pad = pad_;
    const std::string fault = DecodeNode(page_.data(), n);
    if (!fault.empty()) {
        cache_.Erase(offset);
        store_.Corrupt(fault + At(offset));
    }
    // The pages after a leaf are read with it and kept as leaves where they decode as
    // such: a bulk build lays a tag's leaves side by side, and a walk or a run of seeks
    // needs them soon. A page that belongs to another tag, or is no leaf, is never looked
    // up by this tree; one that does not decode is left to be read (and reported) when
    // the tree asks for it.
    for (std::size_t k = 1; n.leaf && k < pages; ++k) {
        const std::uint32_t next = offset + static_cast<std::uint32_t>(k * kPageSize);
        if (cache_.Find(next) != nullptr) continue;
        CdxNode& ahead = cache_.Add(next);
        ahead.keyLength = keyLength_;
        ahead.pad = pad_;
        if (!DecodeNode(page_.data() + k * kPageSize, ahead).empty() || !ahead.leaf)
            cache_.Erase(next);
    }
    last_ = &n;
    return n;
}

void CdxTree::Invalidate() {
    last_ = nullptr;
    cache_.Clear();
    dirty_.clear();
}

void CdxTree::TrimCache() {
    if (cache_.Size() > kCacheLimit) {
        last_ = nullptr;
        cache_.Clear();
    }
    dirty_.clear();
}

void CdxTree::CheckChild(std::uint32_t child, const std::vector<Step>& path, std::uint32_t from) {
    if (path.size() > kMaxDepth) store_.Corrupt("tree deeper than any tag" + At(from));
    for (const Step& s : path) {
        if (s.offset == child) store_.Corrupt("child points back up the path" + At(from));
    }
}

const CdxNode& CdxTree::Child(const CdxNode& parent, std::size_t i) {
    const std::uint32_t child = parent.children[i];
    // The shortcut holds while the node it names is still cached under that generation
    // and is the page the parent names now.
    if (i < parent.below.size()) {
        const CdxNode::Below& b = parent.below[i];
        if (b.node != nullptr && b.node->generation == b.generation && b.node->offset == child) {
            last_ = const_cast<CdxNode*>(b.node);
            return *b.node;
        }
    }
    const CdxNode& n = Node(child);
    auto& below = const_cast<CdxNode&>(parent).below;
    if (below.size() < parent.Count()) below.resize(parent.Count());
    below[i] = {&n, n.generation};
    return n;
}

std::uint32_t CdxTree::Descend(const std::uint8_t* key, std::size_t keyBytes, std::uint32_t record,
                               bool clampRight, std::vector<Step>& path) {
    path.clear();
    std::uint32_t offset = root_;
    const CdxNode* n = &Node(offset);
    for (;;) {
        if (n->leaf) return offset;
        if (n->Count() == 0) store_.Corrupt("interior node without keys" + At(offset));
        std::size_t i = LowerIndex(*n, key, keyBytes, record);
        if (i == n->Count()) {
            if (!clampRight) return kNoPage;
            i = n->Count() - 1;
        }
        path.push_back({offset, i});
        const std::uint32_t child = n->children[i];
        CheckChild(child, path, offset);
        n = &Child(*n, i);
        offset = child;
    }
}

CdxPosition CdxTree::LowerBound(const std::uint8_t* key, std::size_t keyBytes,
                                std::uint32_t record) {
    TrimCache();
    const std::uint32_t leaf = Descend(key, keyBytes, record, false, searchPath_);
    if (leaf == kNoPage) return {};
    const CdxNode& n = Node(leaf);
    const std::size_t i = LowerIndex(n, key, keyBytes, record);
    if (i < n.Count()) return {leaf, i};
    // Separators above said a key not below lies here; a leaf ending early (another
    // program's layout) continues in its right sibling.
    CdxPosition at{leaf, n.Count() == 0 ? 0 : n.Count() - 1};
    if (n.Count() == 0 || !Next(at)) return {};
    return at;
}

std::uint32_t CdxTree::EdgeLeaf(bool last) {
    TrimCache();
    std::vector<Step> path;
    std::uint32_t offset = root_;
    for (;;) {
        const CdxNode& n = Node(offset);
        if (n.leaf) return offset;
        if (n.Count() == 0) store_.Corrupt("interior node without keys" + At(offset));
        const std::size_t i = last ? n.Count() - 1 : 0;
        path.push_back({offset, i});
        CheckChild(n.children[i], path, offset);
        offset = n.children[i];
    }
}

CdxPosition CdxTree::First() {
    const std::uint32_t leaf = EdgeLeaf(false);
    CdxPosition at{leaf, 0};
    if (Node(leaf).Count() > 0) return at;
    // An empty leaf (left by another program's removals): the keys go on to the right.
    return Next(at) ? at : CdxPosition{};
}

CdxPosition CdxTree::Last() {
    const std::uint32_t leaf = EdgeLeaf(true);
    const std::size_t count = Node(leaf).Count();
    CdxPosition at{leaf, count == 0 ? 0 : count - 1};
    if (count > 0) return at;
    return Prior(at) ? at : CdxPosition{};
}

bool CdxTree::Next(CdxPosition& at) {
    const CdxNode& n = Node(at.leaf);
    if (at.index + 1 < n.Count()) {
        ++at.index;
        return true;
    }
    const std::uint64_t limit = store_.PageLimit() / kPageSize + 1;
    std::uint32_t hop = n.right;
    for (std::uint64_t hops = 0; hop != kNoPage; ++hops) {
        if (hops > limit) store_.Corrupt("right sibling chain loops" + At(at.leaf));
        const CdxNode& m = Node(hop);
        if (!m.leaf) store_.Corrupt("sibling link to an interior node" + At(hop));
        if (m.Count() > 0) {
            // Keys rise strictly along the chain, so a link back can never be followed.
            const CdxNode& from = Node(at.leaf);
            if (from.Count() > 0 && Compare(m.Key(0), m.records[0], from.LastKey(), keyLength_,
                                            from.records.back()) <= 0)
                store_.Corrupt("right sibling holds lower keys" + At(hop));
            at = {hop, 0};
            return true;
        }
        hop = m.right;
    }
    at = {};
    return false;
}

bool CdxTree::Prior(CdxPosition& at) {
    if (at.index > 0) {
        --at.index;
        return true;
    }
    const std::uint64_t limit = store_.PageLimit() / kPageSize + 1;
    std::uint32_t hop = Node(at.leaf).left;
    for (std::uint64_t hops = 0; hop != kNoPage; ++hops) {
        if (hops > limit) store_.Corrupt("left sibling chain loops" + At(at.leaf));
        const CdxNode& m = Node(hop);
        if (!m.leaf) store_.Corrupt("sibling link to an interior node" + At(hop));
        if (m.Count() > 0) {
            const CdxNode& from = Node(at.leaf);
            if (from.Count() > 0 && Compare(m.LastKey(), m.records.back(), from.Key(0), keyLength_,
                                            from.records[0]) >= 0)
                store_.Corrupt("left sibling holds higher keys" + At(hop));
            at = {hop, m.Count() - 1};
            return true;
        }
        hop = m.left;
    }
    at = {};
    return false;
}

void CdxTree::MarkDirty(std::uint32_t offset) {
    if (std::find(dirty_.begin(), dirty_.end(), offset) == dirty_.end()) dirty_.push_back(offset);
}

// A leaf is written with entries wide enough for `maxRecord` and its own records; nodes
// that only change a link or lose keys pass 0, so they never outgrow their page.
void CdxTree::Write(const CdxNode& n, std::uint32_t maxRecord) {
    if (!EncodeNode(n, maxRecord, page_.data()))
        store_.Corrupt("node does not fit its page" + At(n.offset));
    store_.WritePage(n.offset, page_.data());
}

bool CdxTree::Fits(const CdxNode& n, std::uint32_t maxRecord) const {
    if (!n.leaf) return n.Count() <= InteriorCapacity(keyLength_);
    const LeafParams p = LeafParams::For(keyLength_, std::max(maxRecord, n.MaxRecord()));
    return LeafBytes(n, p) <= node::LeafArea;
}

void CdxTree::FixSeparators(const std::vector<Step>& path, std::size_t level, std::uint32_t node) {
    std::uint32_t child = node;
    for (std::size_t l = level; l > 0; --l) {
        const Step& s = path[l - 1];
        CdxNode& parent = Mutable(s.offset);
        const CdxNode& c = Node(child);
        if (c.Count() == 0) return;
        std::memcpy(parent.Key(s.index), c.LastKey(), keyLength_);
        parent.records[s.index] = c.records.back();
        MarkDirty(s.offset);
        if (s.index + 1 != parent.Count()) return;
        child = s.offset;
    }
}

std::uint32_t CdxTree::GrowRoot(std::vector<Step>& path) {
    CdxNode& root = Mutable(root_);
    const std::uint32_t moved = store_.AllocatePage();
    CdxNode& copy = cache_.Add(moved);
    copy = root;
    copy.offset = moved;
    copy.root = false;
    copy.left = copy.right = kNoPage;
    root.leaf = false;
    root.root = true;
    root.keys.assign(copy.LastKey(), copy.LastKey() + keyLength_);
    root.records.assign(1, copy.records.back());
    root.children.assign(1, moved);
    if (!path.empty()) path.front().offset = moved;
    path.insert(path.begin(), Step{root_, 0});
    MarkDirty(moved);
    MarkDirty(root_);
    return moved;
}

void CdxTree::SplitFront(std::vector<Step>& path, std::size_t parentLevel, std::uint32_t x,
                         std::uint32_t maxRecord) {
    CdxNode& right = Mutable(x);
    Step& s = path[parentLevel];
    CdxNode& parent = Mutable(s.offset);
    if (s.index >= parent.Count() || parent.children[s.index] != x)
        store_.Corrupt("parent entry does not lead to its child" + At(s.offset));
    std::size_t n =
        right.leaf ? LeafPrefixBelow(
                         right, LeafParams::For(keyLength_, std::max(maxRecord, right.MaxRecord())),
                         kSplitLeftBytes)
                   : (right.Count() + 1) / 2;
    n = std::min(n, right.Count() - 1);
    const std::uint32_t page = store_.AllocatePage();
    CdxNode& left = cache_.Add(page);
    left.leaf = right.leaf;
    left.root = false;
    left.keyLength = keyLength_;
    left.pad = pad_;
    left.left = right.left;
    left.right = x;
    right.MoveFrontTo(n, left);
    right.left = page;
    // The new node first, then the links into it: no page ever names an unwritten one.
    Write(left, maxRecord);
    if (left.left != kNoPage) {
        CdxNode& outer = Mutable(left.left);
        outer.right = page;
        Write(outer, 0);
    }
    parent.Insert(s.index, left.LastKey(), left.records.back(), page);
    ++s.index;
    MarkDirty(s.offset);
    MarkDirty(x);
}

void CdxTree::FlushPath(std::vector<Step>& path, std::uint32_t leaf, std::uint32_t maxRecord) {
    std::size_t depth = path.size();
    std::uint32_t current = leaf;
    for (;;) {
        if (!Fits(Node(current), maxRecord)) {
            if (depth == 0) {
                current = GrowRoot(path);
                depth = 1;
                continue;
            }
            do {
                SplitFront(path, depth - 1, current, maxRecord);
            } while (!Fits(Node(current), maxRecord));
        }
        const auto d = std::find(dirty_.begin(), dirty_.end(), current);
        if (d != dirty_.end()) {
            dirty_.erase(d);
            Write(Node(current), maxRecord);
        }
        if (depth == 0) break;
        --depth;
        current = path[depth].offset;
    }
    for (std::uint32_t offset : dirty_) Write(Node(offset), maxRecord);
    dirty_.clear();
}

void CdxTree::Insert(const std::uint8_t* key, std::uint32_t record, std::uint32_t maxRecord) {
    TrimCache();
    try {
        std::vector<Step> path;
        const std::uint32_t leafOffset = Descend(key, keyLength_, record, true, path);
        CdxNode& leaf = Mutable(leafOffset);
        const std::size_t i = LowerIndex(leaf, key, keyLength_, record);
        leaf.Insert(i, key, record, 0);
        MarkDirty(leafOffset);
        if (i + 1 == leaf.Count()) FixSeparators(path, path.size(), leafOffset);
        FlushPath(path, leafOffset, maxRecord);
    } catch (...) {
        Invalidate();
        throw;
    }
}

void CdxTree::Unlink(std::vector<Step>& path, std::uint32_t node) {
    std::size_t depth = path.size();
    std::uint32_t current = node;
    for (;;) {
        CdxNode& n = Mutable(current);
        if (n.left != kNoPage) {
            CdxNode& l = Mutable(n.left);
            l.right = n.right;
            Write(l, 0);
        }
        if (n.right != kNoPage) {
            CdxNode& r = Mutable(n.right);
            r.left = n.left;
            Write(r, 0);
        }
        dirty_.erase(std::remove(dirty_.begin(), dirty_.end(), current), dirty_.end());
        last_ = nullptr;
        cache_.Erase(current);  // the page is left unreachable; pages are never reused
        const Step& s = path[depth - 1];
        CdxNode& parent = Mutable(s.offset);
        const bool wasLast = s.index + 1 == parent.Count();
        parent.Erase(s.index);
        MarkDirty(s.offset);
        if (parent.Count() == 0) {
            if (depth == 1) {  // the root lost its last child: an empty leaf root
                parent.leaf = true;
                parent.children.clear();
                parent.left = parent.right = kNoPage;
                return;
            }
            current = s.offset;
            --depth;
            continue;
        }
        if (wasLast) FixSeparators(path, depth - 1, s.offset);
        return;
    }
}

bool CdxTree::Remove(const std::uint8_t* key, std::uint32_t record) {
    TrimCache();
    try {
        std::vector<Step> path;
        const std::uint32_t leafOffset = Descend(key, keyLength_, record, false, path);
        if (leafOffset == kNoPage) return false;
        CdxNode& leaf = Mutable(leafOffset);
        const std::size_t i = LowerIndex(leaf, key, keyLength_, record);
        if (i == leaf.Count() ||
            Compare(leaf.Key(i), leaf.records[i], key, keyLength_, record) != 0)
            return false;
        const bool wasLast = i + 1 == leaf.Count();
        leaf.Erase(i);
        MarkDirty(leafOffset);
        if (leaf.Count() == 0 && !path.empty()) {
            Unlink(path, leafOffset);
        } else if (wasLast && leaf.Count() > 0) {
            FixSeparators(path, path.size(), leafOffset);
        }
        // Nodes only lose keys here: each keeps an entry width its own records fit.
        for (std::uint32_t offset : dirty_) Write(Node(offset), 0);
        dirty_.clear();
        return true;
    } catch (...) {
        Invalidate();
        throw;
    }
}

}  // namespace xbase::cdx
