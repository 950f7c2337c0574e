#include "xbase/index/cdx/CdxFile.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>
#include <map>
#include <thread>
#include <tuple>

#include "xbase/file/EngineError.h"
#include "xbase/index/cdx/CdxBulkLoad.h"
#include "xbase/index/cdx/CdxKey.h"
#include "xbase/index/cdx/CdxPageChecker.h"
#include "xbase/index/cdx/CdxSorter.h"
#include "xbase/table/DbfFile.h"

namespace xbase::cdx {

namespace {

std::string TagName(const std::string& name) {
    std::string out = name;
    while (!out.empty() && out.back() == ' ') out.pop_back();
    const std::size_t start = out.find_first_not_of(' ');
    out = start == std::string::npos ? std::string() : out.substr(start);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// The index file lock of a lock protocol: where it lies and how many bytes it spans.
std::pair<std::uint64_t, std::uint64_t> LockRange(int protocol) {
    switch (protocol) {
        case 1: return {0xEFFFFFFEu, 2};
        case 2: return {1000000000u, 1};
        default: return {0x7FFFFFFDu, 1};
    }
}

struct Unlocker {
    CdxFile& file;
    ~Unlocker() { file.Unlock(); }
};

}  // namespace

CdxFile::CdxFile(DbfFile& table, const std::string& path, bool create)
    : table_(table), disk_(path, table.IsShared(), table.IsReadWrite(), lockDepth_) {
    if (!disk_.Existed()) {
        if (!create) {
            ReportEngineError(err::FileNotFound, sub::None, disk_.FullPath());
            throw XBaseError(ComposeEngineMessage(err::FileNotFound, sub::None, disk_.FullPath()),
                             err::FileNotFound, sub::None);
        }
        disk_.DiskCreate();
    } else {
        disk_.DiskOpen();
    }
    size_ = disk_.DiskSize();
    if (size_ <= kPageSize) {
        if (!create) Corrupt("the file holds no directory");
        Lock();
        Unlocker unlock{*this};
        MakeEmpty();
        return;
    }
    ReadDirectory();
}

CdxFile::~CdxFile() {
    while (lockDepth_ > 0) Unlock();
}

void CdxFile::Disk::DiskTruncate(std::uint64_t newEnd) {
    if (!IsReadWrite() || (IsShared() && lockDepth_ == 0)) {
        ReportError(err::AccessDenied, sub::DiskTruncate);
        return;
    }
    if (Os().truncate(newEnd) != 0) ReportError(err::AccessDenied, sub::DiskTruncate);
}

void CdxFile::Corrupt(const std::string& detail) { RaiseIndexFault(disk_.FullPath(), detail); }

// ---------------------------------------------------------------- pages

void CdxFile::ReadPage(std::uint32_t offset, std::uint8_t* page) {
    if (disk_.DiskRead(offset, page, kPageSize) != kPageSize)
        Corrupt("page at offset " + std::to_string(offset) + " lies past the end of the file");
}

void CdxFile::WritePage(std::uint32_t offset, const std::uint8_t* page) {
    disk_.DiskWrite(offset, page, kPageSize);
    size_ = std::max<std::uint64_t>(size_, std::uint64_t{offset} + kPageSize);
}

std::uint32_t CdxFile::AllocatePage() {
    if (next_ == 0) next_ = (std::max<std::uint64_t>(size_, kEmptyFileSize) + kPageSize - 1) / kPageSize * kPageSize;
    if (next_ + kPageSize > 0xFFFFFE00u) Corrupt("the file has grown to the largest size an index may have");
    const auto page = static_cast<std::uint32_t>(next_);
    next_ += kPageSize;
    return page;
}

// ---------------------------------------------------------------- directory

void CdxFile::MakeEmpty() {
    disk_.DiskTruncate(0);
    size_ = 0;
    next_ = 0;
    std::vector<std::uint8_t> image(kEmptyFileSize, 0);
    CdxHeader header;
    header.root = kHeaderSize;
    header.counter = counter_;
    header.keyLength = kDirectoryKeyLength;
    header.options = opt::DirectoryTag;
    header.Format(image.data());
    CdxNode root;
    root.offset = kHeaderSize;
    root.root = true;
    root.keyLength = kDirectoryKeyLength;
    EncodeNode(root, kEmptyFileSize, image.data() + kHeaderSize);
    disk_.DiskWrite(0, image.data(), image.size());
    size_ = kEmptyFileSize;
    directory_ = std::make_unique<CdxTree>(*this, kHeaderSize, kDirectoryKeyLength, ' ');
    tags_.clear();
}

void CdxFile::ReadDirectory() {
    std::vector<std::uint8_t> image(kHeaderSize);
    if (disk_.DiskRead(0, image.data(), image.size()) != image.size()) Corrupt("the directory header is cut short");
    CdxHeader header;
    std::string fault = header.Parse(image.data(), size_);
    if (fault.empty() && (!header.IsDirectory() || header.keyLength != kDirectoryKeyLength))
        fault = "the file header is no tag directory";
    if (!fault.empty()) Corrupt(fault);
    counter_ = header.counter;
    directory_ = std::make_unique<CdxTree>(*this, header.root, kDirectoryKeyLength, ' ');
    std::vector<Slot> tags;
    std::size_t steps = 0;
    for (CdxPosition at = directory_->First(); at.Valid(); directory_->Next(at)) {
        if (++steps > size_ / kPageSize) Corrupt("the directory lists more tags than the file can hold");
        std::string name(reinterpret_cast<const char*>(directory_->KeyAt(at)), kDirectoryKeyLength);
        name = TagName(name);
        const std::uint32_t offset = directory_->RecordAt(at);
        if (offset % kPageSize != 0 || std::uint64_t{offset} + kHeaderSize > size_)
            Corrupt("tag " + name + " has its header outside the file");
        if (disk_.DiskRead(offset, image.data(), image.size()) != image.size()) Corrupt("tag header cut short");
        CdxHeader tagHeader;
        fault = tagHeader.Parse(image.data(), size_);
        if (!fault.empty()) Corrupt("tag " + name + ": " + fault);
        // A tag read before keeps its object (callers hold it); only its nodes are read again.
        const auto kept = std::find_if(tags_.begin(), tags_.end(), [&](const Slot& s) {
            return s.tag && s.tag->Name() == name && s.tag->HeaderOffset() == offset;
        });
        if (kept != tags_.end()) {
            kept->tag->Tree().Invalidate();
            tags.push_back(std::move(*kept));
            continue;
        }
        Slot slot;
        slot.definition = {name, tagHeader.keyExpression, tagHeader.forExpression, tagHeader.Unique(),
                           tagHeader.descending};
        slot.keys = std::make_unique<CdxKeyMaker>(table_, tagHeader.keyExpression, tagHeader.forExpression);
        if (slot.keys->KeyLength() != tagHeader.keyLength && !tagHeader.generalCollation)
            Corrupt("tag " + name + " holds keys of " + std::to_string(tagHeader.keyLength) +
                    " bytes where its expression gives " + std::to_string(slot.keys->KeyLength()));
        slot.tag = std::make_unique<CdxTag>(*this, name, offset, tagHeader, slot.keys->KeyType());
        tags.push_back(std::move(slot));
    }
    tags_ = std::move(tags);
}

void CdxFile::AddToDirectory(const std::string& name, std::uint32_t headerOffset) {
    std::uint8_t key[kDirectoryKeyLength];
    EncodeTextKey(name, kDirectoryKeyLength, key);
    directory_->Insert(key, headerOffset, static_cast<std::uint32_t>(std::min<std::uint64_t>(PageLimit(), 0x7FFFFFFF)));
}

void CdxFile::DropFromDirectory(const std::string& name) {
    for (auto it = tags_.begin(); it != tags_.end(); ++it) {
        if (it->tag->Name() != name) continue;
        std::uint8_t key[kDirectoryKeyLength];
        EncodeTextKey(name, kDirectoryKeyLength, key);
        directory_->Remove(key, it->tag->HeaderOffset());
        tags_.erase(it);
        return;
    }
}

CdxTag* CdxFile::FindTag(const std::string& name) {
    const std::string wanted = TagName(name);
    for (Slot& slot : tags_) {
        if (slot.tag->Name() == wanted) return slot.tag.get();
    }
    return nullptr;
}

// ---------------------------------------------------------------- counter

void CdxFile::ReadCounter() {
    std::uint8_t bytes[4];
    if (disk_.DiskRead(hdr::Counter, bytes, 4) != 4) Corrupt("the directory header is cut short");
    counter_ = GetLe32(bytes);
}

void CdxFile::WriteCounter() {
    std::uint8_t bytes[4];
    PutLe32(bytes, counter_);
    disk_.DiskWrite(hdr::Counter, bytes, 4);
}

bool CdxFile::ChangedByAnotherUser() {
    const std::uint32_t held = counter_;
    const std::uint64_t heldSize = size_;
    ReadCounter();
    size_ = disk_.DiskSize();
    if (counter_ == held && size_ == heldSize) return false;
    next_ = 0;
    ReadDirectory();
    return true;
}

// ---------------------------------------------------------------- lock

void CdxFile::Lock() {
    if (lockDepth_ > 0) {
        ++lockDepth_;
        return;
    }
    const auto [offset, length] = LockRange(table_.LockProtocolValue());
    for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
        if (disk_.LockRegion(offset, length)) {
            lockDepth_ = 1;
            if (disk_.IsShared() && directory_) ChangedByAnotherUser();
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kLockPauseMs));
    }
    throw XBaseError("Error " + std::to_string(disk_.LastError()) + " in Lock of " + disk_.FullPath(),
                     err::LockViolation);
}

