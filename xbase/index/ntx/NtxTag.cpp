#include "xbase/index/ntx/NtxTag.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <stdexcept>

#include "xbase/file/EngineError.h"
#include "xbase/file/NameText.h"
#include "xbase/index/IndexBytes.h"
#include "xbase/index/LayingSorter.h"
#include "xbase/index/TreePage.h"
#include "xbase/index/ntx/NtxFile.h"
#include "xbase/index/ntx/NtxPage.h"
#include "xbase/index/ntx/NtxSorter.h"
#include "xbase/table/DbfDate.h"
#include "xbase/table/DbfFile.h"

namespace xbase {

namespace {

using Page = std::array<std::uint8_t, ntx::kPageSize>;

// formatWord of a node: what its last entry is.
constexpr std::uint32_t kLastIsOwn = 0;        // a key of this page (rightmost leaf)
constexpr std::uint32_t kLastIsSeparator = 1;  // the separator the page above keeps
constexpr std::uint32_t kLastIsBeyond = 2;     // interior page on the rightmost path

}  // namespace

NtxTag::NtxTag(NtxFile& file, std::string name) : IndexTag(file, std::move(name)) {}

NtxFile& NtxTag::ntxFile() { return static_cast<NtxFile&>(File()); }

IndexKey NtxTag::ConvertKey(const KeyValue& value) const {
    switch (value.type) {
        case 'N':
            return IndexKey::Text(
                ntx::EncodeNumber(value.number, header_.keyLength, header_.decimals));
        case 'D': {
            // Other programs key the empty date as blanks, which sort before every date.
            const bool empty = value.IsEmptyDate() || value.number < 0.1;
            return IndexKey::Text(
                empty ? std::string()
                      : DbfDate::JulianToStorage(static_cast<std::int32_t>(value.number)));
        }
        case 'L':
            return IndexKey::Text(value.logical ? "T" : "F");
        default: {
            std::string_view text = TrimTrailingBlanks(value.text);
            if (header_.keyLength > 0 && text.size() > header_.keyLength)
                text = text.substr(0, header_.keyLength);
            return IndexKey::Text(TrimTrailingBlanks(text));
        }
    }
}

void NtxTag::ReadHeader() {
    Page page{};
    const std::uint64_t size = File().FileSize();
    if (size < 2 * ntx::kPageSize) CorruptNode("the file is shorter than a header and one page");
    File().ReadBytes(0, page.data(), page.size());
    ntx::Header header = ntx::Header::Decode(page.data());
    const std::string problem = header.Problem(size);
    if (!problem.empty()) CorruptNode("the header is not one of a Clipper index (" + problem + ")");
    header_ = header;
    if (!header_.tagName.empty()) SetName(header_.tagName);
    SetExpressions(header_.keyExpr, header_.forExpr);
    SetRootOffset(header_.root);
    CompileKey();
    CompileFor();
    const char result = KeyExpression()->ResultType();
    const char type = result == 'N' ? 'N' : result == 'D' ? 'D' : 'C';
    SetFacts(type, header_.keyLength, header_.unique, header_.descending);
}

void NtxTag::WriteHeader() {
    header_.root = static_cast<std::uint32_t>(RootOffset());
    header_.unique = Unique();
    header_.descending = Descending();
    Page page{};
    header_.Encode(page.data());
    File().WriteBytes(0, page.data(), page.size());
}

std::int64_t NtxTag::ReadRootOffset() {
    std::array<std::uint8_t, 4> bytes{};
    File().ReadBytes(ntx::kRootAt, bytes.data(), bytes.size());
    return bytes::GetLe32(bytes.data());
}

void NtxTag::ReadNode(std::int64_t place, IndexNode& node) {
    const std::uint8_t* data = ntxFile().ReadPage(place);
    TreePage page;
    std::string problem = ntx::DecodePage(data, header_, ntxFile().Size().Get(),
                                          static_cast<std::uint64_t>(place), page);
    if (!problem.empty()) {
        // A child past the size known may lie in pages written since: ask the file.
        problem = ntx::DecodePage(data, header_, ntxFile().Size().Get(true),
                                  static_cast<std::uint64_t>(place), page);
    }
    if (!problem.empty())
        CorruptNode("the page at offset " + std::to_string(place) + ": " + problem);

    node.entries.clear();
    node.entries.reserve(page.items.size() + 1);
    node.left = node.right = -1;
    node.levelKind = page.interior ? IndexNode::kInteriorLevel : IndexNode::kLeafLevel;
    for (std::size_t i = 0; i < page.KeyCount(); ++i) {
        const TreeItem& item = page.items[i];
        node.entries.push_back(IndexEntry{IndexKey::Text(TrimTrailingBlanks(item.key)), item.recno,
                                          page.interior ? item.child : item.recno});
    }
    // The separator that covers this page, as the page above holds it.
    const IndexEntry* above =
        node.parent != nullptr && node.parent->HasCurrent() ? &node.parent->Current() : nullptr;
    const bool rightmost = above == nullptr || above->key.IsBeyond();
    if (page.interior) {
        const std::uint32_t lastChild = page.items.back().child;
        node.entries.push_back(rightmost ? IndexEntry{IndexKey::BeyondAll(), 0, lastChild}
                                         : IndexEntry{above->key, above->recNo, lastChild});
        node.formatWord = rightmost ? kLastIsBeyond : kLastIsSeparator;
    } else if (!rightmost) {
        node.entries.push_back(IndexEntry{above->key, above->recNo, above->recNo});
        node.formatWord = kLastIsSeparator;
    } else {
        node.formatWord = kLastIsOwn;
    }
}

bool NtxTag::ReadStoredPage(std::int64_t place, bool keptOnly, StoredPage& page) {
    const std::uint8_t* data = keptOnly ? ntxFile().KeptPage(place) : ntxFile().ReadPage(place);
    if (data == nullptr) return false;
    const std::size_t n = bytes::GetLe16(data + ntx::kCountAt);
    page.data = data;
    page.place = place;
    page.count = static_cast<int>(n);
    if (const std::uint8_t mark = PageCache::Mark(data); mark != 0) {
        page.interior = mark == kSoundInterior;
        return true;
    }
    // What DecodePage would refuse is left to it.
    if (n > header_.maxKeys) return false;
    const std::size_t tableEnd =
        ntx::kOffsetTableAt + 2 * (static_cast<std::size_t>(header_.maxKeys) + 1);
    bool interior = false;
    for (std::size_t i = 0; i <= n; ++i) {
        const std::size_t at = bytes::GetLe16(data + ntx::kOffsetTableAt + 2 * i);
        if (at < tableEnd || at + header_.itemSize > ntx::kPageSize) return false;
        const std::uint64_t child = bytes::GetLe32(data + at + ntx::kItemChildAt);
        if (i == 0) interior = child != 0;
        if (!interior) {
            if (i < n && child != 0) return false;
            continue;
        }
        if (child == 0 || child % ntx::kPageSize != 0 || child < ntx::kPageSize ||
            child == static_cast<std::uint64_t>(place) ||
            !ntxFile().Size().Covers(child + ntx::kPageSize)) {
            return false;
        }
    }
    page.interior = interior;
    PageCache::SetMark(data, interior ? kSoundInterior : kSoundLeaf);
    return true;
}

IndexTag::StoredItem NtxTag::StoredItemAt(const StoredPage& page, int i) const {
    const std::uint8_t* item = page.data + bytes::GetLe16(page.data + ntx::kOffsetTableAt +
                                                          2 * static_cast<std::size_t>(i));
    StoredItem out;
    out.child = bytes::GetLe32(item + ntx::kItemChildAt);
    out.recNo = bytes::GetLe32(item + ntx::kItemRecnoAt);
    if (i < page.count) {
        out.key = TrimTrailingBlanks(std::string_view(
            reinterpret_cast<const char*>(item + ntx::kItemKeyAt), header_.keyLength));
    }
    return out;
}

void NtxTag::WritePage(std::int64_t place, const IndexNode& node, std::size_t first,
                       std::size_t count, bool lastGoesUp) {
    TreePage page;
    page.interior = !node.IsLeaf();
    const std::size_t keys = lastGoesUp && count > 0 ? count - 1 : count;
    page.items.reserve(count);
    for (std::size_t i = 0; i < keys; ++i) {
        const IndexEntry& e = node.entries[first + i];
        page.items.push_back(TreeItem{page.interior ? e.child : 0, e.recNo, e.key.text});
    }
    if (page.interior) page.items.push_back(TreeItem{node.entries[first + count - 1].child, 0, {}});
    Page data{};
    ntx::EncodePage(page, header_, data.data());
    ntxFile().WritePage(place, data.data());
}

void NtxTag::WriteNode(IndexNode& node) {
    const bool interior = !node.IsLeaf();
    const bool onRightEdge = node.parent == nullptr || node.formatWord == kLastIsBeyond;
    if (interior && onRightEdge && !node.Empty() && !node.entries.back().key.IsBeyond()) {
        // The subtree after the last key emptied and was dropped: the last key is a key of
        // this page again, so the page gets an empty leaf after it.
        const std::int64_t place = File().AllocateNode();
        Page empty{};
        ntx::EncodePage(TreePage{}, header_, empty.data());
        ntxFile().WritePage(place, empty.data());
        node.entries.push_back(
            IndexEntry{IndexKey::BeyondAll(), 0, static_cast<std::uint32_t>(place)});
    }
    const std::size_t m = header_.maxKeys;
    const bool lastGoesUp =
        interior || (node.parent != nullptr && node.formatWord == kLastIsSeparator);
    const std::size_t capacity = lastGoesUp ? m + 1 : m;
    std::size_t remaining = node.entries.size();
    if (remaining > capacity) {
        if (node.parent == nullptr) {
            IndexNode& top = GrowRoot(node, File().AllocateNode());
            top.entries.front().key = IndexKey::BeyondAll();
            top.entries.front().recNo = 0;
            top.formatWord = kLastIsBeyond;
            node.formatWord = interior ? kLastIsBeyond : kLastIsOwn;
        }
        // The first half goes to a new page; its last key moves up to the parent.
        std::size_t first = 0;
        while (remaining > capacity) {
            const std::size_t chunk = std::min(m + 1, (remaining + 1) / 2);
            const std::int64_t place = File().AllocateNode();
            WritePage(place, node, first, chunk, true);
            AnnounceSplit(node, node.entries[first + chunk - 1], place);
            first += chunk;
            remaining -= chunk;
        }
        node.entries.erase(node.entries.begin(),
                           node.entries.begin() + static_cast<std::ptrdiff_t>(first));
        node.position = -1;
    }
    WritePage(node.place, node, 0, node.entries.size(), lastGoesUp);
}

std::unique_ptr<IndexSorter> NtxTag::MakeSorter() {
    header_.unique = Unique();
    header_.descending = Descending();
    return std::make_unique<LayingSorter<NtxSorter>>(
        header_, static_cast<std::size_t>(std::max(File().Table().RecordCount(), 0)));
}

void NtxTag::WriteSortedKeys(IndexSorter& sorter) {
    std::unique_ptr<LayingSorter<NtxSorter>> copy;
    NtxSorter& own = OwnSorter<NtxSorter>(sorter, copy, header_);
    std::uint64_t end = 0;
    const auto first = static_cast<std::uint32_t>(File().AllocateNode());
    const std::uint32_t root = own.Write(
        first,
        [this](std::uint64_t offset, const std::uint8_t* data, std::size_t count) {
            File().WriteBytes(offset, data, count);
        },
        end);
    // The build wrote its pages past the page memory.
    ntxFile().ForgetPages();
    ntxFile().ResetAllocator();
    SetRootOffset(root);
    MarkHeaderChanged();
    WriteHeader();
    MarkHeaderChanged(false);
}

void NtxTag::CreateTag(const TagDefinition& definition) {
    SetExpressions(definition.keyExpression, definition.forExpression);
    CompileKey();
    CompileFor();
    // Key type and length from the key's value on a blank record.
    const KeyValue value = KeyOnBlankRecord();
    const char type = value.type == 'N' ? 'N' : value.type == 'D' ? 'D' : 'C';
    std::size_t length = 0;
    std::size_t decimals = 0;
    if (type == 'N') {
        length = ntx::kNumericDefaultLength;
        decimals = ntx::kNumericDefaultDecimals;
        // A numeric field alone keys as wide as the field, with its decimals.
        const FieldDescriptor* field = KeyField();
        if (field != nullptr && (field->type == 'N' || field->type == 'F')) {
            length = static_cast<std::size_t>(field->length);
            decimals = static_cast<std::size_t>(field->decimals);
        }
    } else if (type == 'D') {
        length = 8;
    } else {
        length = static_cast<std::size_t>(KeyValueWidth(value));
    }
    if (length < 1 || length > ntx::kMaxKeyLength) {
        throw XBaseError("Key of " + File().FullPath() + " is " + std::to_string(length) +
                         " bytes long; a Clipper index takes 1 to " +
                         std::to_string(ntx::kMaxKeyLength));
    }
    std::string tagName = definition.name;
    for (char& c : tagName) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (tagName.size() > ntx::kTagNameSize - 1) tagName.resize(ntx::kTagNameSize - 1);
    // A tag replacing one that other users may hold moves the counter on; a new one starts at 1.
    const std::uint16_t version = header_.keyLength == 0 ? 0 : header_.version;
    header_ = ntx::Header::ForNewTag(definition.keyExpression, definition.forExpression, length,
                                     decimals, definition.unique, definition.descending, tagName);
    header_.version = version == 0 ? 1 : ntx::NextVersion(version);
    SetName(tagName);
    SetFacts(type, static_cast<int>(length), definition.unique, definition.descending);
    Build();
}

}  // namespace xbase
