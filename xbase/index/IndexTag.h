// One ordering of a table held in an index file: the base of CdxTag, MdxTag, NdxTag and
// NtxTag.
//
// The base does everything the formats share: the node cache with one path from the root
// to the current leaf, key comparison in the tag's order, search, the cursor moves, the
// key range, key insertion and removal with separator updates, the key maintenance on
// record writes and the bulk build through an IndexSorter. A format supplies the byte
// layout: reading and writing its header and nodes (splitting a node that overflows), the
// stored form of keys, and the page writing of a build.
//
// Contract for formats (see also the notes beside each virtual):
// - ReadNode fills node.entries (in tag order), levelKind, left/right; it raises
//   CorruptNode for a node whose count exceeds the page or whose bytes cannot be a node.
//   Child places need no checking there: the base checks every child it descends into.
// - WriteNode writes node (clearing nothing: the base clears `changed`); when the node
//   holds more entries than fit, the format moves the first entries to new nodes it
//   writes itself, announcing each with AnnounceSplit (after GrowRoot when the node is the
//   root), and writes the rest at node.place.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/index/IndexExpression.h"
#include "xbase/index/IndexNode.h"
#include "xbase/index/IndexSorter.h"

namespace xbase {

class IndexFile;

// What creating a tag takes.
struct TagDefinition {
    std::string name;  // up to 10 characters; stored upper case
    std::string keyExpression;
    std::string forExpression;  // may be empty
    bool unique = false;
    bool descending = false;
};

// A record write as the key maintenance sees it.
struct RecordWrite {
    std::uint32_t recNo = 0;
    bool append = false;
    // The table's record-changed flag: some field or the deletion flag was changed since
    // the record was read.
    bool recordChanged = true;
    const std::uint8_t* newRecord = nullptr;  // the record as written
    const std::uint8_t* oldRecord = nullptr;  // the record as it was read (updates)
};

class IndexTag {
public:
    // Search record numbers: -1 ignores record numbers (first equal key), kPastEqual goes
    // past every equal key.
    static constexpr std::int64_t kAnyRecord = -1;
    static constexpr std::int64_t kPastEqual = 0xFFFFFFFF;
    // Deepest path the base follows; a deeper tree is taken as a loop in the file.
    static constexpr int kMaxDepth = 48;

    IndexTag(IndexFile& file, std::string name);
    virtual ~IndexTag();
    IndexTag(const IndexTag&) = delete;
    IndexTag& operator=(const IndexTag&) = delete;

    // ------------------------------------------------------------ format operations
    // The stored form of a key value in memory (per format). Formats that hold numbers
    // as doubles return IndexKey::Number / Date; the empty date stays 1e100.
    virtual IndexKey ConvertKey(const KeyValue& value) const = 0;
    // Makes this a new tag of the file: sets name, expressions and flags (CompileKey,
    // CompileFor), learns key type and length from the key's value on a blank record,
    // writes the header and builds the keys of every record. Errors raise.
    virtual void CreateTag(const TagDefinition& definition) = 0;
    // Adds one key with its record number (the generic insertion; formats may refine).
    virtual void AddKey(const IndexKey& key, std::uint32_t recNo);
    // The place of the root node as the header says now.
    virtual std::int64_t ReadRootOffset() = 0;
    virtual void ReadNode(std::int64_t place, IndexNode& node) = 0;
    virtual void WriteNode(IndexNode& node) = 0;
    virtual void ReadHeader() = 0;
    // Writes the header when it is changed (or always: formats decide).
    virtual void WriteHeader() = 0;
    virtual void CompileKey();
    virtual void CompileFor();
    // Key of the record in the table's record buffer, converted (ConvertKey).
    virtual IndexKey EvaluateKey();
    // The key expression's value on a record of blanks (CompileKey first): what a new tag
    // learns its key type and width from. Expression errors raise.
    KeyValue KeyOnBlankRecord();
    // FOR condition of the record in the table's record buffer (true without one).
    virtual bool EvaluateFor();
    // Writes the sorted keys of a build as pages (bottom-up) and sets the root. The
    // default raises "not supported"; BulkLoad is the common page filler.
    virtual void WriteSortedKeys(IndexSorter& sorter);
    // A sorter for this tag's build (a MemorySorter by default).
    virtual std::unique_ptr<IndexSorter> MakeSorter();
    // Adds the key of the record in the table's record buffer (FOR already applied) to
    // the build's sorter: sorter.Add(EvaluateKey(), recNo), unless a format hands the
    // sorter it made a form it makes more cheaply.
    virtual void AddBuildKey(IndexSorter& sorter, std::uint32_t recNo);
    // Told when the tree operations unlink an empty node (pages are never reused by
    // default).
    virtual void NodeDropped(const IndexNode& /*node*/) {}