void CdxFile::Unlock() {
    if (lockDepth_ == 0) return;
    if (--lockDepth_ == 0) {
        next_ = 0;  // another program may add pages before the next lock
        disk_.UnlockRegion();
    }
}

// ---------------------------------------------------------------- building

std::uint32_t CdxFile::MaxRecord() const {
    return static_cast<std::uint32_t>(std::max<std::int32_t>(table_.RecordCount(), 1));
}

void CdxFile::ForEachRecord(const std::function<void(std::uint32_t, const std::uint8_t*)>& visit) {
    const std::int32_t count = table_.RecordCount();
    const std::size_t length = static_cast<std::size_t>(table_.RecordLength());
    if (count <= 0 || length == 0) return;
    const std::size_t perChunk = std::max<std::size_t>(1, (std::size_t{1} << 20) / length);
    std::vector<std::uint8_t> chunk(perChunk * length + 1, ' ');
    for (std::int32_t first = 1; first <= count;) {
        const std::size_t want = std::min<std::size_t>(perChunk, static_cast<std::size_t>(count - first + 1));
        const std::uint64_t offset = static_cast<std::uint64_t>(table_.HeaderLength()) +
                                     static_cast<std::uint64_t>(first - 1) * length;
        const std::size_t got = table_.DiskRead(offset, chunk.data(), want * length) / length;
        for (std::size_t i = 0; i < got; ++i)
            visit(static_cast<std::uint32_t>(first) + static_cast<std::uint32_t>(i), chunk.data() + i * length);
        if (got < want) break;
        first += static_cast<std::int32_t>(want);
        if (progress) progress(count, first - 1, 0);
    }
}

