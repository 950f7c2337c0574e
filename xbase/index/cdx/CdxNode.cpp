#include "xbase/index/cdx/CdxNode.h"

#include <algorithm>

namespace xbase::cdx {

namespace {

int BitLength(std::uint32_t v) {
    int bits = 0;
    while (v != 0) {
        ++bits;
        v >>= 1;
    }
    return bits;
}

// Trailing pad bytes of a key, and the prefix it shares with the previous key (never
// reaching into the trailing padding).
struct Packing {
    std::size_t dup;
    std::size_t trail;
    std::size_t Stored(std::size_t keyLength) const { return keyLength - dup - trail; }
};

Packing Pack(const std::uint8_t* key, const std::uint8_t* previous, std::size_t keyLength,
             std::uint8_t pad) {
    std::size_t trail = 0;
    while (trail < keyLength && key[keyLength - 1 - trail] == pad) ++trail;
    std::size_t dup = 0;
    if (previous != nullptr) {
        const std::size_t limit = keyLength - trail;
        while (dup < limit && key[dup] == previous[dup]) ++dup;
    }
    return {dup, trail};
}

void PutEntry(std::uint8_t* at, const LeafParams& p, std::uint32_t record, std::size_t dup,
              std::size_t trail) {
    const int bits = 8 * p.entryBytes;
    std::uint64_t v = record & p.recordMask;
    v |= static_cast<std::uint64_t>(dup) << (bits - p.trailBits - p.dupBits);
    v |= static_cast<std::uint64_t>(trail) << (bits - p.trailBits);
    for (int i = 0; i < p.entryBytes; ++i) at[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void PutLeafParams(std::uint8_t* page, const LeafParams& p) {
    PutLe32(page + node::RecordMask, p.recordMask);
    page[node::DupMask] = p.dupMask;
    page[node::TrailMask] = p.trailMask;
    page[node::RecordBits] = p.recordBits;
    page[node::DupBits] = p.dupBits;
    page[node::TrailBits] = p.trailBits;
    page[node::EntryBytes] = p.entryBytes;
}

std::string DecodeInterior(const std::uint8_t* page, std::size_t count, CdxNode& out) {
    const std::size_t L = out.keyLength;
    if (count > InteriorCapacity(out.keyLength)) return "interior key count beyond the page";
    out.keys.resize(count * L);
    out.records.resize(count);
    out.children.resize(count);
    const std::uint8_t* at = page + node::InteriorEntries;
    for (std::size_t i = 0; i < count; ++i, at += L + 8) {
        std::memcpy(out.Key(i), at, L);
        out.records[i] = GetBe32(at + L);
        out.children[i] = GetBe32(at + L + 4);
    }
    return {};
}

std::string DecodeLeaf(const std::uint8_t* page, std::size_t count, CdxNode& out) {
    LeafParams p;
    p.recordMask = GetLe32(page + node::RecordMask);
    p.dupMask = page[node::DupMask];
    p.trailMask = page[node::TrailMask];
    p.recordBits = page[node::RecordBits];
    p.dupBits = page[node::DupBits];
    p.trailBits = page[node::TrailBits];
    p.entryBytes = page[node::EntryBytes];
    const std::size_t L = out.keyLength;
    if (p.entryBytes < 3 || p.entryBytes > 8) return "leaf entry size out of range";
    if (p.recordBits == 0 || p.recordBits > 32 || p.dupBits > 8 || p.trailBits > 8 ||
        p.recordBits + p.dupBits + p.trailBits > 8 * p.entryBytes)
        return "leaf bit counts do not fit the entry size";
    const std::uint64_t recordMask = (std::uint64_t{1} << p.recordBits) - 1;
    if (p.recordMask != recordMask || p.dupMask != (1u << p.dupBits) - 1 ||
        p.trailMask != (1u << p.trailBits) - 1)
        return "leaf masks disagree with their bit counts";
    if (count > node::LeafArea / p.entryBytes) return "leaf key count beyond the page";
    out.keys.resize(count * L);
    out.records.resize(count);
    out.children.clear();
    out.freeField = GetLe16(page + node::FreeBytes);
    out.usedBytes = count * p.entryBytes;
    const std::size_t entriesEnd = node::LeafEntries + count * p.entryBytes;
    std::size_t keyPos = kPageSize;
    const int bits = 8 * p.entryBytes;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* e = page + node::LeafEntries + i * p.entryBytes;
        std::uint64_t v = 0;
        for (int b = 0; b < p.entryBytes; ++b) v |= static_cast<std::uint64_t>(e[b]) << (8 * b);
        const std::uint32_t record = static_cast<std::uint32_t>(v & p.recordMask);
        const std::size_t trail = (v >> (bits - p.trailBits)) & p.trailMask;
        const std::size_t dup = (v >> (bits - p.trailBits - p.dupBits)) & p.dupMask;
        if (trail > L || dup > L - trail) return "leaf counts beyond the key length";
        if (i == 0 && dup != 0) return "first leaf key shares a prefix with nothing";
        const std::size_t stored = L - dup - trail;
        if (keyPos < entriesEnd + stored) return "leaf key bytes run into the entries";
        keyPos -= stored;
        out.usedBytes += stored;
        std::uint8_t* key = out.Key(i);
        if (dup != 0) std::memcpy(key, out.Key(i - 1), dup);
        std::memcpy(key + dup, page + keyPos, stored);
        std::memset(key + dup + stored, out.pad, trail);
        out.records[i] = record;
    }
    return {};
}

}  // namespace

LeafParams LeafParams::For(std::uint16_t keyLength, std::uint32_t maxRecord) {
    LeafParams p;
    const int b = BitLength(keyLength);
    p.dupBits = p.trailBits = static_cast<std::uint8_t>(b);
    p.dupMask = p.trailMask = static_cast<std::uint8_t>((1u << b) - 1);
    p.recordBits = static_cast<std::uint8_t>(24 - 2 * b);
    p.entryBytes = 3;
    p.recordMask = (1u << p.recordBits) - 1;
    while (p.recordMask < maxRecord && p.recordBits < 31) {
        ++p.entryBytes;
        if ((p.recordMask & 0x800000u) != 0) {
            p.recordMask = 0x7FFFFFFFu;
            p.recordBits = 31;
        } else {
            p.recordMask = p.recordMask * 256 + 255;
            p.recordBits = static_cast<std::uint8_t>(p.recordBits + 8);
        }
    }
    return p;
}

std::uint32_t CdxNode::MaxRecord() const {
    std::uint32_t m = 0;
    for (std::uint32_t r : records) m = std::max(m, r);
    return m;
}

void CdxNode::Insert(std::size_t i, const std::uint8_t* key, std::uint32_t record,
                     std::uint32_t child) {
    keys.insert(keys.begin() + static_cast<std::ptrdiff_t>(i * keyLength), key, key + keyLength);
    records.insert(records.begin() + static_cast<std::ptrdiff_t>(i), record);
    if (!leaf) children.insert(children.begin() + static_cast<std::ptrdiff_t>(i), child);
}

void CdxNode::Erase(std::size_t i) {
    const auto at = keys.begin() + static_cast<std::ptrdiff_t>(i * keyLength);
    keys.erase(at, at + keyLength);
    records.erase(records.begin() + static_cast<std::ptrdiff_t>(i));
    if (!leaf) children.erase(children.begin() + static_cast<std::ptrdiff_t>(i));
}

void CdxNode::MoveFrontTo(std::size_t n, CdxNode& left) {
    const auto keyEnd = keys.begin() + static_cast<std::ptrdiff_t>(n * keyLength);
    left.keys.assign(keys.begin(), keyEnd);
    keys.erase(keys.begin(), keyEnd);
    const auto recEnd = records.begin() + static_cast<std::ptrdiff_t>(n);
    left.records.assign(records.begin(), recEnd);
    records.erase(records.begin(), recEnd);
    if (!leaf) {
        const auto childEnd = children.begin() + static_cast<std::ptrdiff_t>(n);
        left.children.assign(children.begin(), childEnd);
        children.erase(children.begin(), childEnd);
    } else {
        left.children.clear();
    }
}

std::string DecodeNode(const std::uint8_t* page, CdxNode& out) {
    const std::uint16_t attributes = GetLe16(page + node::Attributes);
    if (attributes > 3) return "node attributes out of range";
    out.leaf = (attributes & attr::Leaf) != 0;
    out.root = (attributes & attr::Root) != 0;
    out.left = GetLe32(page + node::Left);
    out.right = GetLe32(page + node::Right);
    const std::size_t count = GetLe16(page + node::KeyCount);
    if (out.keyLength == 0 || out.keyLength > kMaxKeyLength) return "key length out of range";
    return out.leaf ? DecodeLeaf(page, count, out) : DecodeInterior(page, count, out);
}

std::size_t LeafBytes(const CdxNode& n, const LeafParams& params) {
    std::size_t total = 0;
    for (std::size_t i = 0; i < n.Count(); ++i) {
        const Packing k = Pack(n.Key(i), i == 0 ? nullptr : n.Key(i - 1), n.keyLength, n.pad);
        total += k.Stored(n.keyLength) + params.entryBytes;
    }
    return total;
}

std::size_t LeafPrefixBelow(const CdxNode& n, const LeafParams& params, std::size_t limit) {
    std::size_t total = 0;
    std::size_t i = 0;
    for (; i < n.Count(); ++i) {
        const Packing k = Pack(n.Key(i), i == 0 ? nullptr : n.Key(i - 1), n.keyLength, n.pad);
        total += k.Stored(n.keyLength) + params.entryBytes;
        if (total >= limit) break;
    }
    return std::max<std::size_t>(i, 1);
}

bool EncodeNode(const CdxNode& n, std::uint32_t maxRecord, std::uint8_t* page) {
    std::memset(page, 0, kPageSize);
    const std::uint16_t rootBit = n.root ? attr::Root : 0;
    PutLe16(page + node::KeyCount, static_cast<std::uint16_t>(n.Count()));
    PutLe32(page + node::Left, n.left);
    PutLe32(page + node::Right, n.right);
    const std::size_t L = n.keyLength;
    if (!n.leaf) {
        if (n.Count() > InteriorCapacity(n.keyLength)) return false;
        PutLe16(page + node::Attributes, static_cast<std::uint16_t>(attr::Interior | rootBit));
        std::uint8_t* at = page + node::InteriorEntries;
        std::memset(at, n.pad, node::InteriorArea);
        for (std::size_t i = 0; i < n.Count(); ++i, at += L + 8) {
            std::memcpy(at, n.Key(i), L);
            PutBe32(at + L, n.records[i]);
            PutBe32(at + L + 4, n.children[i]);
        }
        return true;
    }
    const LeafParams params = LeafParams::For(n.keyLength, std::max(maxRecord, n.MaxRecord()));
    if (LeafBytes(n, params) > node::LeafArea) return false;
    LeafPageWriter writer(n.keyLength, n.pad, params);
    writer.Begin(page);
    for (std::size_t i = 0; i < n.Count(); ++i) writer.Add(n.Key(i), n.records[i]);
    writer.Finish(static_cast<std::uint16_t>(attr::Leaf | rootBit), n.left, n.right);
    return true;
}

LeafPageWriter::LeafPageWriter(std::uint16_t keyLength, std::uint8_t pad, const LeafParams& params)
    : keyLength_(keyLength), pad_(pad), params_(params) {}

void LeafPageWriter::Begin(std::uint8_t* page) {
    page_ = page;
    std::memset(page_, 0, kPageSize);
    count_ = 0;
    free_ = node::LeafArea;
    keyEnd_ = kPageSize;
    previous_ = nullptr;
}

void LeafPageWriter::Add(const std::uint8_t* key, std::uint32_t record) {
    const Packing k = Pack(key, previous_, keyLength_, pad_);
    const std::size_t stored = k.Stored(keyLength_);
    keyEnd_ -= stored;
    std::memcpy(page_ + keyEnd_, key + k.dup, stored);
    PutEntry(page_ + node::LeafEntries + count_ * params_.entryBytes, params_, record, k.dup,
             k.trail);
    free_ -= stored + params_.entryBytes;
    ++count_;
    previous_ = key;
}

void LeafPageWriter::Finish(std::uint16_t attributes, std::uint32_t left, std::uint32_t right) {
    PutLe16(page_ + node::Attributes, attributes);
    PutLe16(page_ + node::KeyCount, static_cast<std::uint16_t>(count_));
    PutLe32(page_ + node::Left, left);
    PutLe32(page_ + node::Right, right);
    PutLe16(page_ + node::FreeBytes, static_cast<std::uint16_t>(free_));
    PutLeafParams(page_, params_);
}

}  // namespace xbase::cdx
