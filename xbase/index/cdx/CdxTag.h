// One tag of a compound index file: its header, its tree, and the cursor over the tag in
// its order. A descending tag keeps its keys ascending in the file (as every program of
// the family does) and walks them backwards, so among equal keys it meets the highest
// record number first.
//
// A tag whose header names the "GENERAL" collation stores collation weights instead of
// bytes; it is read as it stands and refuses every change with a message saying so.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "xbase/index/cdx/CdxHeader.h"
#include "xbase/index/cdx/CdxTree.h"

namespace xbase::cdx {

struct CdxSeekResult {
    bool found = false;
    std::uint32_t record = 0;  // 0: the cursor went past the end
};

class CdxTag {
public:
    // `keyType` ('C', 'N' or 'D') comes from the key expression's result type; it decides
    // the pad byte of stored keys.
    CdxTag(CdxPageStore& store, std::string name, std::uint32_t headerOffset,
           const CdxHeader& header, char keyType);

    const std::string& Name() const { return name_; }
    const CdxHeader& Header() const { return header_; }
    std::uint32_t HeaderOffset() const { return headerOffset_; }
    char KeyType() const { return keyType_; }
    std::uint16_t KeyLength() const { return header_.keyLength; }
    std::uint8_t Pad() const { return tree_.Pad(); }
    bool Descending() const { return header_.descending; }
    bool Unique() const { return header_.Unique(); }
    bool ReadOnly() const { return header_.generalCollation; }
    CdxTree& Tree() { return tree_; }

    // Movement in tag order; each returns the record number reached, 0 past either end.
    std::uint32_t First();
    std::uint32_t Last();
    std::uint32_t Next();
    std::uint32_t Prior();
    std::uint32_t Current() const { return current_; }
    // The stored key under the cursor (KeyLength() bytes); nullptr past either end.
    const std::uint8_t* CurrentKey();

    // Finds the first key (in tag order) whose first `keyBytes` bytes equal `key`, or with
    // `last` the last such key. Not found: with `soft` the cursor stays on the next key in
    // tag order (record 0 past the end), otherwise it goes past the end.
    CdxSeekResult Seek(const std::uint8_t* key, std::size_t keyBytes, bool soft, bool last);
    // Whether the key under the cursor begins with `key`.
    bool CurrentMatches(const std::uint8_t* key, std::size_t keyBytes);
    // Puts the cursor on (key, record) when the tag holds it; false otherwise.
    bool Locate(const std::uint8_t* key, std::uint32_t record);

    // Key maintenance (the index file lock is held). AddKey does nothing for a key a
    // unique tag already holds (false then); RemoveKey is false when the entry is absent.
    // Both raise the read-only message on a "GENERAL" collation tag.
    bool AddKey(const std::uint8_t* key, std::uint32_t record, std::uint32_t maxRecord);
    bool RemoveKey(const std::uint8_t* key, std::uint32_t record);
    // The message a change of a "GENERAL" collation tag raises.
    std::string ReadOnlyMessage() const;

private:
    std::uint32_t Settle();
    void RefuseIfReadOnly() const;

    std::string name_;
    std::uint32_t headerOffset_;
    CdxHeader header_;
    char keyType_;
    CdxTree tree_;
    CdxPosition at_;
    std::uint32_t current_ = 0;
};

}  // namespace xbase::cdx