void CdxFile::BuildInto(Slot& slot) {
    CdxKeyMaker& keys = *slot.keys;
    const std::uint16_t L = keys.KeyLength();
    CdxSorter sorter(L);
    sorter.Reserve(static_cast<std::size_t>(std::max<std::int32_t>(table_.RecordCount(), 0)));
    std::vector<std::uint8_t> key(L);
    if (progress) progress(table_.RecordCount(), 0, 0);
    ForEachRecord([&](std::uint32_t recNo, const std::uint8_t* image) {
        if (!keys.Selected(image)) return;
        keys.Key(image, key.data());
        sorter.Add(key.data(), recNo);
    });
    sorter.Sort(slot.definition.unique);
    const std::uint32_t first = AllocatePage();
    next_ -= kPageSize;  // the build lays its pages out from here on
    const CdxBuiltTree built = BulkLoad(sorter, PadFor(keys.KeyType()), MaxRecord(), first);
    disk_.DiskWrite(first, built.pages.data(), built.pages.size());
    next_ = first + built.pages.size();
    size_ = std::max<std::uint64_t>(size_, next_);

    CdxHeader header;
    header.root = built.root;
    header.keyLength = L;
    header.options = static_cast<std::uint8_t>(opt::OrdinaryTag | (slot.definition.unique ? opt::Unique : 0) |
                                               (slot.definition.forExpression.empty() ? 0 : opt::HasFor));
    header.descending = slot.definition.descending;
    header.keyExpression = slot.definition.keyExpression;
    header.forExpression = slot.definition.forExpression;
    std::vector<std::uint8_t> image(kHeaderSize);
    header.Format(image.data());
    const std::uint32_t at = slot.tag ? slot.tag->HeaderOffset() : 0;
    disk_.DiskWrite(at, image.data(), image.size());
    slot.tag = std::make_unique<CdxTag>(*this, slot.definition.name, at, header, keys.KeyType());
    if (progress) progress(0, 0, 0);
}

