#include "xbase/index/ndx/NdxFile.h"

#include "xbase/file/EngineError.h"
#include "xbase/index/IndexFormats.h"
#include "xbase/index/ndx/NdxFormat.h"
#include "xbase/index/ndx/NdxTag.h"

namespace xbase {

namespace {
const IndexFormatRegistration kNdx{".NDX", &MakeIndexFile<NdxFile>};
}  // namespace

namespace {
// Pages kept in memory: 32 MB at most, every page of a tag of a million short keys.
constexpr std::size_t kKeptPages = 65536;
}  // namespace

NdxFile::NdxFile(DbfFile& table, const std::string& path)
    : IndexFile(table, path), pages_(*this, ndx::kPageSize, kKeptPages, ndx::kPageSize) {}

const std::uint8_t* NdxFile::StoredPage(std::int64_t page) {
    return pages_.Read(static_cast<std::uint64_t>(page) * ndx::kPageSize, ndx::kPageSize,
                       size_.Get());
}

NdxTag* NdxFile::Tag() const {
    return Tags().empty() ? nullptr : static_cast<NdxTag*>(Tags().front().get());
}

void NdxFile::Open() {
    OpenDisk();
    if (Disk().IsClosed()) return;
    if (FileSize() < 2 * ndx::kPageSize) {
        SetWrongKind(true);
        return;
    }
    auto tag = std::make_unique<NdxTag>(*this, BaseName());
    tag->ReadHeader();
    MutableTags().clear();
    MutableTags().push_back(std::move(tag));
    SetOpened(true);
}

void NdxFile::Create() {
    CreateDisk();
    MutableTags().clear();
    nextFree_ = 1;
    SetOpened(true);
}

std::string NdxFile::Refuses(const TagDefinition& definition) const {
    if (!definition.forExpression.empty())
        return "A dBase index (.NDX) keeps no FOR condition: " + FullPath();
    if (definition.descending)
        return "A dBase index (.NDX) keeps no descending order: " + FullPath();
    return {};
}

IndexTag& NdxFile::AddTag(const TagDefinition& definition) {
    if (const std::string refusal = Refuses(definition); !refusal.empty())
        throw XBaseError(refusal);
    Locked([&] {
        MutableTags().clear();
        auto tag = std::make_unique<NdxTag>(*this, BaseName());
        Truncate(0);
        size_.Forget();
        nextFree_ = 1;
        tag->CreateTag(definition);
        MutableTags().push_back(std::move(tag));
    });
    return *Tags().front();
}

void NdxFile::DeleteTag(const std::string& /*name*/) {
    throw XBaseError("The one tag of a dBase index (.NDX) cannot be deleted: " + FullPath());
}

std::int64_t NdxFile::AllocateNode() {
    if (nextFree_ < 1)
        nextFree_ =
            std::max<std::int64_t>(1, static_cast<std::int64_t>(FileSize() / ndx::kPageSize));
    return nextFree_++;
}

void NdxFile::ResetAllocator() {
    nextFree_ = static_cast<std::int64_t>(FileSize() / ndx::kPageSize);
}

void NdxFile::Reindex() {
    NdxTag* tag = Tag();
    if (tag == nullptr) return;
    Locked([&] {
        tag->Discard();
        Truncate(ndx::kPageSize);
        size_.Forget();
        nextFree_ = 1;
        tag->Build();
    });
}

}  // namespace xbase
