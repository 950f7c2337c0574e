#include "xbase/index/ndx/NdxTag.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "xbase/file/EngineError.h"
#include "xbase/index/IndexBytes.h"
#include "xbase/index/LayingSorter.h"
#include "xbase/index/ndx/NdxFile.h"
#include "xbase/index/ndx/NdxFormat.h"
#include "xbase/table/DbfDate.h"
#include "xbase/table/DbfFile.h"

namespace xbase {

namespace {

using Page = std::array<std::uint8_t, ndx::kPageSize>;

}  // namespace

NdxTag::NdxTag(NdxFile& file, std::string name) : IndexTag(file, std::move(name)) {}

NdxFile& NdxTag::ndx() { return static_cast<NdxFile&>(File()); }

IndexKey NdxTag::ConvertKey(const KeyValue& value) const {
    switch (value.type) {
        case 'N':
            return IndexKey::Number(value.number);
        case 'D':
            // Some programs keep a date key as its eight digits in a character tag.
            if (KeyType() == 'C') {
                const bool empty = value.number < 0.1 || value.IsEmptyDate();
                return IndexKey::Text(
                    empty ? std::string()
                          : DbfDate::JulianToStorage(static_cast<std::int32_t>(value.number)));
            }
            return IndexKey::Date(value.number < 0.1 || value.IsEmptyDate() ? ndx::kEmptyDateKey
                                                                            : value.number);
        case 'L':
            return IndexKey::Text(value.logical ? "T" : "F");
        default: {
            std::string text = value.text;
            while (!text.empty() && text.back() == ' ') text.pop_back();
            if (static_cast<int>(text.size()) > KeyLength() && KeyLength() > 0)
                text.resize(static_cast<std::size_t>(KeyLength()));
            return IndexKey::Text(text);
        }
    }
}

void NdxTag::ReadHeader() {
    Page page{};
    File().ReadBytes(0, page.data(), page.size());
    const std::uint32_t root = bytes::GetLe32(page.data() + ndx::header::RootPage);
    const int keyLength = bytes::GetLe16(page.data() + ndx::header::KeyLength);
    const int maxKeys = bytes::GetLe16(page.data() + ndx::header::MaxKeys);
    const int keyType = bytes::GetLe16(page.data() + ndx::header::KeyType);
    const int entrySize = bytes::GetLe16(page.data() + ndx::header::EntrySize);
    const bool unique = page[ndx::header::Unique] != 0;
    const char* text = reinterpret_cast<const char*>(page.data() + ndx::header::Expression);
    std::string expression(text, strnlen(text, ndx::kPageSize - ndx::header::Expression));
    const std::int64_t pages = static_cast<std::int64_t>(File().FileSize() / ndx::kPageSize);
    if (root == 0 || root >= pages || keyLength < 1 || keyLength > 488 ||
        entrySize < keyLength + 8 || entrySize > static_cast<int>(ndx::kEntryArea) / 2 ||
        maxKeys < 2 || maxKeys * entrySize > static_cast<int>(ndx::kEntryArea) + entrySize ||
        keyType > 1 || (keyType == 1 && keyLength < ndx::kNumberKeyLength) ||
        expression.find_first_not_of(' ') == std::string::npos) {
        CorruptNode("the header is not one of a dBase index");
    }
    entrySize_ = entrySize;
    maxKeys_ = maxKeys;
    storedKeyLength_ = keyLength;
    SetExpressions(expression, {});
    SetRootOffset(root);
    ndx().SetNextFreePage(pages);
    // The key type comes from the expression's result.
    CompileKey();
    char type = 'C';
    if (keyType == 1) type = KeyExpression()->ResultType() == 'D' ? 'D' : 'N';
    SetFacts(type, type == 'C' ? keyLength : ndx::kNumberKeyLength, unique, false);
}

void NdxTag::WriteHeader() {
    Page page{};
    bytes::PutLe32(page.data() + ndx::header::RootPage, static_cast<std::uint32_t>(RootOffset()));
    bytes::PutLe32(page.data() + ndx::header::NextFreePage,
                   static_cast<std::uint32_t>(ndx().NextFreePage()));
    bytes::PutLe16(page.data() + ndx::header::KeyLength,
                   static_cast<std::uint16_t>(static_cast<std::uint32_t>(storedKeyLength_)));
    bytes::PutLe16(page.data() + ndx::header::MaxKeys,
                   static_cast<std::uint16_t>(static_cast<std::uint32_t>(maxKeys_)));
    bytes::PutLe16(page.data() + ndx::header::KeyType,
                   static_cast<std::uint16_t>(KeyType() == 'C' ? 0u : 1u));
    bytes::PutLe16(page.data() + ndx::header::EntrySize,
                   static_cast<std::uint16_t>(static_cast<std::uint32_t>(entrySize_)));
    page[ndx::header::Unique] = Unique() ? 1 : 0;
    const std::string& text = KeyExpressionText();
    std::memcpy(page.data() + ndx::header::Expression, text.data(),
                std::min(text.size(), ndx::kPageSize - ndx::header::Expression - 1));
    File().WriteBytes(0, page.data(), page.size());
}

std::int64_t NdxTag::ReadRootOffset() {
    std::array<std::uint8_t, 4> bytes{};
    File().ReadBytes(ndx::header::RootPage, bytes.data(), bytes.size());
    return bytes::GetLe32(bytes.data());
}

void NdxTag::ReadNode(std::int64_t place, IndexNode& node) {
    if (place <= 0 ||
        !ndx().Size().Covers(static_cast<std::uint64_t>(place + 1) * ndx::kPageSize)) {
        CorruptNode("a node of tag " + Name() + " points at page " + std::to_string(place) +
                    ", outside the file");
    }
    Page page{};
    File().ReadBytes(static_cast<std::uint64_t>(place) * ndx::kPageSize, page.data(), page.size());
    const std::uint32_t count = bytes::GetLe32(page.data() + ndx::node::KeyCount);
    const std::uint8_t* entries = page.data() + ndx::node::Entries;
    const auto size = static_cast<std::size_t>(entrySize_);
    const bool interior = bytes::GetLe32(entries + ndx::node::ChildPage) != 0;
    const std::size_t slots = count + (interior ? 1u : 0u);
    // The child-only last entry of an interior node stores its child page alone.
    if (count > static_cast<std::uint32_t>(maxKeys_) + 1 ||
        ndx::node::Entries + count * size + (interior ? ndx::node::ChildPageSize : 0u) >
            ndx::kPageSize) {
        CorruptNode("a node of tag " + Name() + " holds " + std::to_string(count) +
                    " keys, more than its page can");
    }
    node.entries.clear();
    node.entries.reserve(slots);
    node.levelKind = interior ? IndexNode::kInteriorLevel : IndexNode::kLeafLevel;
    node.left = node.right = -1;
    const IndexEntry* above =
        node.parent != nullptr && node.parent->HasCurrent() ? &node.parent->Current() : nullptr;
    for (std::size_t i = 0; i < slots; ++i) {
        const std::uint8_t* e = entries + i * size;
        IndexEntry entry;
        entry.child = bytes::GetLe32(e + ndx::node::ChildPage);
        entry.recNo = bytes::GetLe32(e + ndx::node::RecordNumber);
        if (interior && i == count) {
            // The child-only entry covers keys up to this node's separator above (beyond
            // all keys on the rightmost path). Keeping that key lets a removal at the end
            // of the last leaf lower the separators all the way up; a key beyond all would
            // stop there, and a later key would be inserted into the next subtree.
            entry.key =
                above != nullptr && !above->key.IsBeyond() ? above->key : IndexKey::BeyondAll();
        } else if (KeyType() == 'C') {
            const char* k = reinterpret_cast<const char*>(e + ndx::node::Key);
            std::size_t n = static_cast<std::size_t>(storedKeyLength_);
            while (n > 0 && (k[n - 1] == ' ' || k[n - 1] == '\0')) --n;
            entry.key = IndexKey::Text(std::string_view(k, n));
        } else {
            double d = bytes::GetLeDouble(e + ndx::node::Key);
            entry.key = KeyType() == 'D' ? IndexKey::Date(d) : IndexKey::Number(d);
        }
        if (interior && entry.child == 0)
            CorruptNode("an interior node of tag " + Name() + " lacks a child");
        if (!interior) entry.child = entry.recNo;
        node.entries.push_back(std::move(entry));
    }
}

bool NdxTag::ReadStoredPage(std::int64_t place, bool keptOnly, StoredPage& page) {
    // Nothing tells whether another user changed a page kept: only pages read now count.
    if (keptOnly || place <= 0 ||
        !ndx().Size().Covers(static_cast<std::uint64_t>(place + 1) * ndx::kPageSize))
        return false;
    const std::uint8_t* data = ndx().StoredPage(place);
    const std::uint32_t count = bytes::GetLe32(data + ndx::node::KeyCount);
    const std::uint8_t* entries = data + ndx::node::Entries;
    const auto size = static_cast<std::size_t>(entrySize_);
    const bool interior = bytes::GetLe32(entries + ndx::node::ChildPage) != 0;
    page.data = data;
    page.place = place;
    page.count = static_cast<int>(count);
    page.interior = interior;
    if (PageCache::Mark(data) != 0) return true;
    // What ReadNode would refuse is left to it.
    if (count > static_cast<std::uint32_t>(maxKeys_) + 1 ||
        ndx::node::Entries + count * size + (interior ? ndx::node::ChildPageSize : 0u) >
            ndx::kPageSize ||
        (KeyType() != 'C' && storedKeyLength_ < ndx::kNumberKeyLength)) {
        return false;
    }
    for (std::size_t i = 0; interior && i <= count; ++i) {
        if (bytes::GetLe32(entries + i * size + ndx::node::ChildPage) == 0) return false;
    }
    PageCache::SetMark(data, interior ? kSoundInterior : kSoundLeaf);
    return true;
}

IndexTag::StoredItem NdxTag::StoredItemAt(const StoredPage& page, int i) const {
    const std::uint8_t* e = page.data + ndx::node::Entries +
                            static_cast<std::size_t>(i) * static_cast<std::size_t>(entrySize_);
    StoredItem out;
    out.child = page.interior ? bytes::GetLe32(e + ndx::node::ChildPage) : 0;
    out.recNo = bytes::GetLe32(e + ndx::node::RecordNumber);
    if (i < page.count) {
        std::string_view key(reinterpret_cast<const char*>(e + ndx::node::Key),
                             static_cast<std::size_t>(storedKeyLength_));
        if (KeyType() == 'C') {
            while (!key.empty() && (key.back() == ' ' || key.back() == '\0')) key.remove_suffix(1);
        }
        out.key = key;
    }
    return out;
}

IndexKey NdxTag::StoredKey(const StoredItem& item) const {
    if (KeyType() == 'C') return IndexKey::Text(item.key);
    const double d = bytes::GetLeDouble(reinterpret_cast<const std::uint8_t*>(item.key.data()));
    return KeyType() == 'D' ? IndexKey::Date(d) : IndexKey::Number(d);
}

void NdxTag::LayOut(const IndexNode& node, std::size_t first, std::size_t count, bool interior,
                    std::uint8_t* page) const {
    std::memset(page, 0, ndx::kPageSize);
    bytes::PutLe32(page + ndx::node::KeyCount,
                   static_cast<std::uint32_t>(interior && count > 0 ? count - 1 : count));
    const auto size = static_cast<std::size_t>(entrySize_);
    for (std::size_t i = 0; i < count; ++i) {
        const IndexEntry& entry = node.entries[first + i];
        std::uint8_t* e = page + ndx::node::Entries + i * size;
        if (interior) {
            bytes::PutLe32(e + ndx::node::ChildPage, entry.child);
            if (i + 1 == count) continue;  // the child-only entry: its key belongs to the parent
        } else {
            bytes::PutLe32(e + ndx::node::RecordNumber, entry.recNo);
        }
        if (KeyType() == 'C') {
            std::memset(e + ndx::node::Key, ' ', static_cast<std::size_t>(storedKeyLength_));
            const std::string& text = entry.key.text;
            std::memcpy(e + ndx::node::Key, text.data(),
                        std::min(text.size(), static_cast<std::size_t>(storedKeyLength_)));
        } else {
            bytes::PutLeDouble(e + ndx::node::Key,
                               entry.key.IsBeyond() ? 1.7976931348623157e308 : entry.key.number);
        }
    }
}

void NdxTag::WritePage(std::int64_t page, const IndexNode& node, std::size_t first,
                       std::size_t count) {
    Page bytes{};
    LayOut(node, first, count, !node.IsLeaf(), bytes.data());
    File().WriteBytes(static_cast<std::uint64_t>(page) * ndx::kPageSize, bytes.data(),
                      bytes.size());
    ndx().Size().Grew(static_cast<std::uint64_t>(page + 1) * ndx::kPageSize);
}

void NdxTag::WriteNode(IndexNode& node) {
    // A leaf holds MaxKeys keys; an interior node MaxKeys keys and one more child.
    const std::size_t capacity = static_cast<std::size_t>(maxKeys_) + (node.IsLeaf() ? 0u : 1u);
    std::size_t remaining = node.entries.size();
    if (remaining > capacity) {
        if (node.parent == nullptr) GrowRoot(node, File().AllocateNode());
        std::size_t first = 0;
        while (remaining > capacity) {
            const std::size_t chunk = std::min(capacity, (remaining + 1) / 2);
            const std::int64_t place = File().AllocateNode();
            WritePage(place, node, first, chunk);
            AnnounceSplit(node, node.entries[first + chunk - 1], place);
            first += chunk;
            remaining -= chunk;
        }
        node.entries.erase(node.entries.begin(),
                           node.entries.begin() + static_cast<std::ptrdiff_t>(first));
        node.position = -1;
        MarkHeaderChanged();
    }
    WritePage(node.place, node, 0, node.entries.size());
}

NdxSorter::Layout NdxTag::SorterLayout() const {
    NdxSorter::Layout layout;
    layout.keyType = KeyType();
    layout.keyLength = static_cast<std::size_t>(storedKeyLength_);
    layout.entrySize = static_cast<std::size_t>(entrySize_);
    layout.maxKeys = static_cast<std::size_t>(maxKeys_);
    layout.unique = Unique();
    return layout;
}

std::unique_ptr<IndexSorter> NdxTag::MakeSorter() {
    return std::make_unique<LayingSorter<NdxSorter>>(
        SorterLayout(), static_cast<std::size_t>(std::max(File().Table().RecordCount(), 0)));
}

void NdxTag::WriteSortedKeys(IndexSorter& sorter) {
    std::unique_ptr<LayingSorter<NdxSorter>> copy;
    NdxSorter& own = OwnSorter<NdxSorter>(sorter, copy, SorterLayout());
    const auto first = static_cast<std::uint32_t>(File().AllocateNode());
    std::uint32_t next = 0;
    const std::uint32_t root = own.Write(
        first,
        [this](std::uint64_t offset, const std::uint8_t* data, std::size_t count) {
            File().WriteBytes(offset, data, count);
        },
        next);
    ndx().SetNextFreePage(next);
    ndx().Size().Forget();
    SetRootOffset(root);
    MarkHeaderChanged();
    WriteHeader();
    MarkHeaderChanged(false);
}

void NdxTag::CreateTag(const TagDefinition& definition) {
    SetExpressions(definition.keyExpression, {});
    CompileKey();
    // Key type and length from the key's value on a blank record.
    const KeyValue value = KeyOnBlankRecord();
    char type = value.type == 'N' ? 'N' : value.type == 'D' ? 'D' : 'C';
    int memoryLength = type == 'C'   ? KeyValueWidth(value)
                       : type == 'N' ? ndx::kNumericReserved
                                     : ndx::kNumberKeyLength;
    if (type == 'C' && (memoryLength < 1 || memoryLength > 100)) {
        throw XBaseError("Key of " + File().FullPath() + " is " + std::to_string(memoryLength) +
                         " bytes long; a dBase index takes 1 to 100");
    }
    storedKeyLength_ = type == 'C' ? memoryLength : ndx::kNumberKeyLength;
    entrySize_ = ndx::EntrySizeFor(memoryLength);
    maxKeys_ = ndx::MaxKeysFor(entrySize_);
    SetFacts(type, storedKeyLength_, definition.unique, false);
    Page zero{};
    File().WriteBytes(0, zero.data(), zero.size());
    ndx().SetNextFreePage(1);
    Build();
}

}  // namespace xbase
