#include "xbase/index/mdx/MdxFile.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "platform/Clock.h"
#include "platform/Paths.h"
#include "xbase/file/EngineError.h"
#include "xbase/index/IndexFormats.h"
#include "xbase/index/mdx/MdxTag.h"

namespace xbase {

namespace {
const IndexFormatRegistration kMdx{".MDX", &MakeIndexFile<MdxFile>};

void Today(std::uint8_t* date) {
    const platform::LocalTime now = platform::LocalNow();
    date[0] = static_cast<std::uint8_t>(now.year % 100);
    date[1] = static_cast<std::uint8_t>(now.month);
    date[2] = static_cast<std::uint8_t>(now.day);
}
}  // namespace

MdxFile::MdxFile(DbfFile& table, const std::string& path) : IndexFile(table, path) {}

void MdxFile::Open() {
    OpenDisk();
    if (Disk().IsClosed()) return;
    const std::uint64_t size = FileSize();
    if (size < 4 * mdx::kPageSize) {
        SetWrongKind(true);
        return;
    }
    std::vector<std::uint8_t> region(4 * mdx::kPageSize);
    ReadBytes(0, region.data(), region.size());
    header_ = mdx::FileHeader::Decode(region.data());
    blocks_.reset();
    const std::string problem = header_.Problem(size);
    if (!problem.empty()) Corrupt("the header is not one of an MDX file (" + problem + ")");
    std::vector<mdx::TagEntry> entries(header_.tagCount);
    mdx::DecodeTagTable(region.data(), entries.size(), entries.data());
    MutableTags().clear();
    const std::uint64_t pages = size / mdx::kPageSize;
    for (const mdx::TagEntry& entry : entries) {
        if (entry.headerPage < FirstNodePage() || entry.headerPage + header_.pagesPerBlock > pages)
            Corrupt("tag " + entry.name + " has its header outside the file");
        auto tag =
            std::make_unique<MdxTag>(*this, platform::UpperAscii(entry.name), entry.headerPage);
        tag->ReadHeader();
        MutableTags().push_back(std::move(tag));
    }
    ResetAllocator();
    SetOpened(true);
}

const std::uint8_t* MdxFile::StoredBlock(std::uint32_t page) {
    // Blocks kept in memory: 32 MB at most, every block of a tag of a million short keys.
    constexpr std::size_t kKeptBytes = std::size_t{32} << 20;
    if (!blocks_)
        blocks_ = std::make_unique<StoredPages>(*this, header_.blockSize,
                                                kKeptBytes / header_.blockSize, mdx::kPageSize);
    return blocks_->Read(static_cast<std::uint64_t>(page) * mdx::kPageSize,
                         static_cast<std::uint64_t>(FirstNodePage()) * mdx::kPageSize, size_.Get());
}

void MdxFile::Create() {
    CreateDisk();
    MutableTags().clear();
    header_ = mdx::FileHeader{};
    blocks_.reset();
    Today(header_.created);
    Today(header_.updated);
    std::string base = BaseName();
    if (base.size() > 8) base.resize(8);
    header_.tableName = base;
    header_.nextFreePage = FirstNodePage();
    std::vector<std::uint8_t> region(header_.RegionSize());
    header_.Encode(region.data());
    WriteBytes(0, region.data(), region.size());
    SetOpened(true);
}

void MdxFile::WriteHeaderRegion() {
    std::vector<std::uint8_t> region(header_.RegionSize());
    ReadBytes(0, region.data(), region.size());
    std::vector<mdx::TagEntry> entries;
    for (const auto& tag : Tags()) {
        const auto& mdxTag = static_cast<const MdxTag&>(*tag);
        entries.push_back(
            {static_cast<std::uint32_t>(mdxTag.HeaderOffset()), mdxTag.Name(), mdxTag.KeyType()});
    }
    header_.tagCount = static_cast<std::uint16_t>(entries.size());
    Today(header_.updated);
    header_.Encode(region.data());
    mdx::EncodeTagTable(entries.data(), entries.size(), region.data());
    WriteBytes(0, region.data(), region.size());
}

IndexTag& MdxFile::AddTag(const TagDefinition& definition) {
    const std::string name = platform::UpperAscii(definition.name);
    if (name.empty() || name.size() > mdx::kEntryNameSize - 1)
        throw XBaseError("Tag name '" + definition.name + "' of " + FullPath() +
                         " must have 1 to 10 characters");
    IndexTag* made = nullptr;
    Locked([&] {
        auto& tags = MutableTags();
        std::erase_if(tags, [&](const auto& tag) { return tag->Name() == name; });
        if (tags.size() >= mdx::kMaxTags)
            throw XBaseError("An MDX file holds at most " + std::to_string(mdx::kMaxTags) +
                             " tags: " + FullPath());
        auto tag =
            std::make_unique<MdxTag>(*this, name, static_cast<std::uint32_t>(AllocateNode()));
        tag->CreateTag(definition);
        made = tag.get();
        auto at =
            std::find_if(tags.begin(), tags.end(), [&](const auto& t) { return t->Name() > name; });
        tags.insert(at, std::move(tag));
        WriteHeaderRegion();
    });
    return *made;
}

void MdxFile::DeleteTag(const std::string& name) {
    const std::string wanted = platform::UpperAscii(name);
    Locked([&] {
        auto& tags = MutableTags();
        const std::size_t before = tags.size();
        std::erase_if(tags, [&](const auto& tag) { return tag->Name() == wanted; });
        if (tags.size() == before) throw XBaseError("Cannot find index tag " + name);
        if (tags.empty()) {
            Truncate(header_.RegionSize());
            size_.Forget();
            header_.nextFreePage = FirstNodePage();
        }
        WriteHeaderRegion();
    });
}

std::int64_t MdxFile::AllocateNode() {
    if (header_.nextFreePage < FirstNodePage()) ResetAllocator();
    const std::uint32_t page = header_.nextFreePage;
    header_.nextFreePage += header_.pagesPerBlock;
    return page;
}

void MdxFile::ResetAllocator() {
    const std::uint64_t pages = (FileSize() + mdx::kPageSize - 1) / mdx::kPageSize;
    header_.nextFreePage =
        std::max<std::uint32_t>(static_cast<std::uint32_t>(pages), FirstNodePage());
}

void MdxFile::Reindex() {
    Locked([&] {
        for (const auto& tag : Tags()) tag->Discard();
        Truncate(header_.RegionSize());
        size_.Forget();
        header_.nextFreePage = FirstNodePage();
        for (const auto& tag : Tags()) {
            auto& mdxTag = static_cast<MdxTag&>(*tag);
            mdxTag.MoveHeader(static_cast<std::uint32_t>(AllocateNode()));
            TagDefinition definition{mdxTag.Name(), mdxTag.KeyExpressionText(),
                                     mdxTag.ForExpressionText(), mdxTag.Unique(),
                                     mdxTag.Descending()};
            mdxTag.CreateTag(definition);
        }
        WriteHeaderRegion();
    });
}

void MdxFile::RecordWritten(const RecordWrite& write) {
    IndexFile::RecordWritten(write);
    // Splits may have taken blocks: the header's next free page follows.
    WriteHeaderRegion();
}

}  // namespace xbase
