#include "xbase/index/ntx/NtxFile.h"

#include <algorithm>
#include <array>

#include "xbase/file/EngineError.h"
#include "xbase/index/IndexBytes.h"
#include "xbase/index/IndexFormats.h"
#include "xbase/index/TreePage.h"
#include "xbase/index/ntx/NtxFormat.h"
#include "xbase/index/ntx/NtxPage.h"
#include "xbase/index/ntx/NtxTag.h"

namespace xbase {

namespace {
const IndexFormatRegistration kNtx{".NTX", &MakeIndexFile<NtxFile>};

}  // namespace

// Pages kept in memory: 32 MB at most, every page of a tag of a million short keys.
constexpr std::size_t kKeptPages = 32768;

NtxFile::NtxFile(DbfFile& table, const std::string& path)
    : IndexFile(table, path), pages_(ntx::kPageSize, kKeptPages) {
    WatchWrites(pages_);
}

NtxTag* NtxFile::Tag() const {
    return Tags().empty() ? nullptr : static_cast<NtxTag*>(Tags().front().get());
}

void NtxFile::Open() {
    OpenDisk();
    if (Disk().IsClosed()) return;
    if (FileSize() < 2 * ntx::kPageSize) {
        SetWrongKind(true);
        return;
    }
    auto tag = std::make_unique<NtxTag>(*this, BaseName());
    tag->ReadHeader();
    MutableTags().clear();
    MutableTags().push_back(std::move(tag));
    ResetAllocator();
    SetOpened(true);
}

void NtxFile::Create() {
    CreateDisk();
    MutableTags().clear();
    nextFree_ = ntx::kPageSize;
    SetOpened(true);
}

IndexTag& NtxFile::AddTag(const TagDefinition& definition) {
    Locked([&] {
        std::unique_ptr<IndexTag> old;
        if (!MutableTags().empty()) old = std::move(MutableTags().front());
        MutableTags().clear();
        auto tag = std::make_unique<NtxTag>(*this, BaseName());
        // The version counter goes on from the file's, so other users see the change.
        if (auto* previous = dynamic_cast<NtxTag*>(old.get())) tag->SetVersion(previous->Version());
        Truncate(0);
        ForgetPages();
        nextFree_ = ntx::kPageSize;
        tag->CreateTag(definition);
        MutableTags().push_back(std::move(tag));
    });
    return *Tags().front();
}

void NtxFile::DeleteTag(const std::string& /*name*/) {
    throw XBaseError("The one tag of a Clipper index (.NTX) cannot be deleted: " + FullPath());
}

std::int64_t NtxFile::AllocateNode() {
    if (nextFree_ < static_cast<std::int64_t>(ntx::kPageSize)) ResetAllocator();
    const std::int64_t place = nextFree_;
    nextFree_ += ntx::kPageSize;
    return place;
}

void NtxFile::ResetAllocator() {
    const std::uint64_t size = size_.Get(true);
    const std::uint64_t pages = (size + ntx::kPageSize - 1) / ntx::kPageSize;
    nextFree_ = static_cast<std::int64_t>(std::max<std::uint64_t>(pages, 1) * ntx::kPageSize);
}

void NtxFile::Zap() {
    NtxTag* tag = Tag();
    if (tag == nullptr) return;
    Locked([&] {
        tag->Discard();
        Truncate(2 * ntx::kPageSize);
        ForgetPages();
        std::array<std::uint8_t, ntx::kPageSize> empty{};
        ntx::EncodePage(TreePage{}, tag->Header(), empty.data());
        WritePage(ntx::kPageSize, empty.data());
        nextFree_ = 2 * ntx::kPageSize;
        tag->SetRootOffset(ntx::kPageSize);
        tag->SetVersion(ntx::NextVersion(tag->Version()));
        tag->WriteHeader();
    });
}

void NtxFile::Reindex() {
    NtxTag* tag = Tag();
    if (tag == nullptr) return;
    Locked([&] {
        tag->Discard();
        Truncate(ntx::kPageSize);
        ForgetPages();
        nextFree_ = ntx::kPageSize;
        tag->SetVersion(ntx::NextVersion(tag->Version()));
        tag->Build();
    });
}

void NtxFile::RecordWritten(const RecordWrite& write) {
    if (ChangedByAnotherUser()) DiscardTags();
    if (NtxTag* tag = Tag()) {
        tag->SetVersion(ntx::NextVersion(tag->Version()));
        std::array<std::uint8_t, 2> bytes{};
        bytes::PutLe16(bytes.data(), tag->Version());
        WriteBytes(ntx::kVersionAt, bytes.data(), bytes.size());
    }
    IndexFile::RecordWritten(write);
}

bool NtxFile::ChangedByAnotherUser() {
    NtxTag* tag = Tag();
    if (tag == nullptr || !Disk().IsShared()) return false;
    std::array<std::uint8_t, 2> bytes{};
    ReadBytes(ntx::kVersionAt, bytes.data(), bytes.size());
    const std::uint16_t version = bytes::GetLe16(bytes.data());
    if (version == tag->Version()) return false;
    tag->SetVersion(version);
    ForgetPages();
    return true;
}

const std::uint8_t* NtxFile::ReadPage(std::int64_t place) {
    if (const std::uint8_t* kept = pages_.Find(place)) return kept;
    const auto page = static_cast<std::uint64_t>(place);
    if (place < static_cast<std::int64_t>(ntx::kPageSize) || page % ntx::kPageSize != 0 ||
        !size_.Covers(page + ntx::kPageSize)) {
        Corrupt("a page of tag " + (Tag() != nullptr ? Tag()->Name() : BaseName()) +
                " points at offset " + std::to_string(place) + ", which is no page of the file");
    }
    // The pages around it come along in one read (a tree built in one go lies in file
    // order, so they are the pages the next lookups want), kept while there is room.
    constexpr std::uint64_t kRunBytes = kRunPages * ntx::kPageSize;
    if (pages_.HasRoom(kRunPages)) {
        const std::uint64_t first =
            std::max<std::uint64_t>(page / kRunBytes * kRunBytes, ntx::kPageSize);
        const std::uint64_t end =
            std::min(first + kRunBytes, std::max(size_.Get(), page + ntx::kPageSize));
        run_.resize(static_cast<std::size_t>(end - first));
        const std::size_t got = Disk().DiskRead(first, run_.data(), run_.size());
        if (got >= page - first + ntx::kPageSize) {
            pages_.KeepRun(first, run_.data(), got);
            return pages_.Find(place);
        }
    }
    std::array<std::uint8_t, ntx::kPageSize> data{};
    ReadBytes(page, data.data(), data.size());
    pages_.Keep(place, data.data());
    return pages_.Find(place);
}

void NtxFile::WritePage(std::int64_t place, const std::uint8_t* data) {
    WriteBytes(static_cast<std::uint64_t>(place), data, ntx::kPageSize);
    pages_.Keep(place, data);
    size_.Grew(static_cast<std::uint64_t>(place) + ntx::kPageSize);
}

void NtxFile::ForgetPages() {
    pages_.Clear();
    size_.Forget();
}

}  // namespace xbase