    // ------------------------------------------------------------ lookups on stored pages
    // Formats that can search their pages as stored (a binary search on the bytes, no
    // entry decoded) answer Search's lookups of a key that way; everything else goes
    // through the node path.
    struct StoredPage {
        const std::uint8_t* data = nullptr;  // the page's bytes, valid until the next read
        std::int64_t place = 0;
        int count = 0;  // keys; an interior page has one child more
        bool interior = false;
    };
    // The mark a format may set on a page it found sound (PageCache::SetMark, on pages
    // its ReadStoredPage gave): a page so marked is known sound, a leaf or interior.
    static constexpr std::uint8_t kSoundLeaf = 1;
    static constexpr std::uint8_t kSoundInterior = 2;
    struct StoredItem {
        // Text keys without their trailing blanks; other keys as stored. Empty on the
        // child-only item of an interior page.
        std::string_view key;
        std::uint32_t recNo = 0;
        std::int64_t child = 0;  // interior pages: the child's place
    };
    // Whether this tag's lookups read stored pages (ReadStoredPage and the two below).
    virtual bool SearchesStoredPages() const { return false; }
    // Reads the page at `place`; `keptOnly` takes it only from pages kept in memory.
    // Returns false when the page is not at hand or cannot be a sound page of the tag (the
    // node path then reads it and reports what is wrong); never raises for its bytes.
    virtual bool ReadStoredPage(std::int64_t /*place*/, bool /*keptOnly*/, StoredPage& /*page*/) {
        return false;
    }
    // Item i of a page that ReadStoredPage gave (i <= count on an interior page).
    virtual StoredItem StoredItemAt(const StoredPage& /*page*/, int /*i*/) const { return {}; }
    // The key of an item in memory (ConvertKey's form): text keys as Text, others decoded.
    virtual IndexKey StoredKey(const StoredItem& item) const { return IndexKey::Text(item.key); }
    // Whether keys are held as text (StoredItem::key is then the text compared).
    virtual bool StoresText() const { return true; }
    // Whether an interior page's keys are entries of the index themselves (NTX) rather
    // than copies of the last key below them.
    virtual bool InteriorKeysAreEntries() const { return false; }

    // ------------------------------------------------------------ tag facts
    IndexFile& File() const { return file_; }
    const std::string& Name() const { return name_; }
    const std::string& KeyExpressionText() const { return keyText_; }
    const std::string& ForExpressionText() const { return forText_; }
    bool HasFor() const { return !forText_.empty(); }
    char KeyType() const { return keyType_; }
    int KeyLength() const { return keyLength_; }
    bool Unique() const { return unique_; }
    bool Descending() const { return descending_; }
    std::int64_t HeaderOffset() const { return headerOffset_; }
    std::int64_t RootOffset() const { return rootOffset_; }
    bool HeaderChanged() const { return headerChanged_; }

    // ------------------------------------------------------------ comparison and search
    // a against b in the tag's order (descending negates; Beyond stays last).
    int CompareInTag(const IndexKey& a, const IndexKey& b, bool partial = false) const;
    // Entries in tag order: keys, then record numbers where the file orders equal keys by
    // record number (CDX). recNo kAnyRecord sorts before and kPastEqual after every equal.
    int CompareEntry(const IndexKey& key, std::int64_t recNo, const IndexEntry& entry,
                     bool partial) const;
    // Searches from the root: -1 the key is less than the entry reached, 0 equal (with a
    // record number given, that record's entry), 1 past the last entry of the tag. The
    // path is left on the entry reached.
    virtual int Search(const IndexKey& key, std::int64_t recNo = kAnyRecord, bool partial = false);

