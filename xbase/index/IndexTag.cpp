#include "xbase/index/IndexTag.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "xbase/file/EngineError.h"
#include "xbase/file/NameText.h"
#include "xbase/index/IndexFile.h"
#include "xbase/table/DbfFile.h"
#include "xbase/table/RecordBufferScope.h"

namespace xbase {

namespace {

// A shared file is read under its lock, so that no node is seen half written; another
// user's change found on taking it drops the cached path.
class ReadGuard {
public:
    explicit ReadGuard(IndexTag& tag) : file_(tag.File()) {
        if (!file_.Disk().IsShared() || file_.LockDepth() > 0) return;
        file_.Lock();
        locked_ = true;
        if (file_.ChangedByAnotherUser()) file_.DiscardTags();
    }
    ~ReadGuard() {
        if (locked_) file_.Unlock();
    }
    ReadGuard(const ReadGuard&) = delete;
    ReadGuard& operator=(const ReadGuard&) = delete;

private:
    IndexFile& file_;
    bool locked_ = false;
};

class UpdatingFlag {
public:
    explicit UpdatingFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~UpdatingFlag() { flag_ = false; }
    UpdatingFlag(const UpdatingFlag&) = delete;
    UpdatingFlag& operator=(const UpdatingFlag&) = delete;

private:
    bool& flag_;
};

}  // namespace

IndexTag::IndexTag(IndexFile& file, std::string name)
    : file_(file), name_(UpperTrimmed(std::move(name))) {}

IndexTag::~IndexTag() = default;

// ---------------------------------------------------------------- format defaults

void IndexTag::CompileKey() {
    keyExpr_ = std::make_unique<IndexExpression>(file_.Table(), keyText_);
}

void IndexTag::CompileFor() {
    forExpr_ =
        forText_.empty() ? nullptr : std::make_unique<IndexExpression>(file_.Table(), forText_);
}

IndexKey IndexTag::EvaluateKey() {
    if (!keyExpr_) CompileKey();
    return ConvertKey(keyExpr_->Evaluate());
}

KeyValue IndexTag::KeyOnBlankRecord() {
    if (!keyExpr_) CompileKey();
    DbfFile& table = file_.Table();
    std::vector<std::uint8_t> blank(static_cast<std::size_t>(table.RecordLength()) + 1, ' ');
    RecordBufferScope view(table, blank.data());
    return keyExpr_->Evaluate();
}

bool IndexTag::EvaluateFor() {
    if (forText_.empty()) return true;
    if (!forExpr_) CompileFor();
    return forExpr_->Condition();
}

void IndexTag::WriteSortedKeys(IndexSorter& /*sorter*/) {
    throw XBaseError("Index format cannot build tag " + name_ + " of " + file_.FullPath());
}

std::unique_ptr<IndexSorter> IndexTag::MakeSorter() {
    return std::make_unique<MemorySorter>(
        [this](const IndexKey& a, const IndexKey& b) { return CompareInTag(a, b); }, unique_);
}

const FieldDescriptor* IndexTag::KeyField() const {
    const std::string name = UpperTrimmed(keyText_);
    for (const FieldDescriptor& field : file_.Table().Fields()) {
        if (UpperTrimmed(field.name) == name) return &field;
    }
    return nullptr;
}

void IndexTag::AddBuildKey(IndexSorter& sorter, std::uint32_t recNo) {
    sorter.Add(EvaluateKey(), recNo);
}

void IndexTag::SetFacts(char keyType, int keyLength, bool unique, bool descending) {
    keyType_ = keyType;
    keyLength_ = keyLength;
    unique_ = unique;
    descending_ = descending;
}

void IndexTag::SetExpressions(std::string keyText, std::string forText) {
    keyText_ = std::move(keyText);
    forText_ = std::move(forText);
    keyExpr_.reset();
    forExpr_.reset();
}

void IndexTag::CorruptNode(const std::string& what) const { file_.Corrupt(what); }

// ---------------------------------------------------------------- comparison

int IndexTag::CompareInTag(const IndexKey& a, const IndexKey& b, bool partial) const {
    int c = CompareKeys(a, b, partial);
    if (descending_ && !a.IsBeyond() && !b.IsBeyond()) c = -c;
    return c;
}

int IndexTag::CompareEntry(const IndexKey& key, std::int64_t recNo, const IndexEntry& entry,
                           bool partial) const {
    int c = CompareInTag(key, entry.key, partial);
    if (c != 0 || entry.key.IsBeyond()) return c;
    if (recNo == kAnyRecord) return -1;
    if (recNo == kPastEqual) return 1;
    if (!file_.OrdersEqualKeysByRecord()) return -1;
    if (recNo < entry.recNo) return -1;
    return recNo > entry.recNo ? 1 : 0;
}

// ---------------------------------------------------------------- the path

IndexNode& IndexTag::Root() {
    if (!root_) {
        rootOffset_ = ReadRootOffset();
        auto root = std::make_unique<IndexNode>();
        root->tag = this;
        root->place = rootOffset_;
        ReadNode(rootOffset_, *root);
        root->position = -1;
        root_ = std::move(root);
    }
    return *root_;
}

IndexNode* IndexTag::Leaf() {
    if (!root_) return nullptr;
    IndexNode* node = root_.get();
    while (node->child) node = node->child.get();
    return node;
}

IndexNode& IndexTag::LoadChild(IndexNode& node) {
    const std::int64_t place = node.Current().child;
    if (node.child && node.child->place == place) return *node.child;
    DropChild(node);
    if (node.Depth() + 1 >= kMaxDepth)
        CorruptNode("tag " + name_ + " is deeper than any index can be");
    for (const IndexNode* p = &node; p != nullptr; p = p->parent) {
        if (p->place == place)
            CorruptNode("a node of tag " + name_ + " points back up its own path");
    }
    auto child = std::make_unique<IndexNode>();
    child->tag = this;
    child->place = place;
    child->parent = &node;
    ReadNode(place, *child);
    child->position = -1;
    node.child = std::move(child);
    return *node.child;
}

void IndexTag::WriteBack(IndexNode& node) {
    WriteNode(node);
    node.changed = false;
}

void IndexTag::DropChild(IndexNode& node) {
    if (!node.child) return;
    DropChild(*node.child);
    if (node.child->changed) WriteBack(*node.child);
    node.child.reset();
}

void IndexTag::Release() {
    if (root_) {
        for (;;) {
            DropChild(*root_);
            if (!root_->changed) break;
            IndexNode* written = root_.get();
            WriteBack(*written);
            if (root_.get() == written) break;
        }
        root_.reset();
    }
    if (headerChanged_) {
        WriteHeader();
        headerChanged_ = false;
    }
}

void IndexTag::Discard() {
    root_.reset();
    storedRootKnown_ = false;
}

IndexNode& IndexTag::GrowRoot(IndexNode& oldRoot, std::int64_t newRootPlace) {
    if (root_.get() != &oldRoot || oldRoot.Empty()) {
        throw std::logic_error("GrowRoot needs the root with entries");
    }
    auto top = std::make_unique<IndexNode>();
    top->tag = this;
    top->place = newRootPlace;
    top->levelKind = IndexNode::kInteriorLevel;
    IndexEntry entry = oldRoot.entries.back();
    entry.child = static_cast<std::uint32_t>(oldRoot.place);
    top->entries.push_back(std::move(entry));
    top->position = 0;
    top->changed = true;
    oldRoot.parent = top.get();
    top->child = std::move(root_);
    root_ = std::move(top);
    if (rootOffset_ != newRootPlace) {
        rootOffset_ = newRootPlace;
        headerChanged_ = true;
    }
    return *root_;
}

void IndexTag::AnnounceSplit(IndexNode& node, const IndexEntry& last, std::int64_t place) {
    IndexNode* parent = node.parent;
    if (parent == nullptr || !parent->HasCurrent()) {
        throw std::logic_error("AnnounceSplit needs the node's parent on the path");
    }
    IndexEntry entry = last;
    entry.child = static_cast<std::uint32_t>(place);
    parent->entries.insert(parent->entries.begin() + parent->position, std::move(entry));
    ++parent->position;
    parent->changed = true;
}

void IndexTag::DescendFirst(IndexNode& node) {
    IndexNode* n = &node;
    while (!n->IsLeaf() && n->HasCurrent()) {
        IndexNode& c = LoadChild(*n);
        c.position = c.Empty() ? -1 : 0;
        n = &c;
    }
}

void IndexTag::DescendLast(IndexNode& node) {
    IndexNode* n = &node;
    while (!n->IsLeaf() && n->HasCurrent()) {
        IndexNode& c = LoadChild(*n);
        c.position = c.Count() - 1;
        n = &c;
    }
}

bool IndexTag::StepForward() {
    for (;;) {
        IndexNode* n = Leaf();
        if (n->IsLeaf() && n->position + 1 < n->Count()) {
            ++n->position;
            return true;
        }
        IndexNode* p = n->parent;
        while (p != nullptr && p->position + 1 >= p->Count()) p = p->parent;
        if (p == nullptr) {
            if (n->IsLeaf()) n->position = n->Count();
            return false;
        }
        ++p->position;
        DescendFirst(*p);
        IndexNode* leaf = Leaf();
        if (leaf->IsLeaf() && leaf->HasCurrent()) return true;
    }
}

bool IndexTag::StepBackward() {
    for (;;) {
        IndexNode* n = Leaf();
        if (n->position > n->Count()) n->position = n->Count();
        if (n->IsLeaf() && n->position > 0) {
            --n->position;
            return true;
        }
        IndexNode* p = n->parent;
        while (p != nullptr && p->position <= 0) p = p->parent;
        if (p == nullptr) {
            if (n->IsLeaf()) n->position = -1;
            return false;
        }
        --p->position;
        DescendLast(*p);
        IndexNode* leaf = Leaf();
        if (leaf->IsLeaf() && leaf->HasCurrent()) return true;
    }
}

// ---------------------------------------------------------------- search

int IndexTag::Search(const IndexKey& key, std::int64_t recNo, bool partial) {
    const bool stored = recNo == kAnyRecord && !updating_ && SearchesStoredPages();
    if (stored && file_.Disk().IsShared() && file_.LockDepth() == 0 && file_.HasChangeCounter()) {
        // Pages kept while the change counter stays as it was are the file's pages: a
        // lookup that finds every page it needs among them takes no lock.
        if (file_.ChangedByAnotherUser()) {
            file_.DiscardTags();
        } else {
            const int found = FindStored(key, partial, true);
            if (found != kUndecided) return found;
        }
    }
    ReadGuard guard(*this);
    if (stored) {
        const int found = FindStored(key, partial, false);
        if (found != kUndecided) return found;
    }
    const int result = SearchFrom(key, recNo, partial);
    IndexNode* leaf = Leaf();
    if (leaf != nullptr && leaf->IsLeaf() && leaf->HasCurrent()) TakeCurrent();
    return result;
}

int IndexTag::CompareStored(const IndexKey& key, const StoredItem& item, bool partial) const {
    int c = key.IsText() && StoresText() ? CompareKeyText(key.text, item.key, partial)
                                         : CompareKeys(key, StoredKey(item), partial);
    if (descending_ && !key.IsBeyond()) c = -c;
    return c;
}

int IndexTag::FindStored(const IndexKey& key, bool partial, bool keptOnly) {
    // A path holding changes not yet written (a root grown in memory) is the tag as it is.
    if (headerChanged_) return kUndecided;
    for (const IndexNode* n = root_.get(); n != nullptr; n = n->child.get()) {
        if (n->changed) return kUndecided;
    }
    std::int64_t place = rootOffset_;
    if (file_.Disk().IsShared()) {
        // The root read under the lock stays while a change counter says the file is
        // unchanged (another user's change discards the tag, and with it this).
        if (!storedRootKnown_ || !file_.HasChangeCounter()) {
            if (keptOnly) return kUndecided;
            storedRoot_ = ReadRootOffset();
            storedRootKnown_ = true;
        }
        place = storedRoot_;
    }
    const bool entriesAbove = InteriorKeysAreEntries();
    bool haveCandidate = false;
    std::uint32_t candidateRecNo = 0;
    StoredPage page;
    for (int depth = 0; depth < kMaxDepth; ++depth) {
        if (!ReadStoredPage(place, keptOnly, page)) return kUndecided;
        // The first key not less than the one sought.
        int low = 0;
        int high = page.count;
        while (low < high) {
            const int mid = low + (high - low) / 2;
            if (CompareStored(key, StoredItemAt(page, mid), partial) > 0) {
                low = mid + 1;
            } else {
                high = mid;
            }
        }
        if (page.interior) {
            const StoredItem item = StoredItemAt(page, low);
            if (entriesAbove && low < page.count) {
                // Below it only keys before it: it is the entry reached when none is.
                storedCandidate_.assign(item.key);
                candidateRecNo = item.recNo;
                haveCandidate = true;
            }
            place = item.child;
            continue;
        }
        StoredItem found;
        if (low < page.count) {
            found = StoredItemAt(page, low);
        } else if (haveCandidate) {
            found.key = storedCandidate_;
            found.recNo = candidateRecNo;
        } else {
            return kUndecided;
        }
        const int c = CompareStored(key, found, partial);
        if (c > 0 || found.recNo == 0) return kUndecided;
        current_ = IndexEntry{StoredKey(found), found.recNo, found.recNo};
        hasCurrent_ = true;
        return c < 0 ? -1 : 0;
    }
    return kUndecided;
}

int IndexTag::SearchFrom(const IndexKey& key, std::int64_t recNo, bool partial, bool stepOn) {
    const bool byRecord = file_.OrdersEqualKeysByRecord();
    const std::int64_t descentRecord =
        (recNo == kPastEqual || (byRecord && recNo != kAnyRecord)) ? recNo : kAnyRecord;
    IndexNode* n = &Root();
    for (;;) {
        int pos = 0;
        while (pos < n->Count() &&
               CompareEntry(key, descentRecord, n->entries[static_cast<std::size_t>(pos)],
                            partial) > 0) {
            ++pos;
        }
        if (n->IsLeaf()) {
            n->position = pos;
            DropChild(*n);
            break;
        }
        if (n->Empty()) {
            n->position = -1;
            DropChild(*n);
            break;
        }
        n->position = std::min(pos, n->Count() - 1);
        n = &LoadChild(*n);
    }
    // Past the end of this leaf: the entry reached is the first of the following leaves.
    IndexNode* leaf = Leaf();
    if (!stepOn && leaf->IsLeaf() && leaf->position >= leaf->Count()) return 1;
    if (!leaf->IsLeaf() || leaf->position >= leaf->Count()) {
        if (leaf->IsLeaf()) leaf->position = leaf->Count() - 1;
        if (!StepForward()) {
            // Past the last entry of the tag: the path ends on the last leaf's end.
            IndexNode& root = Root();
            root.position = root.Count() - 1;
            DescendLast(root);
            IndexNode* last = Leaf();
            if (last->IsLeaf()) last->position = last->Count();
            return 1;
        }
    }
    leaf = Leaf();
    int c = CompareInTag(key, leaf->Current().key, partial);
    if (c < 0) return -1;
    if (c > 0) return 1;  // only where a separator in the file is too low
    if (recNo == kAnyRecord || recNo == kPastEqual) return 0;
    if (byRecord) return leaf->Current().recNo == recNo ? 0 : -1;
    // Equal keys in insertion order: look through them for the record.
    while (leaf->Current().recNo != recNo) {
        if (!StepForward()) return 1;
        leaf = Leaf();
        if (CompareInTag(key, leaf->Current().key, partial) != 0) return -1;
    }
    return 0;
}

// ---------------------------------------------------------------- cursor

bool IndexTag::InRange(const IndexKey& key) const {
    if (rangeLow_) {
        int c = CompareInTag(*rangeLow_, key, rangePartial_);
        if (c > 0 || (c == 0 && !lowInclusive_)) return false;
    }
    if (rangeHigh_) {
        int c = CompareInTag(*rangeHigh_, key, rangePartial_);
        if (c < 0 || (c == 0 && !highInclusive_)) return false;
    }
    return true;
}

void IndexTag::TakeCurrent() {
    IndexNode* leaf = Leaf();
    current_ = leaf->Current();
    hasCurrent_ = true;
}

std::uint32_t IndexTag::Settle(bool forward) {
    IndexNode* leaf = Leaf();
    if (leaf == nullptr || !leaf->IsLeaf() || !leaf->HasCurrent()) {
        (forward ? atBottom_ : atTop_) = true;
        return 0;
    }
    TakeCurrent();
    if (current_.recNo == 0) CorruptNode("a leaf of tag " + name_ + " holds record number 0");
    if (!updating_ && HasRange()) {
        if (rangeLow_) {
            int c = CompareInTag(*rangeLow_, current_.key, rangePartial_);
            if (c > 0 || (c == 0 && !lowInclusive_)) {
                atTop_ = true;
                return 0;
            }
        }
        if (rangeHigh_) {
            int c = CompareInTag(*rangeHigh_, current_.key, rangePartial_);
            if (c < 0 || (c == 0 && !highInclusive_)) {
                atBottom_ = true;
                return 0;
            }
        }
    }
    return current_.recNo;
}

std::uint32_t IndexTag::Top() {
    ReadGuard guard(*this);
    atTop_ = atBottom_ = false;
    if (rangeLow_ && !updating_) {
        if (SearchFrom(*rangeLow_, lowInclusive_ ? kAnyRecord : kPastEqual, rangePartial_) == 1) {
            atBottom_ = true;
            return 0;
        }
        return Settle(true);
    }
    IndexNode& root = Root();
    root.position = root.Empty() ? -1 : 0;
    DescendFirst(root);
    IndexNode* leaf = Leaf();
    if ((!leaf->IsLeaf() || !leaf->HasCurrent()) && !StepForward()) {
        atBottom_ = true;
        return 0;
    }
    return Settle(true);
}

std::uint32_t IndexTag::Bottom() {
    ReadGuard guard(*this);
    atTop_ = atBottom_ = false;
    if (rangeHigh_ && !updating_) {
        SearchFrom(*rangeHigh_, highInclusive_ ? kPastEqual : kAnyRecord, rangePartial_);
        if (!StepBackward()) {
            atTop_ = true;
            return 0;
        }
        return Settle(false);
    }
    IndexNode& root = Root();
    root.position = root.Count() - 1;
    DescendLast(root);
    IndexNode* leaf = Leaf();
    if ((!leaf->IsLeaf() || !leaf->HasCurrent()) && !StepBackward()) {
        atTop_ = true;
        return 0;
    }
    return Settle(false);
}

std::uint32_t IndexTag::Next() {
    ReadGuard guard(*this);
    atTop_ = atBottom_ = false;
    if (!hasCurrent_) return Top();
    IndexNode* leaf = root_ ? Leaf() : nullptr;
    bool on = leaf != nullptr && leaf->IsLeaf() && leaf->HasCurrent() &&
              leaf->Current().recNo == current_.recNo && leaf->Current().key == current_.key;
    if (!on) {
        int r = SearchFrom(current_.key, current_.recNo, false);
        if (r == 1) {
            atBottom_ = true;
            return 0;
        }
        on = r == 0;
    }
    if (on && !StepForward()) {
        atBottom_ = true;
        return 0;
    }
    return Settle(true);
}

std::uint32_t IndexTag::Prior() {
    ReadGuard guard(*this);
    atTop_ = atBottom_ = false;
    if (!hasCurrent_) return Bottom();
    IndexNode* leaf = root_ ? Leaf() : nullptr;
    bool on = leaf != nullptr && leaf->IsLeaf() && leaf->HasCurrent() &&
              leaf->Current().recNo == current_.recNo && leaf->Current().key == current_.key;
    if (!on) SearchFrom(current_.key, current_.recNo, false);
    if (!StepBackward()) {
        atTop_ = true;
        return 0;
    }
    return Settle(false);
}

bool IndexTag::PositionOn(const IndexKey& key, std::uint32_t recNo) {
    ReadGuard guard(*this);
    atTop_ = atBottom_ = false;
    if (SearchFrom(key, recNo, false) == 0) {
        TakeCurrent();
        return true;
    }
    Top();
    return false;
}

// ---------------------------------------------------------------- range

bool IndexTag::SetRange(std::optional<IndexKey> low, std::optional<IndexKey> high, bool partial,
                        bool lowInclusive, bool highInclusive) {
    auto same = [](const std::optional<IndexKey>& a, const std::optional<IndexKey>& b) {
        return a.has_value() == b.has_value() && (!a || *a == *b);
    };
    if (same(low, rangeLow_) && same(high, rangeHigh_) && partial == rangePartial_ &&
        lowInclusive == lowInclusive_ && highInclusive == highInclusive_) {
        return false;
    }
    rangeLow_ = std::move(low);
    rangeHigh_ = std::move(high);
    rangePartial_ = partial;
    lowInclusive_ = lowInclusive;
    highInclusive_ = highInclusive;
    return true;
}

void IndexTag::ClearRange() {
    rangeLow_.reset();
    rangeHigh_.reset();
    rangePartial_ = false;
    lowInclusive_ = highInclusive_ = true;
}

// ---------------------------------------------------------------- insertion and removal

void IndexTag::AddKey(const IndexKey& key, std::uint32_t recNo) {
    if (unique_ && SearchFrom(key, kAnyRecord, false) == 0) return;
    const bool byRecord = file_.OrdersEqualKeysByRecord();
    // The key goes into the leaf the descent chose, at its end when it is greater than every
    // key there. Stepping on to the next leaf instead would put it below a separator that
    // a removal left higher than its subtree's keys, and the next key between the two
    // would then be inserted before it.
    SearchFrom(key, byRecord ? static_cast<std::int64_t>(recNo) : kPastEqual, false, false);
    IndexNode* leaf = Leaf();
    if (!leaf->IsLeaf()) {
        if (leaf->parent != nullptr || !leaf->Empty())
            CorruptNode("tag " + name_ + " has an empty interior node");
        leaf->levelKind = IndexNode::kLeafLevel;
    }
    const int pos = std::clamp(leaf->position, 0, leaf->Count());
    leaf->entries.insert(leaf->entries.begin() + pos, IndexEntry{key, recNo, recNo});
    leaf->position = pos;
    leaf->changed = true;
    if (pos == leaf->Count() - 1) UpdateSeparators(*leaf);
    TakeCurrent();
}

void IndexTag::UpdateSeparators(IndexNode& node) {
    IndexNode* n = &node;
    while (n->parent != nullptr && !n->Empty()) {
        IndexNode* p = n->parent;
        IndexEntry& separator = p->Current();
        const IndexEntry& last = n->entries.back();
        if (separator.key.IsBeyond() || last.key.IsBeyond()) break;
        if (separator.key == last.key && separator.recNo == last.recNo) break;
        separator.key = last.key;
        separator.recNo = last.recNo;
        p->changed = true;
        if (p->position != p->Count() - 1) break;
        n = p;
    }
}

void IndexTag::DeleteCurrentKey() {
    IndexNode* leaf = Leaf();
    if (leaf == nullptr || !leaf->IsLeaf() || !leaf->HasCurrent()) return;
    const bool wasLast = leaf->position == leaf->Count() - 1;
    leaf->entries.erase(leaf->entries.begin() + leaf->position);
    leaf->changed = true;
    if (leaf->Empty()) {
        RemoveEmpty(*leaf);
        return;
    }
    if (wasLast) {
        leaf->position = leaf->Count() - 1;
        UpdateSeparators(*leaf);
        leaf->position = leaf->Count();
    }
}

void IndexTag::RemoveEmpty(IndexNode& node) {
    IndexNode* n = &node;
    while (n->Empty() && n->parent != nullptr) {
        IndexNode* p = n->parent;
        NodeDropped(*n);
        const bool wasLast = p->position == p->Count() - 1;
        p->child.reset();
        p->entries.erase(p->entries.begin() + p->position);
        p->changed = true;
        if (p->Empty()) {
            n = p;
            continue;
        }
        if (wasLast) {
            p->position = p->Count() - 1;
            // The node's new last child: its subtree's last key becomes p's separator.
            const IndexEntry& newLast = p->entries.back();
            IndexNode* q = p;
            while (q->parent != nullptr) {
                IndexEntry& separator = q->parent->Current();
                if (separator.key.IsBeyond() || newLast.key.IsBeyond()) break;
                separator.key = newLast.key;
                separator.recNo = newLast.recNo;
                q->parent->changed = true;
                if (q->parent->position != q->parent->Count() - 1) break;
                q = q->parent;
            }
        }
        p->position = std::min(p->position, p->Count() - 1);
        return;
    }
    if (n->Empty() && n->parent == nullptr) {
        n->levelKind = IndexNode::kLeafLevel;
        n->child.reset();
        n->position = -1;
        n->changed = true;
    }
}

// ---------------------------------------------------------------- key maintenance

void IndexTag::RecordWritten(const RecordWrite& write) {
    if (!write.append && !write.recordChanged && !HasFor()) return;
    DbfFile& table = file_.Table();
    const std::size_t length = static_cast<std::size_t>(table.RecordLength());
    std::vector<std::uint8_t> record(length + 1, ' ');
    auto evaluate = [&](const std::uint8_t* bytes, IndexKey& key) {
        std::copy_n(bytes, length, record.begin());
        RecordBufferScope view(table, record.data());
        bool selected = EvaluateFor();
        key = EvaluateKey();
        return selected;
    };
    UpdatingFlag updating(updating_);
    IndexKey newKey;
    const bool newSelected = evaluate(write.newRecord, newKey);
    if (write.append || write.oldRecord == nullptr) {
        if (newSelected) AddKey(newKey, write.recNo);
    } else {
        IndexKey oldKey;
        const bool oldSelected = evaluate(write.oldRecord, oldKey);
        const bool found = SearchFrom(oldKey, write.recNo, false) == 0;
        if (oldKey == newKey && oldSelected && newSelected) {
            if (!found) AddKey(newKey, write.recNo);
        } else {
            if (found) DeleteCurrentKey();
            if (newSelected) AddKey(newKey, write.recNo);
            // A unique tag held the old key for this record only; another record may hold
            // it too and now takes its place, as a rebuild would give it.
            if (found && unique_ && !(newSelected && oldKey == newKey))
                RefillUnique(oldKey, write.recNo);
        }
    }
    Release();
}

void IndexTag::RefillUnique(const IndexKey& key, std::uint32_t leaving) {
    std::uint32_t holder = 0;
    file_.ForEachRecord([&](std::uint32_t recNo) {
        if (holder != 0 || recNo == leaving) return;
        if (EvaluateFor() && EvaluateKey() == key) holder = recNo;
    });
    if (holder != 0) AddKey(key, holder);
}

// ---------------------------------------------------------------- building

void IndexTag::Build() {
    std::unique_ptr<IndexSorter> sorter = MakeSorter();
    const std::int32_t count = file_.Table().RecordCount();
    if (file_.progress) file_.progress(count, 0, 0);
    // A key that is one field is read from the record where the sorter can (no expression).
    const FieldDescriptor* field = KeyField();
    const DbfFile& table = file_.Table();
    file_.ForEachRecord([&](std::uint32_t recNo) {
        if (!EvaluateFor()) return;
        if (field != nullptr && sorter->AddFieldKey(*field, table.RecordBuffer(), recNo)) return;
        AddBuildKey(*sorter, recNo);
    });
    sorter->Finish();
    Discard();
    WriteSortedKeys(*sorter);
    if (file_.progress) file_.progress(0, 0, 0);
    hasCurrent_ = false;
}

std::int64_t IndexTag::BulkLoad(IndexSorter& sorter, int leafFill, int interiorFill,
                                const std::function<std::int64_t()>& allocate,
                                const std::function<void(IndexNode&, bool isRoot)>& write) {
    struct Level {
        std::unique_ptr<IndexNode> open;
        std::unique_ptr<IndexNode> closed;
        int made = 0;
    };
    std::vector<Level> levels;
    auto fill = [&](std::size_t level) {
        return std::max(1, level == 0 ? leafFill : interiorFill);
    };
    auto separatorOf = [](const IndexNode& node) {
        IndexEntry separator = node.entries.back();
        separator.child = static_cast<std::uint32_t>(node.place);
        return separator;
    };
    std::function<void(std::size_t, IndexEntry)> add;
    auto start = [&](std::size_t level) {
        auto node = std::make_unique<IndexNode>();
        node->tag = this;
        node->levelKind = level == 0 ? IndexNode::kLeafLevel : IndexNode::kInteriorLevel;
        node->place = allocate();
        Level& l = levels[level];
        if (l.closed) {
            l.closed->right = node->place;
            node->left = l.closed->place;
            IndexEntry separator = separatorOf(*l.closed);
            write(*l.closed, false);
            l.closed.reset();
            add(level + 1, std::move(separator));
        }
        levels[level].open = std::move(node);
        ++levels[level].made;
    };
    add = [&](std::size_t level, IndexEntry entry) {
        if (levels.size() <= level) levels.resize(level + 1);
        if (!levels[level].open) start(level);
        Level& l = levels[level];
        l.open->entries.push_back(std::move(entry));
        if (l.open->Count() >= fill(level)) l.closed = std::move(l.open);
    };
    IndexEntry entry;
    while (sorter.Next(entry)) add(0, std::move(entry));
    if (levels.empty()) {
        IndexNode root;
        root.tag = this;
        root.levelKind = IndexNode::kLeafLevel;
        root.place = allocate();
        write(root, true);
        rootOffset_ = root.place;
        headerChanged_ = true;
        return root.place;
    }
    for (std::size_t level = 0; level < levels.size(); ++level) {
        // `add` may grow `levels`: no reference into it is kept across a call.
        std::unique_ptr<IndexNode> last =
            levels[level].open ? std::move(levels[level].open) : std::move(levels[level].closed);
        if (std::unique_ptr<IndexNode> full = std::move(levels[level].closed)) {
            // A full node followed by a partly filled one.
            full->right = last->place;
            last->left = full->place;
            IndexEntry separator = separatorOf(*full);
            write(*full, false);
            add(level + 1, std::move(separator));
        }
        if (levels[level].made == 1 && level + 1 == levels.size()) {
            write(*last, true);
            rootOffset_ = last->place;
            headerChanged_ = true;
            return last->place;
        }
        IndexEntry separator = separatorOf(*last);
        write(*last, false);
        add(level + 1, std::move(separator));
    }
    throw std::logic_error("BulkLoad ended without a root");
}

}  // namespace xbase
