#include "xbase/index/cdx/CdxTag.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <stdexcept>

#include "xbase/file/EngineError.h"
#include "xbase/index/cdx/CdxBulkLoad.h"
#include "xbase/index/cdx/CdxFile.h"
#include "xbase/index/cdx/CdxKey.h"
#include "xbase/index/cdx/CdxPageChecker.h"
#include "xbase/index/cdx/CdxSorter.h"
#include "xbase/table/DbfFile.h"

namespace xbase::cdx {

// A read of a shared file is made under its lock, so that no page is seen half written;
// another program's change found on taking it drops the cached pages.
class CdxTag::ReadScope {
public:
    explicit ReadScope(CdxTag& tag) : file_(tag.Cdx()), locked_(file_.BeginRead()) {
        if (tag.gone_) {
            file_.EndRead(locked_);
            throw XBaseError("Index tag " + tag.Name() + " was deleted by another program");
        }
    }
    ~ReadScope() { file_.EndRead(locked_); }
    ReadScope(const ReadScope&) = delete;
    ReadScope& operator=(const ReadScope&) = delete;

private:
    CdxFile& file_;
    bool locked_;
};

// Readers of a shared file take no lock: the change counter, compared before each read,
// tells whether another program changed the file since (its cached pages are dropped
// then). A page caught half written by a writer at work fails to decode; the read is then
// made again under the lock.
template <typename Op>
auto CdxTag::Read(Op op) -> decltype(op()) {
    CdxFile& file = Cdx();
    if (!file.Disk().IsShared() || file.LockDepth() > 0 || file.Optimistic()) return op();
    if (file.CounterChanged()) file.DiscardTags();
    if (gone_) throw XBaseError("Index tag " + Name() + " was deleted by another program");
    try {
        CdxFile::OptimisticRead optimistic(file);
        return op();
    } catch (const CdxFile::TornRead&) {
    }
    ReadScope scope(*this);
    file.DiscardTags();
    return op();
}

CdxTag::CdxTag(CdxFile& file, std::string name) : IndexTag(file, std::move(name)) {}

CdxTag::~CdxTag() = default;

CdxFile& CdxTag::Cdx() const { return static_cast<CdxFile&>(File()); }

void CdxTag::Load(std::uint32_t headerOffset, const CdxHeader& header) {
    if (!keys_ || KeyExpressionText() != header.keyExpression ||
        ForExpressionText() != header.forExpression) {
        auto keys = std::make_unique<CdxKeyMaker>(File().Table(), header.keyExpression,
                                                  header.forExpression);
        if (keys->KeyLength() != header.keyLength && !header.generalCollation)
            Cdx().Corrupt("tag " + Name() + " holds keys of " + std::to_string(header.keyLength) +
                          " bytes where its expression gives " + std::to_string(keys->KeyLength()));
        keys_ = std::move(keys);
        SetExpressions(header.keyExpression, header.forExpression);
    }
    header_ = header;
    SetHeaderOffset(headerOffset);
    SetRootOffset(header.root);
    SetFacts(keys_->KeyType(), header.keyLength, header.Unique(), header.descending);
    tree_ =
        std::make_unique<CdxTree>(Cdx(), header.root, header.keyLength, PadFor(keys_->KeyType()));
    at_ = {};
    gone_ = false;
}

void CdxTag::Adopt(CdxTag& fresh) {
    header_ = fresh.header_;
    SetHeaderOffset(fresh.HeaderOffset());
    SetRootOffset(fresh.RootOffset());
    SetExpressions(fresh.KeyExpressionText(), fresh.ForExpressionText());
    SetFacts(fresh.KeyType(), fresh.KeyLength(), fresh.Unique(), fresh.Descending());
    tree_ = std::move(fresh.tree_);
    keys_ = std::move(fresh.keys_);
    at_ = {};
    gone_ = false;
    SetCursorState(false, false, false);
}

std::string CdxTag::ReadOnlyMessage() const {
    return "Index tag " + Name() + " uses the GENERAL collation and can only be read";
}

void CdxTag::RefuseIfReadOnly() const {
    if (ReadOnly()) throw XBaseError(ReadOnlyMessage());
}

// ---------------------------------------------------------------- keys

IndexKey CdxTag::ConvertKey(const KeyValue& value) const {
    const auto length = static_cast<std::uint16_t>(std::max(KeyLength(), 1));
    std::vector<std::uint8_t> bytes(std::max<std::size_t>(length, 8));
    switch (KeyType()) {
        case 'N':
            EncodeNumberKey(value.type == 'N' ? value.number : 0, bytes.data());
            return IndexKey::Text(std::string_view(reinterpret_cast<const char*>(bytes.data()), 8));
        case 'D':
            EncodeDateKey(value.type == 'D' && !value.IsEmptyDate()
                              ? static_cast<std::int32_t>(value.number)
                              : 0,
                          bytes.data());
            return IndexKey::Text(std::string_view(reinterpret_cast<const char*>(bytes.data()), 8));
        default: {
            const std::string text =
                value.type == 'L' ? std::string(value.logical ? "T" : "F") : value.text;
            EncodeTextKey(text, length, bytes.data());
            return KeyOf(bytes.data());
        }
    }
}

IndexKey CdxTag::KeyOf(const std::uint8_t* stored) const {
    std::size_t n = static_cast<std::size_t>(KeyLength());
    if (KeyType() == 'C') {
        while (n > 0 && stored[n - 1] == ' ') --n;
    }
    return IndexKey::Text(std::string_view(reinterpret_cast<const char*>(stored), n));
}

std::vector<std::uint8_t> CdxTag::StoredBytes(const IndexKey& key) const {
    const auto length = static_cast<std::size_t>(KeyLength());
    std::vector<std::uint8_t> bytes(std::max<std::size_t>(length, 8), Pad());
    if (!key.IsText()) {
        EncodeNumberKey(key.number, bytes.data());
    } else {
        std::memcpy(bytes.data(), key.text.data(), std::min(key.text.size(), length));
    }
    bytes.resize(length);
    return bytes;
}

const std::uint8_t* CdxTag::CurrentKey() { return at_.Valid() ? tree_->KeyAt(at_) : nullptr; }

// ---------------------------------------------------------------- positions

bool CdxTag::Step(CdxPosition& at, bool forward) {
    return forward != Descending() ? tree_->Next(at) : tree_->Prior(at);
}

CdxPosition CdxTag::FirstFrom(const IndexKey& key, bool partial, bool past) {
    const std::vector<std::uint8_t> bytes = StoredBytes(key);
    const std::size_t n = partial && KeyType() == 'C' && key.IsText()
                              ? std::min(key.text.size(), bytes.size())
                              : bytes.size();
    if (!Descending())
        return tree_->LowerBound(bytes.data(), n,
                                 past ? CdxTree::kAfterEqual : CdxTree::kBeforeEqual);
    // Backwards over the stored order: the last entry not above the key (below it: past).
    CdxPosition above =
        tree_->LowerBound(bytes.data(), n, past ? CdxTree::kBeforeEqual : CdxTree::kAfterEqual);
    if (!above.Valid()) return tree_->Last();
    if (!tree_->Prior(above)) return {};
    return above;
}

bool CdxTag::OnCurrent() {
    if (!at_.Valid() || CurrentRecNo() == 0) return false;
    const CdxNode& leaf = tree_->Node(at_.leaf);
    return at_.index < leaf.Count() && leaf.records[at_.index] == CurrentRecNo() &&
           CurrentEntry().key == atKey_;
}

CdxPosition CdxTag::Relocate(bool& exact) {
    if (OnCurrent()) {
        exact = true;
        return at_;
    }
    const std::vector<std::uint8_t> bytes = StoredBytes(CurrentEntry().key);
    const std::uint32_t record = CurrentRecNo();
    const CdxPosition at = tree_->LowerBound(bytes.data(), bytes.size(), record);
    exact = at.Valid() && tree_->RecordAt(at) == record &&
            std::memcmp(tree_->KeyAt(at), bytes.data(), bytes.size()) == 0;
    return at;
}

std::uint32_t CdxTag::Settle(CdxPosition at, bool forward, bool applyRange) {
    at_ = at;
    if (!at.Valid()) {
        SetCursorState(false, !forward, forward);
        return 0;
    }
    const std::uint32_t record = tree_->RecordAt(at);
    if (record == 0) Cdx().Corrupt("a leaf of tag " + Name() + " holds record number 0");
    atKey_ = KeyOf(tree_->KeyAt(at));
    SetCursor(atKey_, record);
    SetCursorState(true, false, false);
    if (applyRange && !Updating() && HasRange()) {
        if (const auto& low = RangeLow()) {
            const int c = CompareInTag(*low, atKey_, RangePartial());
            if (c > 0 || (c == 0 && !LowInclusive())) {
                SetCursorState(true, true, false);
                return 0;
            }
        }
        if (const auto& high = RangeHigh()) {
            const int c = CompareInTag(*high, atKey_, RangePartial());
            if (c < 0 || (c == 0 && !HighInclusive())) {
                SetCursorState(true, false, true);
                return 0;
            }
        }
    }
    return record;
}

// ---------------------------------------------------------------- cursor

int CdxTag::Search(const IndexKey& key, std::int64_t recNo, bool partial) {
    return Read([&] {
        if (recNo != kAnyRecord && recNo != kPastEqual) {
            const std::vector<std::uint8_t> bytes = StoredBytes(key);
            if (Locate(bytes.data(), static_cast<std::uint32_t>(recNo))) return 0;
        }
        const CdxPosition at = FirstFrom(key, partial, recNo == kPastEqual);
        if (Settle(at, true, false) == 0) return 1;
        return CompareInTag(key, atKey_, partial) == 0 ? 0 : -1;
    });
}

std::uint32_t CdxTag::Top() {
    return Read([&] {
        if (RangeLow() && !Updating())
            return Settle(FirstFrom(*RangeLow(), RangePartial(), !LowInclusive()), true);
        return Settle(Descending() ? tree_->Last() : tree_->First(), true);
    });
}

std::uint32_t CdxTag::Bottom() {
    return Read([&] {
        CdxPosition last = Descending() ? tree_->First() : tree_->Last();
        if (RangeHigh() && !Updating()) {
            // The entry before the first one past the range.
            CdxPosition past = FirstFrom(*RangeHigh(), RangePartial(), HighInclusive());
            if (past.Valid()) {
                last = past;
                if (!Step(last, false)) last = {};
            }
        }
        return Settle(last, false);
    });
}

std::uint32_t CdxTag::Next() {
    if (CurrentRecNo() == 0) return Top();
    // Within the leaf the cursor stands on, while it is cached, no page need be read.
    if (at_.Valid()) {
        const CdxNode* leaf = tree_->Cached(at_.leaf);
        if (leaf != nullptr && at_.index < leaf->Count() &&
            leaf->records[at_.index] == CurrentRecNo() && CurrentEntry().key == atKey_) {
            const bool up = !Descending();
            if (up ? at_.index + 1 < leaf->Count() : at_.index > 0)
                return Settle({at_.leaf, up ? at_.index + 1 : at_.index - 1}, true);
        }
    }
    return Read([&] {
        bool exact = false;
        CdxPosition at = Relocate(exact);
        if (!Descending()) {
            if (exact && at.Valid()) tree_->Next(at);
        } else if (!at.Valid()) {
            at = tree_->Last();
        } else {
            tree_->Prior(at);
        }
        return Settle(at, true);
    });
}

std::uint32_t CdxTag::Prior() {
    if (CurrentRecNo() == 0) return Bottom();
    return Read([&] {
        bool exact = false;
        CdxPosition at = Relocate(exact);
        if (Descending()) {
            if (exact && at.Valid()) tree_->Next(at);
        } else if (!at.Valid()) {
            at = tree_->Last();
        } else {
            tree_->Prior(at);
        }
        return Settle(at, false);
    });
}

bool CdxTag::PositionOn(const IndexKey& key, std::uint32_t recNo) {
    return Read([&] {
        const std::vector<std::uint8_t> bytes = StoredBytes(key);
        if (Locate(bytes.data(), recNo)) return true;
        Top();
        return false;
    });
}

void CdxTag::Discard() {
    if (tree_) tree_->Invalidate();
    at_ = {};
}

CdxSeekResult CdxTag::Seek(const std::uint8_t* key, std::size_t keyBytes, bool soft, bool last) {
    return Read([&]() -> CdxSeekResult {
        if (keyBytes > static_cast<std::size_t>(KeyLength()))
            keyBytes = static_cast<std::size_t>(KeyLength());
        // In stored (ascending) order: lo is the first key not below the search key, hi the
        // first key above it, before the key just before hi.
        const CdxPosition lo = tree_->LowerBound(key, keyBytes, CdxTree::kBeforeEqual);
        const bool match = lo.Valid() && std::memcmp(tree_->KeyAt(lo), key, keyBytes) == 0;
        CdxPosition at;
        if (!last && !Descending()) {
            at = match || soft ? lo : CdxPosition{};
            return {match, Settle(at, true, false)};
        }
        const CdxPosition hi = match ? tree_->LowerBound(key, keyBytes, CdxTree::kAfterEqual) : lo;
        CdxPosition before = hi;
        if (before.Valid()) {
            if (!tree_->Prior(before)) before = {};
        } else {
            before = tree_->Last();
        }
        if (!Descending()) {
            // The first equal key; the last one with `last`, or when none is equal the key
            // just below (the key above when nothing is below).
            at = !last ? lo : before.Valid() ? before : hi;
        } else if (!last) {
            // Descending order starts with the highest equal key and goes on below it.
            at = before;
        } else {
            at = match || lo.Valid() ? lo : before;
        }
        const bool found = at.Valid() && std::memcmp(tree_->KeyAt(at), key, keyBytes) == 0;
        if (!found && !soft) at = {};
        return {found, Settle(at, true, false)};
    });
}

bool CdxTag::Holds(const std::uint8_t* key, std::uint32_t record, CdxPosition& at) {
    const auto length = static_cast<std::size_t>(KeyLength());
    at = tree_->LowerBound(key, length, record);
    return at.Valid() && tree_->RecordAt(at) == record &&
           std::memcmp(tree_->KeyAt(at), key, length) == 0;
}

bool CdxTag::Locate(const std::uint8_t* key, std::uint32_t record) {
    CdxPosition at;
    const bool hit = Holds(key, record, at);
    Settle(hit ? at : CdxPosition{}, true, false);
    return hit;
}

// ---------------------------------------------------------------- maintenance

bool CdxTag::InsertKey(const std::uint8_t* key, std::uint32_t record, std::uint32_t maxRecord) {
    RefuseIfReadOnly();
    const auto length = static_cast<std::size_t>(KeyLength());
    if (Unique()) {
        const CdxPosition at = tree_->LowerBound(key, length, CdxTree::kBeforeEqual);
        if (at.Valid() && std::memcmp(tree_->KeyAt(at), key, length) == 0) return false;
    }
    tree_->Insert(key, record, maxRecord);
    at_ = {};
    return true;
}

bool CdxTag::RemoveKey(const std::uint8_t* key, std::uint32_t record) {
    RefuseIfReadOnly();
    at_ = {};
    return tree_->Remove(key, record);
}

void CdxTag::AddKey(const IndexKey& key, std::uint32_t recNo) {
    const std::vector<std::uint8_t> bytes = StoredBytes(key);
    InsertKey(bytes.data(), recNo, std::max(Cdx().MaxRecord(), recNo));
}

void CdxTag::DeleteCurrentKey() {
    if (!at_.Valid()) return;
    const std::vector<std::uint8_t> key(tree_->KeyAt(at_), tree_->KeyAt(at_) + KeyLength());
    RemoveKey(key.data(), tree_->RecordAt(at_));
}

void CdxTag::RecordWritten(const RecordWrite& write) {
    if (gone_ || (!write.append && !write.recordChanged && !HasFor())) return;
    const std::uint32_t maxRecord = std::max(Cdx().MaxRecord(), write.recNo);
    const auto length = static_cast<std::size_t>(KeyLength());
    std::vector<std::uint8_t> newKey(length);
    const bool newSelected = keys_->Selected(write.newRecord);
    keys_->Key(write.newRecord, newKey.data());
    if (write.append || write.oldRecord == nullptr) {
        if (newSelected) InsertKey(newKey.data(), write.recNo, maxRecord);
        return;
    }
    std::vector<std::uint8_t> oldKey(length);
    const bool oldSelected = keys_->Selected(write.oldRecord);
    keys_->Key(write.oldRecord, oldKey.data());
    const bool sameKey = oldKey == newKey;
    if (sameKey && oldSelected && newSelected) {
        CdxPosition at;
        if (!Holds(oldKey.data(), write.recNo, at))
            InsertKey(newKey.data(), write.recNo, maxRecord);
        return;
    }
    const bool removed = RemoveKey(oldKey.data(), write.recNo);
    if (newSelected) InsertKey(newKey.data(), write.recNo, maxRecord);
    // A unique tag held the old key for this record: another record holding that key
    // takes its place, as a rebuild would give it.
    if (removed && Unique() && !(newSelected && sameKey)) PromoteUnique(oldKey.data(), write.recNo);
}

void CdxTag::PromoteUnique(const std::uint8_t* key, std::uint32_t leaving) {
    const auto length = static_cast<std::size_t>(KeyLength());
    std::vector<std::uint8_t> probe(length);
    std::uint32_t holder = 0;
    DbfFile& table = File().Table();
    File().ForEachRecord([&](std::uint32_t recNo) {
        const std::uint8_t* image = table.RecordBuffer();
        if (holder != 0 || recNo == leaving || !keys_->Selected(image)) return;
        keys_->Key(image, probe.data());
        if (std::memcmp(probe.data(), key, length) == 0) holder = recNo;
    });
    if (holder != 0) InsertKey(key, holder, std::max(Cdx().MaxRecord(), holder));
}

// ---------------------------------------------------------------- build

void CdxTag::CreateTag(const TagDefinition& definition) {
    keys_ = std::make_unique<CdxKeyMaker>(File().Table(), definition.keyExpression,
                                          definition.forExpression);
    SetName(definition.name);
    SetExpressions(definition.keyExpression, definition.forExpression);
    SetFacts(keys_->KeyType(), keys_->KeyLength(), definition.unique, definition.descending);
    header_ = CdxHeader{};
    header_.root = kHeaderSize;
    header_.keyLength = keys_->KeyLength();
    tree_ =
        std::make_unique<CdxTree>(Cdx(), header_.root, header_.keyLength, PadFor(keys_->KeyType()));
    Build();
}

void CdxTag::Build() {
    RefuseIfReadOnly();
    CdxFile& file = Cdx();
    DbfFile& table = file.Table();
    const auto length = static_cast<std::uint16_t>(KeyLength());
    CdxSorter sorter(length);
    sorter.Reserve(static_cast<std::size_t>(std::max<std::int32_t>(table.RecordCount(), 0)));
    std::vector<std::uint8_t> key(length);
    if (file.progress) file.progress(table.RecordCount(), 0, 0);
    file.ForEachRecord([&](std::uint32_t recNo) {
        const std::uint8_t* image = table.RecordBuffer();
        if (!keys_->Selected(image)) return;
        keys_->Key(image, key.data());
        sorter.Add(key.data(), recNo);
    });
    sorter.Sort(Unique());
    const std::uint32_t first = file.AllocatePage();
    const CdxBuiltTree built =
        cdx::BulkLoad(sorter, PadFor(KeyType()), file.MaxRecord(), first,
                      [&](std::uint32_t offset, const std::uint8_t* pages, std::size_t size) {
                          file.WriteBuiltPages(offset, pages, size);
                      });

    header_.root = built.root;
    header_.keyLength = length;
    header_.options = static_cast<std::uint8_t>(opt::OrdinaryTag | (Unique() ? opt::Unique : 0) |
                                                (HasFor() ? opt::HasFor : 0));
    header_.descending = Descending();
    header_.keyExpression = KeyExpressionText();
    header_.forExpression = ForExpressionText();
    WriteHeader();
    SetRootOffset(built.root);
    tree_ = std::make_unique<CdxTree>(file, built.root, length, PadFor(KeyType()));
    at_ = {};
    SetCursorState(false, false, false);
    if (file.progress) file.progress(0, 0, 0);
}

void CdxTag::ReadHeader() {
    std::vector<std::uint8_t> image(kHeaderSize);
    File().ReadBytes(static_cast<std::uint64_t>(HeaderOffset()), image.data(), image.size());
    CdxHeader header;
    const std::string fault = header.Parse(image.data(), File().FileSize());
    if (!fault.empty()) Cdx().Corrupt("tag " + Name() + ": " + fault);
    Load(static_cast<std::uint32_t>(HeaderOffset()), header);
}

void CdxTag::WriteHeader() {
    std::vector<std::uint8_t> image(kHeaderSize);
    header_.Format(image.data());
    File().WriteBytes(static_cast<std::uint64_t>(HeaderOffset()), image.data(), image.size());
}

void CdxTag::ReadNode(std::int64_t place, IndexNode& node) {
    if (place < static_cast<std::int64_t>(kPageSize) || place % kPageSize != 0 ||
        place > static_cast<std::int64_t>(0xFFFFFFFFu - kPageSize))
        Cdx().Corrupt("node offset outside the file at offset " + std::to_string(place));
    const CdxNode& n = tree_->Node(static_cast<std::uint32_t>(place));
    node.place = place;
    node.levelKind = n.leaf ? IndexNode::kLeafLevel : IndexNode::kInteriorLevel;
    node.left = n.left == kNoPage ? -1 : n.left;
    node.right = n.right == kNoPage ? -1 : n.right;
    node.entries.clear();
    for (std::size_t i = 0; i < n.Count(); ++i)
        node.entries.push_back(
            IndexEntry{KeyOf(n.Key(i)), n.records[i], n.leaf ? n.records[i] : n.children[i]});
}

void CdxTag::WriteNode(IndexNode& /*node*/) {
    throw std::logic_error("compound index pages are written by their tag's own tree");
}

// ---------------------------------------------------------------- check

std::optional<std::string> CdxTag::OwnCheck() {
    // The check reads under the lock, so that it judges the file as one writer left it.
    ReadScope scope(*this);
    tree_->Invalidate();
    const CdxCheckResult pages = CheckTag(
        Cdx(), header_.root, static_cast<std::uint16_t>(KeyLength()), Pad(), Cdx().MaxRecord());
    if (!pages.fault.empty() || ReadOnly()) return pages.fault;
    return CheckAgainstRecords();
}

std::string CdxTag::CheckAgainstRecords() {
    const auto length = static_cast<std::size_t>(KeyLength());
    using Entry = std::pair<std::string, std::uint32_t>;
    std::vector<Entry> expected;
    std::vector<std::uint8_t> key(length);
    DbfFile& table = File().Table();
    File().ForEachRecord([&](std::uint32_t recNo) {
        const std::uint8_t* image = table.RecordBuffer();
        if (!keys_->Selected(image)) return;
        keys_->Key(image, key.data());
        expected.emplace_back(std::string(key.begin(), key.end()), recNo);
    });
    std::sort(expected.begin(), expected.end());
    std::vector<Entry> actual;
    for (CdxPosition at = tree_->First(); at.Valid(); tree_->Next(at))
        actual.emplace_back(std::string(reinterpret_cast<const char*>(tree_->KeyAt(at)), length),
                            tree_->RecordAt(at));
    auto describe = [&](const Entry& e) {
        return "'" +
               KeyForMessage(reinterpret_cast<const std::uint8_t*>(e.first.data()),
                             static_cast<std::uint16_t>(length), KeyType()) +
               "' (record " + std::to_string(e.second) + ")";
    };
    auto missing = [&](const Entry& e) {
        return "record " + std::to_string(e.second) + " has no entry for its key " + describe(e);
    };
    if (!Unique()) {
        std::size_t i = 0;
        for (; i < actual.size() && i < expected.size(); ++i) {
            if (actual[i] == expected[i]) continue;
            if (expected[i] < actual[i]) return missing(expected[i]);
            return "entry " + describe(actual[i]) + " does not match its record";
        }
        if (i < expected.size()) return missing(expected[i]);
        if (i < actual.size()) return "entry " + describe(actual[i]) + " does not match its record";
        return {};
    }
    // Unique: each key once, on a record that holds it, and every key of the records.
    std::map<std::string, std::vector<std::uint32_t>> holders;
    for (const Entry& e : expected) holders[e.first].push_back(e.second);
    for (std::size_t i = 0; i < actual.size(); ++i) {
        if (i > 0 && actual[i].first == actual[i - 1].first)
            return "key " + describe(actual[i]) + " stands twice in a unique tag";
        const auto found = holders.find(actual[i].first);
        if (found == holders.end() || std::find(found->second.begin(), found->second.end(),
                                                actual[i].second) == found->second.end())
            return "entry " + describe(actual[i]) + " does not match its record";
    }
    if (holders.size() != actual.size()) {
        for (const auto& [k, recs] : holders) {
            const bool present = std::any_of(actual.begin(), actual.end(),
                                             [&](const Entry& e) { return e.first == k; });
            if (!present) return missing({k, recs.front()});
        }
    }
    return {};
}

}  // namespace xbase::cdx