    // ------------------------------------------------------------ cursor
    // Each returns the record number of the new current key, or 0 with AtTop/AtBottom.
    virtual std::uint32_t Top();
    virtual std::uint32_t Bottom();
    virtual std::uint32_t Next();
    virtual std::uint32_t Prior();
    // Puts the cursor on (key, recNo); false (and the cursor at the top) when the tag
    // holds no such entry.
    virtual bool PositionOn(const IndexKey& key, std::uint32_t recNo);
    // Sets the cursor's entry without searching: the next Next or Prior continues from
    // where (key, recNo) stands in the tag, or would stand.
    void SetCursor(const IndexKey& key, std::uint32_t recNo) {
        current_ = IndexEntry{key, recNo, recNo};
        hasCurrent_ = true;
    }
    bool AtTop() const { return atTop_; }
    bool AtBottom() const { return atBottom_; }
    // The entry under the cursor (valid while CurrentRecNo() != 0).
    const IndexEntry& CurrentEntry() const { return current_; }
    std::uint32_t CurrentRecNo() const { return hasCurrent_ ? current_.recNo : 0; }

    // ------------------------------------------------------------ range
    // Keeps the cursor within [low, high] in tag order (an empty optional: no limit).
    // `partial`: a bound that is a prefix of a key compares equal to it; the inclusive
    // flags decide whether a key equal to a bound belongs to the range. Returns false when
    // the bounds are the ones already set (nothing changes).
    bool SetRange(std::optional<IndexKey> low, std::optional<IndexKey> high, bool partial,
                  bool lowInclusive = true, bool highInclusive = true);
    void ClearRange();
    bool HasRange() const { return rangeLow_.has_value() || rangeHigh_.has_value(); }
    bool InRange(const IndexKey& key) const;

    // ------------------------------------------------------------ maintenance
    // Why this tag takes no key changes (a message naming the tag), empty when it takes
    // them. The handler asks before it writes a record, so that a write the tag would
    // refuse leaves the table as it was.
    virtual std::string WriteRefusal() const { return {}; }
    // Key maintenance for one record write; the file is locked by the caller.
    virtual void RecordWritten(const RecordWrite& write);
    // Removes the entry under the cursor.
    virtual void DeleteCurrentKey();
    // Builds the keys of every record of the table (deleted ones too), FOR applied,
    // unique keeping the first record, through MakeSorter and WriteSortedKeys.
    virtual void Build();
    // Writes back changed nodes bottom-up and a changed header, and drops the path.
    virtual void Release();
    // Drops the path without writing (another user changed the file).
    virtual void Discard();

