// One node (page) of a compound-index tag in decoded form, and its conversion from and
// to the 512-byte page: interior entries as they stand, leaves with their record-number,
// duplicate and trailing counts unpacked into whole keys.
//
// Keys are held at the tag's full key length, padded with the tag's pad byte (blanks for
// character keys, zeros for numeric and date keys), so two keys compare with one memcmp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "xbase/index/cdx/CdxFormat.h"

namespace xbase::cdx {

// Bit layout of the entries of one leaf.
struct LeafParams {
    std::uint32_t recordMask = 0;
    std::uint8_t dupMask = 0;
    std::uint8_t trailMask = 0;
    std::uint8_t recordBits = 0;
    std::uint8_t dupBits = 0;
    std::uint8_t trailBits = 0;
    std::uint8_t entryBytes = 0;

    // The layout a leaf of `keyLength`-byte keys is written with when record numbers run
    // up to `maxRecord` (the table's record count; the file size for the directory).
    static LeafParams For(std::uint16_t keyLength, std::uint32_t maxRecord);
};

struct CdxNode {
    std::uint32_t offset = 0;
    bool leaf = true;
    bool root = false;
    std::uint32_t left = kNoPage;
    std::uint32_t right = kNoPage;
    std::uint16_t keyLength = 0;
    std::uint8_t pad = ' ';
    std::vector<std::uint8_t> keys;       // Count() keys of keyLength bytes, in order
    std::vector<std::uint32_t> records;   // record number of each key
    std::vector<std::uint32_t> children;  // interior nodes: child offset of each entry
    // As read from a leaf page: its free-bytes field and the bytes its entries and stored
    // key bytes take (the page checker compares the two).
    std::size_t freeField = 0;
    std::size_t usedBytes = 0;

    // Kept by the node cache: which taking of the object this is (0: in no cache), and
    // for an interior node the children as they were last found decoded, so that a
    // descent need not look each one up (each is checked against `generation` first).
    struct Below {
        const CdxNode* node = nullptr;
        std::uint64_t generation = 0;
    };
    std::uint64_t generation = 0;
    std::vector<Below> below;

    std::size_t Count() const { return records.size(); }
    const std::uint8_t* Key(std::size_t i) const { return keys.data() + i * keyLength; }
    std::uint8_t* Key(std::size_t i) { return keys.data() + i * keyLength; }
    const std::uint8_t* LastKey() const { return Key(Count() - 1); }
    std::uint32_t MaxRecord() const;

    // Inserts or removes entry i (child 0 for a leaf).
    void Insert(std::size_t i, const std::uint8_t* key, std::uint32_t record, std::uint32_t child);
    void Erase(std::size_t i);
    // Moves entries [0, n) into `left` (which keeps its header fields) and out of this node.
    void MoveFrontTo(std::size_t n, CdxNode& left);
};

// Interior entries that fit in one node.
inline std::size_t InteriorCapacity(std::uint16_t keyLength) {
    return node::InteriorArea / (static_cast<std::size_t>(keyLength) + 8);
}

// Decodes a page into `out` (offset, key length and pad byte set by the caller). Returns
// an empty text, or what makes the page unreadable: attributes, key counts beyond the
// page, masks and bit counts that disagree, counts beyond the key, key bytes that run into
// the entries.
std::string DecodeNode(const std::uint8_t* page, CdxNode& out);

// Bytes a leaf's keys take (entries plus stored key bytes) under `params`.
std::size_t LeafBytes(const CdxNode& n, const LeafParams& params);
// The number of leading keys whose running size stays below `limit` bytes (at least 1).
std::size_t LeafPrefixBelow(const CdxNode& n, const LeafParams& params, std::size_t limit);

// Encodes a node into a zeroed 512-byte page; false when its entries do not fit.
bool EncodeNode(const CdxNode& n, std::uint32_t maxRecord, std::uint8_t* page);

// Appends keys to one leaf page in key order, as the bulk build does.
class LeafPageWriter {
public:
    LeafPageWriter(std::uint16_t keyLength, std::uint8_t pad, const LeafParams& params);
    // Starts an empty leaf in `page` (512 bytes, overwritten).
    void Begin(std::uint8_t* page);
    // Adds a key; the caller checks Free() first (an entry takes at most keyLength +
    // entryBytes bytes).
    void Add(const std::uint8_t* key, std::uint32_t record);
    std::size_t Free() const { return free_; }
    std::size_t Count() const { return count_; }
    // Writes the header: attributes and sibling links.
    void Finish(std::uint16_t attributes, std::uint32_t left, std::uint32_t right);

private:
    std::uint16_t keyLength_;
    std::uint8_t pad_;
    LeafParams params_;
    std::uint8_t* page_ = nullptr;
    std::size_t count_ = 0;
    std::size_t free_ = 0;
    std::size_t keyEnd_ = 0;  // page offset where the stored key bytes begin
    const std::uint8_t* previous_ = nullptr;
};

}  // namespace xbase::cdx
