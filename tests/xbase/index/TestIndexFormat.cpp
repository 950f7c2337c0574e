#include "TestIndexFormat.h"

#include <array>
#include <cstring>

#include "xbase/file/EngineError.h"
#include "xbase/index/IndexFormats.h"
#include "xbase/table/DbfFile.h"

namespace indextest {

namespace {

constexpr std::size_t kPage = 512;
constexpr std::size_t kCapacity = 4;
bool gByRecord = false;
bool gChildOnlyLast = false;

using Page = std::array<std::uint8_t, kPage>;

std::uint32_t Get32(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
void Put32(std::uint8_t* p, std::uint32_t v) { std::memcpy(p, &v, 4); }

class TixTag : public xbase::IndexTag {
public:
    TixTag(TixFile& file, std::string name) : IndexTag(file, std::move(name)) {}

    TixFile& tix() { return static_cast<TixFile&>(File()); }

    xbase::IndexKey ConvertKey(const xbase::KeyValue& value) const override {
        if (value.type == 'N') return xbase::IndexKey::Number(value.number);
        if (value.type == 'D') return xbase::IndexKey::Date(value.number);
        if (value.type == 'L') return xbase::IndexKey::Text(value.logical ? "T" : "F");
        std::string text = value.text;
        while (!text.empty() && text.back() == ' ') text.pop_back();
        return xbase::IndexKey::Text(text);
    }

    void CreateTag(const xbase::TagDefinition& d) override {
        SetExpressions(d.keyExpression, d.forExpression);
        CompileKey();
        CompileFor();
        xbase::DbfFile& table = File().Table();
        std::vector<std::uint8_t> blank(static_cast<std::size_t>(table.RecordLength()) + 1, ' ');
        std::uint8_t* previous = table.RecordBuffer();
        table.UseRecordBuffer(blank.data());
        xbase::KeyValue v = KeyExpression()->Evaluate();
        table.UseRecordBuffer(previous);
        const char type = v.type == 'N' ? 'N' : v.type == 'D' ? 'D' : 'C';
        SetFacts(type, type == 'C' ? xbase::KeyValueWidth(v) : 8, d.unique, d.descending);
        Build();
    }

    std::int64_t ReadRootOffset() override {
        Page p{};
        File().ReadBytes(0, p.data(), kPage);
        return Get32(p.data());
    }

    void ReadHeader() override {
        Page p{};
        File().ReadBytes(0, p.data(), kPage);
        SetRootOffset(Get32(p.data()));
        tix().nextFree_ = Get32(p.data() + 4);
        tix().byRecord_ = p[11] != 0;
        tix().childOnlyLast_ = p[14] != 0;
        SetExpressions(reinterpret_cast<const char*>(p.data() + 16),
                       reinterpret_cast<const char*>(p.data() + 216));
        SetFacts(static_cast<char>(p[8]), p[12] | p[13] << 8, p[9] != 0, p[10] != 0);
        CompileKey();
        CompileFor();
    }

    void WriteHeader() override {
        Page p{};
        Put32(p.data(), static_cast<std::uint32_t>(RootOffset()));
        Put32(p.data() + 4, static_cast<std::uint32_t>(tix().nextFree_));
        p[8] = static_cast<std::uint8_t>(KeyType());
        p[9] = Unique();
        p[10] = Descending();
        p[11] = tix().byRecord_;
        p[14] = tix().childOnlyLast_;
        p[12] = static_cast<std::uint8_t>(KeyLength());
        p[13] = static_cast<std::uint8_t>(KeyLength() >> 8);
        std::strncpy(reinterpret_cast<char*>(p.data() + 16), KeyExpressionText().c_str(), 199);
        std::strncpy(reinterpret_cast<char*>(p.data() + 216), ForExpressionText().c_str(), 199);
        File().WriteBytes(0, p.data(), kPage);
    }

    void ReadNode(std::int64_t place, xbase::IndexNode& node) override {
        if (place <= 0 || place >= tix().nextFree_)
            CorruptNode("page " + std::to_string(place) + " outside the file");
        Page p{};
        File().ReadBytes(static_cast<std::uint64_t>(place) * kPage, p.data(), kPage);
        const std::size_t count = p[0];
        if (count > kCapacity) CorruptNode("a node holds " + std::to_string(count) + " keys");
        node.levelKind = p[2] ? xbase::IndexNode::kLeafLevel : xbase::IndexNode::kInteriorLevel;
        node.entries.clear();
        const std::size_t size = 8 + static_cast<std::size_t>(KeyLength());
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint8_t* e = p.data() + 4 + i * size;
            xbase::IndexEntry entry;
            entry.child = Get32(e);
            entry.recNo = Get32(e + 4);
            if (KeyType() == 'C') {
                const char* k = reinterpret_cast<const char*>(e + 8);
                entry.key = xbase::IndexKey::Text(
                    std::string(k, strnlen(k, static_cast<std::size_t>(KeyLength()))));
            } else {
                double d;
                std::memcpy(&d, e + 8, 8);
                entry.key =
                    KeyType() == 'D' ? xbase::IndexKey::Date(d) : xbase::IndexKey::Number(d);
            }
            node.entries.push_back(entry);
        }
        // Formats with n keys and n + 1 children give the last child no key of its own.
        if (tix().childOnlyLast_ && !node.IsLeaf() && !node.entries.empty()) {
            node.entries.back().key = xbase::IndexKey::BeyondAll();
        }
    }

    void WritePage(std::int64_t place, const xbase::IndexNode& node, std::size_t first,
                   std::size_t count) {
        Page p{};
        p[0] = static_cast<std::uint8_t>(count);
        p[2] = node.IsLeaf();
        const std::size_t size = 8 + static_cast<std::size_t>(KeyLength());
        for (std::size_t i = 0; i < count; ++i) {
            const xbase::IndexEntry& entry = node.entries[first + i];
            std::uint8_t* e = p.data() + 4 + i * size;
            Put32(e, node.IsLeaf() ? entry.recNo : entry.child);
            Put32(e + 4, entry.recNo);
            if (KeyType() == 'C') {
                std::memcpy(e + 8, entry.key.text.data(),
                            std::min(entry.key.text.size(), static_cast<std::size_t>(KeyLength())));
            } else {
                std::memcpy(e + 8, &entry.key.number, 8);
            }
        }
        File().WriteBytes(static_cast<std::uint64_t>(place) * kPage, p.data(), kPage);
    }

    void WriteNode(xbase::IndexNode& node) override {
        std::size_t remaining = node.entries.size();
        if (remaining > kCapacity) {
            if (node.parent == nullptr) GrowRoot(node, File().AllocateNode());
            std::size_t first = 0;
            while (remaining > kCapacity) {
                const std::size_t chunk = std::min(kCapacity, (remaining + 1) / 2);
                const std::int64_t place = File().AllocateNode();
                WritePage(place, node, first, chunk);
                AnnounceSplit(node, node.entries[first + chunk - 1], place);
                first += chunk;
                remaining -= chunk;
            }
            node.entries.erase(node.entries.begin(),
                               node.entries.begin() + static_cast<std::ptrdiff_t>(first));
            MarkHeaderChanged();
        }
        WritePage(node.place, node, 0, node.entries.size());
    }

    void WriteSortedKeys(xbase::IndexSorter& sorter) override {
        BulkLoad(
            sorter, 3, 3, [this] { return File().AllocateNode(); },
            [this](xbase::IndexNode& node, bool) {
                WritePage(node.place, node, 0, node.entries.size());
            });
        WriteHeader();
        MarkHeaderChanged(false);
    }
};

const xbase::IndexFormatRegistration kTix{".TIX", &xbase::MakeIndexFile<TixFile>};

}  // namespace

void SetTixOrdersByRecord(bool byRecord) { gByRecord = byRecord; }

void SetTixChildOnlyLast(bool childOnly) { gChildOnlyLast = childOnly; }

TixFile::TixFile(xbase::DbfFile& table, const std::string& path) : IndexFile(table, path) {}

void TixFile::Open() {
    OpenDisk();
    auto tag = std::make_unique<TixTag>(*this, BaseName());
    tag->ReadHeader();
    MutableTags().push_back(std::move(tag));
    SetOpened(true);
}

void TixFile::Create() {
    CreateDisk();
    nextFree_ = 1;
    byRecord_ = gByRecord;
    childOnlyLast_ = gChildOnlyLast;
    SetOpened(true);
}

xbase::IndexTag& TixFile::AddTag(const xbase::TagDefinition& definition) {
    MutableTags().clear();
    Truncate(0);
    nextFree_ = 1;
    auto tag = std::make_unique<TixTag>(*this, definition.name);
    tag->CreateTag(definition);
    MutableTags().push_back(std::move(tag));
    return *Tags().front();
}

void TixFile::DeleteTag(const std::string&) { MutableTags().clear(); }

void TixFile::ResetAllocator() { nextFree_ = static_cast<std::int64_t>(FileSize() / kPage); }

void TixFile::Reindex() {
    for (const auto& tag : Tags()) {
        Truncate(kPage);
        nextFree_ = 1;
        tag->Build();
    }
}

}  // namespace indextest