    // ------------------------------------------------------------ for formats
    // Sets what a format reads from its header.
    void SetFacts(char keyType, int keyLength, bool unique, bool descending);
    void SetExpressions(std::string keyText, std::string forText);
    void SetName(std::string name) { name_ = std::move(name); }
    void SetHeaderOffset(std::int64_t offset) { headerOffset_ = offset; }
    void SetRootOffset(std::int64_t offset) { rootOffset_ = offset; }
    void MarkHeaderChanged(bool changed = true) { headerChanged_ = changed; }
    // Raises error 2112 naming the file, with `what` after the name.
    [[noreturn]] void CorruptNode(const std::string& what) const;
    // For WriteNode of a root that must split: makes a new root above `oldRoot` at
    // `newRootPlace` with one entry for it (its last key, its place); returns the new root.
    IndexNode& GrowRoot(IndexNode& oldRoot, std::int64_t newRootPlace);
    // For WriteNode: tells the parent of `node` about a node split off before it, holding
    // keys up to `last` (its last entry), at `place`. The parent gets an entry before the
    // node's own and is marked changed.
    void AnnounceSplit(IndexNode& node, const IndexEntry& last, std::int64_t place);
    // Fills pages bottom-up from the sorter: leaves of up to `leafFill` entries, interior
    // nodes of up to `interiorFill`; `write` lays out each finished node (place already
    // set from allocate(), levelKind set, siblings linked) with `isRoot` for the top one.
    // Returns the root's place. An empty sorter gives one empty root leaf.
    std::int64_t BulkLoad(IndexSorter& sorter, int leafFill, int interiorFill,
                          const std::function<std::int64_t()>& allocate,
                          const std::function<void(IndexNode&, bool isRoot)>& write);
    // The root of the path (loaded on demand) and the current leaf.
    IndexNode& Root();
    IndexNode* Leaf();
    // Whether key maintenance is under way (the range is ignored meanwhile).
    bool Updating() const { return updating_; }
    // The whole check of `taxbridge index check` for a format with its own page checker
    // (an empty optional leaves the tag to CheckTag's generic walk); "" when sound.
    virtual std::optional<std::string> OwnCheck() { return std::nullopt; }
    IndexExpression* KeyExpression() { return keyExpr_.get(); }
    // The field of the table that the key expression names alone (in any case, blanks
    // around), or nullptr: what a build may read keys from without the expression.
    const FieldDescriptor* KeyField() const;
    IndexExpression* ForExpression() { return forExpr_.get(); }

protected:
    // For formats that keep their own cursor: whether an entry is current, and the
    // top/bottom flags the moves report.
    void SetCursorState(bool hasCurrent, bool atTop, bool atBottom) {
        hasCurrent_ = hasCurrent;
        atTop_ = atTop;
        atBottom_ = atBottom;
    }
    // The range as SetRange set it.
    const std::optional<IndexKey>& RangeLow() const { return rangeLow_; }
    const std::optional<IndexKey>& RangeHigh() const { return rangeHigh_; }
    bool RangePartial() const { return rangePartial_; }
    bool LowInclusive() const { return lowInclusive_; }
    bool HighInclusive() const { return highInclusive_; }
    void SetKeyExpression(std::unique_ptr<IndexExpression> e) { keyExpr_ = std::move(e); }
    void SetForExpression(std::unique_ptr<IndexExpression> e) { forExpr_ = std::move(e); }

private:
    IndexNode& LoadChild(IndexNode& node);
    void DropChild(IndexNode& node);
    void WriteBack(IndexNode& node);
    void DescendFirst(IndexNode& node);
    void DescendLast(IndexNode& node);
    bool StepForward();
    bool StepBackward();
    std::uint32_t Settle(bool forward);
    void TakeCurrent();
    void UpdateSeparators(IndexNode& node);
    void RemoveEmpty(IndexNode& node);
    void RefillUnique(const IndexKey& key, std::uint32_t leaving);
    // The search of Search without the guard. `stepOn`: a search that ends past the end of
    // the leaf it descended to goes on to the first entry of the following leaves (what a
    // lookup needs); off, it stays at that leaf's end (where an insertion belongs).
    int SearchFrom(const IndexKey& key, std::int64_t recNo, bool partial, bool stepOn = true);
    // Search's lookup of the first entry not less than `key` on the stored pages; makes it
    // the current entry. Returns Search's result, or kUndecided where only the node path
    // can answer (a page not at hand or not sound, the end of the tag, a separator that a
    // removal left too high).
    static constexpr int kUndecided = 2;
    int FindStored(const IndexKey& key, bool partial, bool keptOnly);
    int CompareStored(const IndexKey& key, const StoredItem& item, bool partial) const;

    IndexFile& file_;
    std::string name_;
    std::string keyText_;
    std::string forText_;
    std::unique_ptr<IndexExpression> keyExpr_;
    std::unique_ptr<IndexExpression> forExpr_;
    char keyType_ = 'C';
    int keyLength_ = 0;
    bool unique_ = false;
    bool descending_ = false;
    std::int64_t headerOffset_ = 0;
    std::int64_t rootOffset_ = 0;
    bool headerChanged_ = false;
    bool updating_ = false;

    std::unique_ptr<IndexNode> root_;
    // The root's place as read under the lock since the file last changed (lookups of a
    // shared file without the lock start there); storedRootKnown_ false until then.
    std::int64_t storedRoot_ = 0;
    bool storedRootKnown_ = false;
    std::string storedCandidate_;
    IndexEntry current_;
    bool hasCurrent_ = false;
    bool atTop_ = false;
    bool atBottom_ = false;

    std::optional<IndexKey> rangeLow_;
    std::optional<IndexKey> rangeHigh_;
    bool rangePartial_ = false;
    bool lowInclusive_ = true;
    bool highInclusive_ = true;
};

}  // namespace xbase