CdxTag& CdxFile::AddTag(const CdxTagDefinition& definition) {
    Slot slot;
    slot.definition = definition;
    slot.definition.name = TagName(definition.name);
    const std::string name = slot.definition.name;  // a copy: the slot is moved into tags_ below
    if (name.empty() || name.size() > kMaxTagName || !std::isalpha(static_cast<unsigned char>(name[0])))
        throw XBaseError("Invalid tag name " + definition.name);
    if (definition.keyExpression.size() + definition.forExpression.size() + 2 > hdr::ExprArea)
        throw XBaseError("The key and FOR expressions of tag " + name + " are longer than a tag header holds");
    slot.keys = std::make_unique<CdxKeyMaker>(table_, definition.keyExpression, definition.forExpression);
    Lock();
    Unlocker unlock{*this};
    // The header's two pages first (zeroed), then the tree, then the header itself.
    const std::uint32_t headerOffset = AllocatePage();
    AllocatePage();
    const std::vector<std::uint8_t> zero(kHeaderSize, 0);
    disk_.DiskWrite(headerOffset, zero.data(), zero.size());
    size_ = std::max<std::uint64_t>(size_, std::uint64_t{headerOffset} + kHeaderSize);
    CdxHeader placeholder;
    placeholder.root = kHeaderSize;
    placeholder.keyLength = slot.keys->KeyLength();
    slot.tag = std::make_unique<CdxTag>(*this, name, headerOffset, placeholder, slot.keys->KeyType());
    BuildInto(slot);
    if (FindTag(name) != nullptr) DropFromDirectory(name);
    AddToDirectory(name, headerOffset);
    tags_.push_back(std::move(slot));
    // Tags stand in directory (name) order, as a reader of the file finds them.
    std::sort(tags_.begin(), tags_.end(),
              [](const Slot& a, const Slot& b) { return a.tag->Name() < b.tag->Name(); });
    return *FindTag(name);
}

void CdxFile::DeleteTag(const std::string& name) {
    const std::string wanted = TagName(name);
    if (FindTag(wanted) == nullptr) throw XBaseError("Cannot find index tag " + wanted);
    Lock();
    Unlocker unlock{*this};
    DropFromDirectory(wanted);
    if (tags_.empty()) MakeEmpty();
}

void CdxFile::Reindex() {
    Lock();
    Unlocker unlock{*this};
    std::vector<CdxTagDefinition> definitions;
    std::vector<std::unique_ptr<CdxKeyMaker>> keys;
    for (Slot& slot : tags_) {
        definitions.push_back(slot.definition);
        keys.push_back(std::move(slot.keys));
    }
    ++counter_;
    MakeEmpty();
    for (std::size_t i = 0; i < definitions.size(); ++i) {
        Slot slot;
        slot.definition = definitions[i];
        slot.keys = std::move(keys[i]);
        const std::uint32_t headerOffset = AllocatePage();
        AllocatePage();
        CdxHeader placeholder;
        placeholder.root = kHeaderSize;
        placeholder.keyLength = slot.keys->KeyLength();
        slot.tag = std::make_unique<CdxTag>(*this, slot.definition.name, headerOffset, placeholder,
                                            slot.keys->KeyType());
        BuildInto(slot);
        AddToDirectory(slot.definition.name, headerOffset);
        tags_.push_back(std::move(slot));
    }
}

// ---------------------------------------------------------------- maintenance

void CdxFile::RecordWritten(std::uint32_t recNo, const std::uint8_t* oldImage, const std::uint8_t* newImage) {
    for (Slot& slot : tags_) {
        if (slot.tag->ReadOnly()) throw XBaseError(slot.tag->ReadOnlyMessage());
    }
    Lock();
    Unlocker unlock{*this};
    ++counter_;
    WriteCounter();
    const std::uint32_t maxRecord = std::max(MaxRecord(), recNo);
    for (Slot& slot : tags_) {
        CdxKeyMaker& keys = *slot.keys;
        CdxTag& tag = *slot.tag;
        std::vector<std::uint8_t> newKey(keys.KeyLength());
        const bool newSelected = keys.Selected(newImage);
        keys.Key(newImage, newKey.data());
        if (oldImage == nullptr) {
            if (newSelected) tag.AddKey(newKey.data(), recNo, maxRecord);
            continue;
        }
        std::vector<std::uint8_t> oldKey(keys.KeyLength());
        const bool oldSelected = keys.Selected(oldImage);
        keys.Key(oldImage, oldKey.data());
        const bool sameKey = oldKey == newKey;
        if (sameKey && oldSelected && newSelected) {
            if (!tag.Locate(oldKey.data(), recNo)) tag.AddKey(newKey.data(), recNo, maxRecord);
            continue;
        }
        const bool removed = tag.RemoveKey(oldKey.data(), recNo);
        if (newSelected) tag.AddKey(newKey.data(), recNo, maxRecord);
        // A unique tag held the old key for this record: another record holding that key
        // takes its place, as a rebuild would give it.
        if (removed && tag.Unique() && !(newSelected && sameKey)) PromoteUnique(slot, oldKey.data(), recNo);
    }
}

