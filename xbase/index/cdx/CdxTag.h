// One tag of a compound index file: its header, its tree, its key maker and the cursor
// over the tag in its order, as an IndexTag of the index framework. The tag keeps its own
// tree (CdxTree) and so brings its own search, cursor moves, key maintenance and build;
// what the framework's handler sees of it is the IndexTag cursor (CurrentEntry, AtTop,
// AtBottom) and the range the handler sets.
//
// A descending tag keeps its keys ascending in the file (as every program of the family
// does) and walks them backwards, so among equal keys it meets the highest record number
// first.
//
// Keys in the framework's form (IndexKey) are Text: the stored bytes, character keys
// without their trailing blanks, numeric and date keys as their 8 byte-comparable bytes.
//
// A tag whose header names the "GENERAL" collation stores collation weights instead of
// bytes; it is read as it stands and refuses every change with a message saying so.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "xbase/index/IndexTag.h"
#include "xbase/index/cdx/CdxHeader.h"
#include "xbase/index/cdx/CdxKeyMaker.h"
#include "xbase/index/cdx/CdxTree.h"

namespace xbase::cdx {

class CdxFile;

struct CdxSeekResult {
    bool found = false;
    std::uint32_t record = 0;  // 0: the cursor went past the end
};

class CdxTag : public IndexTag {
public:
    // A tag of `file` without header yet: Load or CreateTag gives it one.
    CdxTag(CdxFile& file, std::string name);
    ~CdxTag() override;

    // Takes the header read at `headerOffset`: compiles the expressions against the table
    // (the expression's error for one that does not compile; 2112 when the key length
    // disagrees with the header) and points the tree at the header's root.
    void Load(std::uint32_t headerOffset, const CdxHeader& header);
    // Another program deleted the tag: every later use raises "Index tag %s was deleted
    // by another program" (key maintenance passes it by).
    void Vanish() { gone_ = true; }
    // Takes over everything `fresh` (a tag of the same file just built) holds, so callers
    // holding this tag see the new one.
    void Adopt(CdxTag& fresh);

    const CdxHeader& Header() const { return header_; }
    std::uint8_t Pad() const { return tree_->Pad(); }
    bool ReadOnly() const { return header_.generalCollation; }
    CdxTree& Tree() { return *tree_; }
    CdxKeyMaker& Keys() { return *keys_; }
    // The message a change of a "GENERAL" collation tag raises.
    std::string ReadOnlyMessage() const;
    std::string WriteRefusal() const override {
        return ReadOnly() ? ReadOnlyMessage() : std::string();
    }

    // The stored key under the cursor (KeyLength() bytes); nullptr past either end.
    const std::uint8_t* CurrentKey();
    // Finds the first key (in tag order) whose first `keyBytes` bytes equal `key`, or with
    // `last` the last such key. Not found: with `soft` the cursor stays on the next key in
    // tag order (record 0 past the end), otherwise it goes past the end.
    CdxSeekResult Seek(const std::uint8_t* key, std::size_t keyBytes, bool soft, bool last);
    // Puts the cursor on (key, record) when the tag holds it; false otherwise.
    bool Locate(const std::uint8_t* key, std::uint32_t record);
    // Key maintenance in stored bytes (the index file lock is held). InsertKey does
    // nothing for a key a unique tag already holds (false then); RemoveKey is false when
    // the entry is absent. Both raise the read-only message on a "GENERAL" collation tag.
    bool InsertKey(const std::uint8_t* key, std::uint32_t record, std::uint32_t maxRecord);
    bool RemoveKey(const std::uint8_t* key, std::uint32_t record);
    // The stored bytes of a key in the framework's form (padded to the key length).
    std::vector<std::uint8_t> StoredBytes(const IndexKey& key) const;
    // The framework's form of stored bytes.
    IndexKey KeyOf(const std::uint8_t* stored) const;

    // ------------------------------------------------------------ IndexTag
    IndexKey ConvertKey(const KeyValue& value) const override;
    void CreateTag(const TagDefinition& definition) override;
    void AddKey(const IndexKey& key, std::uint32_t recNo) override;
    std::int64_t ReadRootOffset() override { return header_.root; }
    // Decodes a page into the framework's node form (entries in stored order).
    void ReadNode(std::int64_t place, IndexNode& node) override;
    // Pages are written by the tag's own tree; the framework's node writer is not used.
    void WriteNode(IndexNode& node) override;
    void ReadHeader() override;
    void WriteHeader() override;
    int Search(const IndexKey& key, std::int64_t recNo = kAnyRecord, bool partial = false) override;
    std::uint32_t Top() override;
    std::uint32_t Bottom() override;
    std::uint32_t Next() override;
    std::uint32_t Prior() override;
    bool PositionOn(const IndexKey& key, std::uint32_t recNo) override;
    void RecordWritten(const RecordWrite& write) override;
    void DeleteCurrentKey() override;
    // Builds the tag from every record (deleted ones too): sorted keys laid out as pages
    // from the end of the file, then the header at HeaderOffset().
    void Build() override;
    // The tree writes every change at once: nothing is left to write back.
    void Release() override {}
    void Discard() override;
    // The page checker over every node, then the keys against the records.
    std::optional<std::string> OwnCheck() override;

private:
    class ReadScope;
    template <typename Op>
    auto Read(Op op) -> decltype(op());

    CdxFile& Cdx() const;
    // Steps in tag order; false (position invalid) past either end.
    bool Step(CdxPosition& at, bool forward);
    // The first position in tag order at or after (`past`: after) the key prefix.
    CdxPosition FirstFrom(const IndexKey& key, bool partial, bool past);
    // The position of the cursor's entry: where it stands, or where it would stand.
    CdxPosition Relocate(bool& exact);
    bool OnCurrent();
    // Whether the tag holds (key, record); `at` is where it stands or would stand.
    bool Holds(const std::uint8_t* key, std::uint32_t record, CdxPosition& at);
    // Makes `at` the cursor: its entry current (range applied unless key maintenance is
    // under way), or the top/bottom flag set.
    std::uint32_t Settle(CdxPosition at, bool forward, bool applyRange = true);
    void RefuseIfReadOnly() const;
    std::string CheckAgainstRecords();
    void PromoteUnique(const std::uint8_t* key, std::uint32_t leaving);

    CdxHeader header_;
    std::unique_ptr<CdxTree> tree_;
    std::unique_ptr<CdxKeyMaker> keys_;
    CdxPosition at_;
    IndexKey atKey_;  // the key made when the cursor settled on at_
    bool gone_ = false;
};

}  // namespace xbase::cdx
