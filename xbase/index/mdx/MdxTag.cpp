#include "xbase/index/mdx/MdxTag.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "xbase/file/EngineError.h"
#include "xbase/file/NameText.h"
#include "xbase/index/IndexBytes.h"
#include "xbase/index/LayingSorter.h"
#include "xbase/index/TreePage.h"
#include "xbase/index/mdx/MdxFile.h"
#include "xbase/index/mdx/MdxNode.h"
#include "xbase/index/mdx/MdxSorter.h"
#include "xbase/table/DbfFile.h"

namespace xbase {

MdxTag::MdxTag(MdxFile& file, std::string name, std::uint32_t headerPage)
    : IndexTag(file, std::move(name)) {
    SetHeaderOffset(headerPage);
}

MdxFile& MdxTag::mdxFile() { return static_cast<MdxFile&>(File()); }

void MdxTag::MoveHeader(std::uint32_t page) { SetHeaderOffset(page); }

IndexKey MdxTag::ConvertKey(const KeyValue& value) const {
    switch (value.type) {
        case 'N': {
            // The key as its packed decimal keeps it, so that a key read back compares equal.
            std::uint8_t packed[mdx::kNumericKeyLength];
            mdx::EncodeNumber(value.number, packed);
            return IndexKey::Number(mdx::DecodeNumber(packed));
        }
        case 'D':
            return IndexKey::Date(value.IsEmptyDate() || value.number < 0.1 ? mdx::kEmptyDate
                                                                            : value.number);
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

void MdxTag::ReadHeader() {
    const std::size_t blockSize = mdxFile().Header().blockSize;
    std::vector<std::uint8_t> block(blockSize);
    File().ReadBytes(static_cast<std::uint64_t>(HeaderOffset()) * mdx::kPageSize, block.data(),
                     block.size());
    mdx::TagHeader header = mdx::TagHeader::Decode(block.data(), block.size());
    const std::string problem = header.Problem(blockSize, File().FileSize() / mdx::kPageSize);
    if (!problem.empty())
        CorruptNode("the header of tag " + Name() + " is not one of an MDX tag (" + problem + ")");
    header_ = header;
    SetExpressions(header_.keyExpr, header_.forExpr);
    SetRootOffset(header_.rootPage);
    CompileKey();
    CompileFor();
    SetFacts(header_.keyType, header_.keyLength, header_.unique, header_.descending);
}

void MdxTag::WriteHeader() {
    header_.rootPage = static_cast<std::uint32_t>(RootOffset());
    const std::size_t blockSize = mdxFile().Header().blockSize;
    std::vector<std::uint8_t> block(blockSize);
    header_.Encode(block.data(), block.size());
    File().WriteBytes(static_cast<std::uint64_t>(HeaderOffset()) * mdx::kPageSize, block.data(),
                      block.size());
}

std::int64_t MdxTag::ReadRootOffset() {
    std::uint8_t bytes[4] = {};
    File().ReadBytes(static_cast<std::uint64_t>(HeaderOffset()) * mdx::kPageSize + mdx::kRootPageAt,
                     bytes, 4);
    return bytes::GetLe32(bytes);
}

void MdxTag::ReadNode(std::int64_t place, IndexNode& node) {
    const mdx::FileHeader& file = mdxFile().Header();
    mdx::NodeBounds bounds;
    bounds.blockSize = file.blockSize;
    bounds.pagesPerBlock = file.pagesPerBlock;
    bounds.firstPage = mdxFile().FirstNodePage();
    if (place < bounds.firstPage ||
        !mdxFile().Size().Covers(static_cast<std::uint64_t>(place + bounds.pagesPerBlock) *
                                 mdx::kPageSize)) {
        CorruptNode("a node of tag " + Name() + " points at page " + std::to_string(place) +
                    ", which is no block of the file");
    }
    std::vector<std::uint8_t> block(bounds.blockSize);
    File().ReadBytes(static_cast<std::uint64_t>(place) * mdx::kPageSize, block.data(),
                     block.size());
    TreePage page;
    std::uint32_t chain = 0;
    std::string problem;
    for (bool fresh : {false, true}) {
        // A child past the size known may lie in blocks written since: ask the file.
        bounds.pages = mdxFile().Size().Get(fresh) / mdx::kPageSize;
        problem = mdx::DecodeNode(block.data(), header_, bounds, static_cast<std::uint32_t>(place),
                                  page, chain);
        if (problem.empty()) break;
    }
    if (!problem.empty()) CorruptNode("the node at page " + std::to_string(place) + ": " + problem);
    node.entries.clear();
    node.entries.reserve(page.items.size());
    node.left = node.right = -1;
    node.levelKind = page.interior ? IndexNode::kInteriorLevel : IndexNode::kLeafLevel;
    node.formatWord = chain;
    const IndexEntry* above =
        node.parent != nullptr && node.parent->HasCurrent() ? &node.parent->Current() : nullptr;
    for (std::size_t i = 0; i < page.items.size(); ++i) {
        const TreeItem& item = page.items[i];
        IndexEntry entry;
        entry.recNo = item.recno;
        entry.child = page.interior ? item.child : item.recno;
        const auto* key = reinterpret_cast<const std::uint8_t*>(item.key.data());
        if (page.interior && i == page.KeyCount()) {
            // The child-only entry: it covers keys up to the page's own separator above, so
            // it takes that key (beyond all keys on the rightmost path). A separator kept
            // in the node lets a removal at the end of the last leaf lower it all the way
            // up; one beyond all would stop there and leave the separators above too high.
            entry.key =
                above != nullptr && !above->key.IsBeyond() ? above->key : IndexKey::BeyondAll();
        } else if (header_.keyType == 'N') {
            entry.key = IndexKey::Number(mdx::DecodeNumber(key));
        } else if (header_.keyType == 'D') {
            entry.key = IndexKey::Date(mdx::DecodeDouble(key));
        } else {
            entry.key = IndexKey::Text(TrimTrailingBlanks(item.key));
        }
        node.entries.push_back(std::move(entry));
    }
}

bool MdxTag::ReadStoredPage(std::int64_t place, bool keptOnly, StoredPage& page) {
    // Nothing tells whether another user changed a block kept: only blocks read now count.
    if (keptOnly) return false;
    MdxFile& file = mdxFile();
    const std::uint32_t perBlock = file.Header().pagesPerBlock;
    auto inFile = [&](std::int64_t at) {
        return at >= file.FirstNodePage() &&
               file.Size().Covers(static_cast<std::uint64_t>(at + perBlock) * mdx::kPageSize);
    };
    if (!inFile(place)) return false;
    const std::uint8_t* data = file.StoredBlock(static_cast<std::uint32_t>(place));
    // What DecodeNode would refuse is left to it.
    const std::size_t n = bytes::GetLe32(data + mdx::kNodeCountAt);
    const std::size_t size = header_.entrySize;
    const std::size_t shortest = header_.keyType == 'N'   ? mdx::kNumericKeyLength
                                 : header_.keyType == 'D' ? mdx::kDateKeyLength
                                                          : 0;
    if (n > header_.maxKeys || size < header_.keyLength + 4u || header_.keyLength < shortest ||
        mdx::kNodeEntriesAt + (n + 1) * size > file.Header().blockSize) {
        return false;
    }
    const std::uint8_t* entries = data + mdx::kNodeEntriesAt;
    const bool interior = bytes::GetLe32(entries + n * size) != 0;
    for (std::size_t i = 0; i < (interior ? n + 1 : n); ++i) {
        const std::uint32_t number = bytes::GetLe32(entries + i * size);
        if (interior ? (number == place || !inFile(number)) : number == 0) return false;
    }
    page.data = data;
    page.place = place;
    page.count = static_cast<int>(n);
    page.interior = interior;
    return true;
}

IndexTag::StoredItem MdxTag::StoredItemAt(const StoredPage& page, int i) const {
    const std::uint8_t* e =
        page.data + mdx::kNodeEntriesAt + static_cast<std::size_t>(i) * header_.entrySize;
    StoredItem out;
    const std::uint32_t number = bytes::GetLe32(e);
    if (page.interior) {
        out.child = number;
    } else {
        out.recNo = number;
    }
    if (i < page.count) {
        const std::string_view key(reinterpret_cast<const char*>(e + 4), header_.keyLength);
        out.key = StoresText() ? TrimTrailingBlanks(key) : key;
    }
    return out;
}

IndexKey MdxTag::StoredKey(const StoredItem& item) const {
    const auto* key = reinterpret_cast<const std::uint8_t*>(item.key.data());
    if (header_.keyType == 'N') return IndexKey::Number(mdx::DecodeNumber(key));
    if (header_.keyType == 'D') return IndexKey::Date(mdx::DecodeDouble(key));
    return IndexKey::Text(item.key);
}

void MdxTag::StoreKey(const IndexKey& key, std::string& out) const {
    out.assign(header_.keyLength, header_.keyType == 'C' ? ' ' : '\0');
    auto* bytes = reinterpret_cast<std::uint8_t*>(out.data());
    if (header_.keyType == 'N') {
        mdx::EncodeNumber(key.number, bytes);
    } else if (header_.keyType == 'D') {
        mdx::EncodeDouble(key.number, bytes);
    } else {
        std::copy_n(key.text.data(), std::min<std::size_t>(key.text.size(), header_.keyLength),
                    out.begin());
    }
}

void MdxTag::WriteBlock(std::int64_t page, const IndexNode& node, std::size_t first,
                        std::size_t count, std::uint32_t chainPage) {
    TreePage out;
    out.interior = !node.IsLeaf();
    out.items.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const IndexEntry& e = node.entries[first + i];
        TreeItem& item = out.items[i];
        item.child = e.child;
        item.recno = e.recNo;
        if (!(out.interior && i + 1 == count)) StoreKey(e.key, item.key);
    }
    const std::size_t blockSize = mdxFile().Header().blockSize;
    std::vector<std::uint8_t> block(blockSize);
    mdx::EncodeNode(out, chainPage, header_, blockSize, block.data());
    File().WriteBytes(static_cast<std::uint64_t>(page) * mdx::kPageSize, block.data(),
                      block.size());
    mdxFile().Size().Grew(static_cast<std::uint64_t>(page) * mdx::kPageSize + block.size());
}

void MdxTag::WriteNode(IndexNode& node) {
    // A leaf holds maxKeys keys; an interior node maxKeys keys and one more child.
    const std::size_t capacity =
        static_cast<std::size_t>(header_.maxKeys) + (node.IsLeaf() ? 0u : 1u);
    std::size_t remaining = node.entries.size();
    if (remaining > capacity) {
        auto allocate = [this] {
            const auto page = static_cast<std::uint32_t>(File().AllocateNode());
            // Each new block names the tag's block allocated before it.
            const std::uint32_t chain = header_.lastNodePage;
            if (header_.firstNodePage == 0) header_.firstNodePage = page;
            header_.lastNodePage = page;
            MarkHeaderChanged();
            return std::make_pair(page, chain);
        };
        if (node.parent == nullptr) {
            const auto [page, chain] = allocate();
            GrowRoot(node, page).formatWord = chain;
        }
        std::size_t first = 0;
        while (remaining > capacity) {
            const std::size_t chunk = std::min(capacity, (remaining + 1) / 2);
            const auto [place, chain] = allocate();
            WriteBlock(place, node, first, chunk, chain);
            AnnounceSplit(node, node.entries[first + chunk - 1], place);
            first += chunk;
            remaining -= chunk;
        }
        node.entries.erase(node.entries.begin(),
                           node.entries.begin() + static_cast<std::ptrdiff_t>(first));
        node.position = -1;
    }
    WriteBlock(node.place, node, 0, node.entries.size(), node.formatWord);
}

std::unique_ptr<IndexSorter> MdxTag::MakeSorter() {
    auto sorter = std::make_unique<LayingSorter<MdxSorter>>(
        header_, mdxFile().Header().blockSize,
        static_cast<std::size_t>(std::max(File().Table().RecordCount(), 0)));
    building_ = sorter.get();
    return sorter;
}

void MdxTag::AddBuildKey(IndexSorter& sorter, std::uint32_t recNo) {
    if (header_.keyType != 'N' || &sorter != building_) {
        IndexTag::AddBuildKey(sorter, recNo);
        return;
    }
    if (KeyExpression() == nullptr) CompileKey();
    const KeyValue value = KeyExpression()->Evaluate();
    if (value.type == 'N') {
        building_->Own().AddNumber(value.number, recNo);
    } else {
        sorter.Add(ConvertKey(value), recNo);
    }
}

void MdxTag::WriteSortedKeys(IndexSorter& sorter) {
    std::unique_ptr<LayingSorter<MdxSorter>> copy;
    MdxSorter& own = OwnSorter<MdxSorter>(sorter, copy, header_, mdxFile().Header().blockSize);
    std::uint32_t next = 0;
    const auto first = static_cast<std::uint32_t>(File().AllocateNode());
    const std::uint32_t root = own.Write(
        first, header_,
        [this](std::uint64_t offset, const std::uint8_t* data, std::size_t count) {
            File().WriteBytes(offset, data, count);
        },
        next);
    building_ = nullptr;
    mdxFile().SetNextFreePage(next);
    mdxFile().Size().Forget();
    SetRootOffset(root);
    MarkHeaderChanged();
    WriteHeader();
    MarkHeaderChanged(false);
}

void MdxTag::CreateTag(const TagDefinition& definition) {
    SetExpressions(definition.keyExpression, definition.forExpression);
    CompileKey();
    CompileFor();
    // Key type and length from the key's value on a blank record.
    const KeyValue value = KeyOnBlankRecord();
    const char type = value.type == 'N' ? 'N' : value.type == 'D' ? 'D' : 'C';
    const int length = type == 'C' ? KeyValueWidth(value) : 0;
    if (type == 'C' && (length < 1 || length > static_cast<int>(mdx::kMaxCharKeyLength))) {
        throw XBaseError("Key of tag " + Name() + " in " + File().FullPath() + " is " +
                         std::to_string(length) + " bytes long; an MDX tag takes 1 to " +
                         std::to_string(mdx::kMaxCharKeyLength));
    }
    header_ = mdx::TagHeader::ForNewTag(
        type, static_cast<std::size_t>(length), mdxFile().Header().blockSize, definition.unique,
        definition.descending, definition.keyExpression, definition.forExpression);
    SetFacts(type, header_.keyLength, definition.unique, definition.descending);
    SetRootOffset(0);
    WriteHeader();
    Build();
}

}  // namespace xbase