void CdxFile::PromoteUnique(Slot& slot, const std::uint8_t* key, std::uint32_t leaving) {
    std::vector<std::uint8_t> probe(slot.keys->KeyLength());
    std::uint32_t holder = 0;
    ForEachRecord([&](std::uint32_t recNo, const std::uint8_t* image) {
        if (holder != 0 || recNo == leaving || !slot.keys->Selected(image)) return;
        slot.keys->Key(image, probe.data());
        if (std::memcmp(probe.data(), key, probe.size()) == 0) holder = recNo;
    });
    if (holder != 0) slot.tag->AddKey(key, holder, std::max(MaxRecord(), holder));
}

// ---------------------------------------------------------------- check

std::vector<CdxTagReport> CdxFile::Check() {
    Lock();
    Unlocker unlock{*this};
    std::vector<CdxTagReport> reports;
    for (Slot& slot : tags_) {
        CdxTag& tag = *slot.tag;
        CdxCheckResult pages = CheckTag(*this, tag.Header().root, tag.KeyLength(), tag.Pad(), MaxRecord());
        std::string fault = pages.fault;
        if (fault.empty() && !tag.ReadOnly()) fault = CheckAgainstRecords(slot);
        reports.push_back({tag.Name(), fault});
    }
    return reports;
}

std::string CdxFile::CheckAgainstRecords(Slot& slot) {
    CdxTag& tag = *slot.tag;
    const std::size_t L = tag.KeyLength();
    using Entry = std::pair<std::string, std::uint32_t>;
    std::vector<Entry> expected;
    std::vector<std::uint8_t> key(L);
    ForEachRecord([&](std::uint32_t recNo, const std::uint8_t* image) {
        if (!slot.keys->Selected(image)) return;
        slot.keys->Key(image, key.data());
        expected.emplace_back(std::string(key.begin(), key.end()), recNo);
    });
    std::sort(expected.begin(), expected.end());
    std::vector<Entry> actual;
    tag.Tree().Invalidate();
    for (CdxPosition at = tag.Tree().First(); at.Valid(); tag.Tree().Next(at))
        actual.emplace_back(std::string(reinterpret_cast<const char*>(tag.Tree().KeyAt(at)), L), tag.Tree().RecordAt(at));
    auto describe = [&](const Entry& e) {
        return "'" + KeyForMessage(reinterpret_cast<const std::uint8_t*>(e.first.data()), tag.KeyLength(), tag.KeyType()) +
               "' (record " + std::to_string(e.second) + ")";
    };
    if (!tag.Unique()) {
        std::size_t i = 0;
        for (; i < actual.size() && i < expected.size(); ++i) {
            if (actual[i] == expected[i]) continue;
            if (expected[i] < actual[i]) return "record " + std::to_string(expected[i].second) + " has no entry for its key " + describe(expected[i]);
            return "entry " + describe(actual[i]) + " does not match its record";
        }
        if (i < expected.size()) return "record " + std::to_string(expected[i].second) + " has no entry for its key " + describe(expected[i]);
        if (i < actual.size()) return "entry " + describe(actual[i]) + " does not match its record";
        return {};
    }
    // Unique: each key once, on a record that holds it, and every key of the records.
    std::map<std::string, std::vector<std::uint32_t>> holders;
    for (const Entry& e : expected) holders[e.first].push_back(e.second);
    for (std::size_t i = 0; i < actual.size(); ++i) {
        if (i > 0 && actual[i].first == actual[i - 1].first) return "key " + describe(actual[i]) + " stands twice in a unique tag";
        const auto found = holders.find(actual[i].first);
        if (found == holders.end() ||
            std::find(found->second.begin(), found->second.end(), actual[i].second) == found->second.end())
            return "entry " + describe(actual[i]) + " does not match its record";
    }
    if (holders.size() != actual.size()) {
        for (const auto& [k, recs] : holders) {
            const bool present = std::any_of(actual.begin(), actual.end(), [&](const Entry& e) { return e.first == k; });
            if (!present) return "record " + std::to_string(recs.front()) + " has no entry for its key " + describe({k, recs.front()});
        }
    }
    return {};
}

}  // namespace xbase::cdx
