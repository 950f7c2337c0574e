#include "xbase/index/cdx/CdxFile.h"

#include <algorithm>
#include <cctype>

#include "xbase/file/EngineError.h"
#include "xbase/index/IndexFormats.h"
#include "xbase/index/cdx/CdxKey.h"
#include "xbase/table/DbfFile.h"

namespace xbase::cdx {

namespace {

const IndexFormatRegistration kCdx{".CDX", &MakeIndexFile<CdxFile>};

std::string TagName(const std::string& name) {
    std::string out = name;
    while (!out.empty() && out.back() == ' ') out.pop_back();
    const std::size_t start = out.find_first_not_of(' ');
    out = start == std::string::npos ? std::string() : out.substr(start);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

// Holds the index lock for one change: another program's change seen on taking it is read
// first; the allocator starts again from the file's end at the next change, since another
// program may add pages meanwhile.
class CdxFile::WriteScope {
public:
    explicit WriteScope(CdxFile& file) : file_(file) {
        file_.Lock();
        try {
            if (file_.Disk().IsShared() && file_.directory_ && file_.ChangedByAnotherUser())
                file_.DiscardTags();
        } catch (...) {
            file_.Unlock();
            throw;
        }
    }
    ~WriteScope() {
        if (file_.LockDepth() == 1) file_.next_ = 0;
        file_.Unlock();
    }
    WriteScope(const WriteScope&) = delete;
    WriteScope& operator=(const WriteScope&) = delete;

private:
    CdxFile& file_;
};

CdxFile::CdxFile(DbfFile& table, const std::string& path) : IndexFile(table, path) {}

CdxFile::~CdxFile() = default;

void CdxFile::Corrupt(const std::string& detail) {
    if (optimistic_) throw TornRead{};
    RaiseIndexFault(FullPath(), detail);
}

// ---------------------------------------------------------------- open and create

void CdxFile::Open() {
    OpenDisk();
    if (Disk().IsClosed()) return;
    size_ = FileSize();
    if (size_ <= kPageSize) {
        SetWrongKind(true);
        return;
    }
    ReadDirectory(false);
    SetOpened(true);
}

void CdxFile::Create() {
    CreateDisk();
    WriteScope scope(*this);
    MakeEmpty();
    MutableTags().clear();
    SetOpened(true);
}

// ---------------------------------------------------------------- pages

void CdxFile::ReadPage(std::uint32_t offset, std::uint8_t* page) {
    if (Disk().DiskRead(offset, page, kPageSize) != kPageSize)
        Corrupt("page at offset " + std::to_string(offset) + " lies past the end of the file");
}

std::size_t CdxFile::ReadPages(std::uint32_t offset, std::uint8_t* pages, std::size_t count) {
    const std::size_t read = Disk().DiskRead(offset, pages, count * kPageSize) / kPageSize;
    if (read == 0)
        Corrupt("page at offset " + std::to_string(offset) + " lies past the end of the file");
    return read;
}

void CdxFile::WritePage(std::uint32_t offset, const std::uint8_t* page) {
    WriteBytes(offset, page, kPageSize);
    size_ = std::max<std::uint64_t>(size_, std::uint64_t{offset} + kPageSize);
}

std::uint32_t CdxFile::AllocatePage() {
    if (next_ == 0)
        next_ = (std::max<std::uint64_t>(size_, kEmptyFileSize) + kPageSize - 1) / kPageSize *
                kPageSize;
    if (next_ + kPageSize > 0xFFFFFE00u)
        Corrupt("the file has grown to the largest size an index may have");
    const auto page = static_cast<std::uint32_t>(next_);
    next_ += kPageSize;
    return page;
}

void CdxFile::WriteBuiltPages(std::uint32_t offset, const std::uint8_t* pages, std::size_t size) {
    WriteBytes(offset, pages, size);
    next_ = std::max<std::uint64_t>(next_, std::uint64_t{offset} + size);
    size_ = std::max<std::uint64_t>(size_, next_);
}

std::uint32_t CdxFile::MaxRecord() const {
    return static_cast<std::uint32_t>(std::max<std::int32_t>(Table().RecordCount(), 1));
}

// ---------------------------------------------------------------- directory

void CdxFile::MakeEmpty() {
    Truncate(0);
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
    WriteBytes(0, image.data(), image.size());
    size_ = kEmptyFileSize;
    directory_ = std::make_unique<CdxTree>(*this, kHeaderSize, kDirectoryKeyLength, ' ');
}

void CdxFile::ReadDirectory(bool refresh) {
    std::vector<std::uint8_t> image(kHeaderSize);
    if (Disk().DiskRead(0, image.data(), image.size()) != image.size())
        Corrupt("the directory header is cut short");
    CdxHeader header;
    std::string fault = header.Parse(image.data(), size_);
    if (fault.empty() && (!header.IsDirectory() || header.keyLength != kDirectoryKeyLength))
        fault = "the file header is no tag directory";
    if (!fault.empty()) Corrupt(fault);
    counter_ = header.counter;
    directory_ = std::make_unique<CdxTree>(*this, header.root, kDirectoryKeyLength, ' ');
    struct Listed {
        std::string name;
        std::uint32_t offset;
        CdxHeader header;
    };
    std::vector<Listed> listed;
    for (CdxPosition at = directory_->First(); at.Valid(); directory_->Next(at)) {
        if (listed.size() >= size_ / kPageSize)
            Corrupt("the directory lists more tags than the file can hold");
        std::string name(reinterpret_cast<const char*>(directory_->KeyAt(at)), kDirectoryKeyLength);
        name = TagName(name);
        const std::uint32_t offset = directory_->RecordAt(at);
        if (offset % kPageSize != 0 || std::uint64_t{offset} + kHeaderSize > size_)
            Corrupt("tag " + name + " has its header outside the file");
        if (Disk().DiskRead(offset, image.data(), image.size()) != image.size())
            Corrupt("tag header cut short");
        CdxHeader tagHeader;
        fault = tagHeader.Parse(image.data(), size_);
        if (!fault.empty()) Corrupt("tag " + name + ": " + fault);
        listed.push_back({name, offset, tagHeader});
    }
    // A tag read before keeps its object (callers hold it) and takes its header as it
    // stands now; one another program deleted stays as an object that says so when used.
    std::vector<std::unique_ptr<IndexTag>>& held = MutableTags();
    std::vector<std::unique_ptr<IndexTag>> tags;
    for (const Listed& l : listed) {
        auto kept = std::find_if(held.begin(), held.end(), [&](const std::unique_ptr<IndexTag>& t) {
            return t && t->Name() == l.name;
        });
        std::unique_ptr<IndexTag> tag =
            kept != held.end() ? std::move(*kept) : std::make_unique<CdxTag>(*this, l.name);
        tags.push_back(std::move(tag));
        static_cast<CdxTag&>(*tags.back()).Load(l.offset, l.header);
    }
    if (refresh) {
        for (std::unique_ptr<IndexTag>& gone : held) {
            if (!gone) continue;
            static_cast<CdxTag&>(*gone).Vanish();
            tags.push_back(std::move(gone));
        }
    }
    held = std::move(tags);
}

void CdxFile::SortTags() {
    // Tags stand in directory (name) order, as a reader of the file finds them.
    std::stable_sort(MutableTags().begin(), MutableTags().end(),
                     [](const std::unique_ptr<IndexTag>& a, const std::unique_ptr<IndexTag>& b) {
                         return a->Name() < b->Name();
                     });
}

void CdxFile::AddToDirectory(const std::string& name, std::uint32_t headerOffset) {
    std::uint8_t key[kDirectoryKeyLength];
    EncodeTextKey(name, kDirectoryKeyLength, key);
    directory_->Insert(
        key, headerOffset,
        static_cast<std::uint32_t>(std::min<std::uint64_t>(PageLimit(), 0x7FFFFFFF)));
}

void CdxFile::DropFromDirectory(const std::string& name, std::uint32_t headerOffset) {
    std::uint8_t key[kDirectoryKeyLength];
    EncodeTextKey(name, kDirectoryKeyLength, key);
    directory_->Remove(key, headerOffset);
}

// ---------------------------------------------------------------- counter

void CdxFile::ReadCounter() {
    std::uint8_t bytes[4];
    if (Disk().DiskRead(hdr::Counter, bytes, 4) != 4) Corrupt("the directory header is cut short");
    counter_ = GetLe32(bytes);
}

void CdxFile::WriteCounter() {
    std::uint8_t bytes[4];
    PutLe32(bytes, counter_);
    WriteBytes(hdr::Counter, bytes, 4);
}

bool CdxFile::ChangedByAnotherUser() {
    const std::uint32_t held = counter_;
    const std::uint64_t heldSize = size_;
    ReadCounter();
    size_ = FileSize();
    if (counter_ == held && size_ == heldSize) return false;
    next_ = 0;
    ReadDirectory(true);
    return true;
}

bool CdxFile::CounterChanged() {
    const std::uint32_t held = counter_;
    ReadCounter();
    if (counter_ == held) return false;
    size_ = FileSize();
    next_ = 0;
    ReadDirectory(true);
    return true;
}

bool CdxFile::BeginRead() {
    if (!Disk().IsShared() || LockDepth() > 0) return false;
    Lock();
    try {
        if (ChangedByAnotherUser()) DiscardTags();
    } catch (...) {
        Unlock();
        throw;
    }
    return true;
}

void CdxFile::EndRead(bool locked) {
    if (locked) Unlock();
}

// ---------------------------------------------------------------- tags

IndexTag& CdxFile::AddTag(const TagDefinition& definition) {
    const std::string name = TagName(definition.name);
    if (name.empty() || name.size() > kMaxTagName ||
        !std::isalpha(static_cast<unsigned char>(name[0])))
        throw XBaseError("Invalid tag name " + definition.name);
    if (definition.keyExpression.size() + definition.forExpression.size() + 2 > hdr::ExprArea)
        throw XBaseError("The key and FOR expressions of tag " + name +
                         " are longer than a tag header holds");
    WriteScope scope(*this);
    // The header's two pages first (zeroed), then the tree, then the header itself; the
    // directory changes only once the tag is whole.
    const std::uint32_t headerOffset = AllocatePage();
    AllocatePage();
    const std::vector<std::uint8_t> zero(kHeaderSize, 0);
    WriteBytes(headerOffset, zero.data(), zero.size());
    size_ = std::max<std::uint64_t>(size_, std::uint64_t{headerOffset} + kHeaderSize);
    auto fresh = std::make_unique<CdxTag>(*this, name);
    fresh->SetHeaderOffset(headerOffset);
    TagDefinition named = definition;
    named.name = name;
    fresh->CreateTag(named);
    CdxTag* kept = FindCdxTag(name);
    if (kept != nullptr) {
        DropFromDirectory(name, static_cast<std::uint32_t>(kept->HeaderOffset()));
        kept->Adopt(*fresh);
    }
    AddToDirectory(name, headerOffset);
    ++counter_;
    WriteCounter();
    if (kept != nullptr) return *kept;
    MutableTags().push_back(std::move(fresh));
    SortTags();
    return *FindTag(name);
}

void CdxFile::DeleteTag(const std::string& name) {
    const std::string wanted = TagName(name);
    CdxTag* tag = FindCdxTag(wanted);
    if (tag == nullptr) throw XBaseError("Cannot find index tag " + wanted);
    WriteScope scope(*this);
    DropFromDirectory(wanted, static_cast<std::uint32_t>(tag->HeaderOffset()));
    auto& tags = MutableTags();
    tags.erase(std::find_if(tags.begin(), tags.end(),
                            [&](const std::unique_ptr<IndexTag>& t) { return t.get() == tag; }));
    ++counter_;
    if (tags.empty()) {
        MakeEmpty();
    } else {
        WriteCounter();
    }
}

void CdxFile::Reindex() {
    WriteScope scope(*this);
    for (const auto& tag : Tags()) {
        auto& cdx = static_cast<CdxTag&>(*tag);
        if (cdx.ReadOnly()) throw XBaseError(cdx.ReadOnlyMessage());
    }
    ++counter_;
    MakeEmpty();
    for (const auto& tag : Tags()) {
        auto& cdx = static_cast<CdxTag&>(*tag);
        const std::uint32_t headerOffset = AllocatePage();
        AllocatePage();
        cdx.SetHeaderOffset(headerOffset);
        cdx.Build();
        AddToDirectory(cdx.Name(), headerOffset);
    }
    // Changed again once every tag is back: a reader that looked while the directory was
    // still empty would otherwise keep taking the tags for deleted.
    ++counter_;
    WriteCounter();
}

// ---------------------------------------------------------------- maintenance

void CdxFile::RecordWritten(const RecordWrite& write) {
    for (const auto& tag : Tags()) {
        const auto& cdx = static_cast<const CdxTag&>(*tag);
        if (cdx.ReadOnly()) throw XBaseError(cdx.ReadOnlyMessage());
    }
    WriteScope scope(*this);
    // The counter changes once the pages have: a reader (taking no lock) that compared it
    // while the change was under way may have read pages not yet written, and must find it
    // changed afterwards. A change that fails part way counts as well.
    try {
        IndexFile::RecordWritten(write);
    } catch (...) {
        ++counter_;
        WriteCounter();
        throw;
    }
    ++counter_;
    WriteCounter();
}

}  // namespace xbase::cdx
