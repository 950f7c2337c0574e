#include "xbase/cursor/TablePack.h"

#include <memory>
#include <vector>

#include "platform/Clock.h"
#include "platform/OsFile.h"
#include "platform/Paths.h"
#include "xbase/cursor/DbfHandler.h"
#include "xbase/file/ByteOrder.h"
#include "xbase/file/EngineError.h"
#include "xbase/memo/MemoFactory.h"
#include "xbase/memo/MemoFile.h"
#include "xbase/table/RecordBufferScope.h"

namespace xbase {

namespace {

// Packed records are written in pieces of about this size.
constexpr std::size_t kWriteChunk = 256 * 1024;

// "goods.dbf" -> "goods~pack.dbf" beside it (the extension kept, so that the memo file of
// the packed table is found beside it by the usual rule).
std::string SiblingName(const std::string& hostPath, const char* tag) {
    std::size_t slash = hostPath.find_last_of('/');
    std::size_t dot = hostPath.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        dot = hostPath.size();
    return hostPath.substr(0, dot) + tag + hostPath.substr(dot);
}

// Fails with a disk error naming `path` unless `rc` is 0.
void Check(int rc, int subcode, const std::string& path) {
    if (rc != 0) ReportEngineError(rc, subcode, path);
}

// A file written under a temporary name: removed again unless it was put in place.
class TemporaryFile {
public:
    explicit TemporaryFile(std::string hostPath) : path_(std::move(hostPath)) {}
    ~TemporaryFile() {
        if (!kept_) platform::RemoveFile(path_);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const std::string& path() const { return path_; }
    void Kept() { kept_ = true; }

private:
    std::string path_;
    bool kept_ = false;
};

std::unique_ptr<DbfHandler> OpenAlone(const std::string& name) {
    try {
        return std::make_unique<DbfHandler>(name, false, true);
    } catch (const XBaseError& e) {
        if (e.code() != err::SharingViolation) throw;
        throw XBaseError(platform::ExpandPath(name) +
                             " is in use by another program; pack needs the table to itself",
                         e.code(), e.subcode());
    }
}

bool HasMemoFields(const DbfFields& table) {
    for (const FieldDescriptor& field : table.Fields())
        if (IsMemoFieldType(field.type, table.Version())) return true;
    return false;
}

// The packed memo file: the original's header area, then each memo appended at the end.
std::unique_ptr<MemoFile> StartMemoCopy(DbfFields& table, MemoFile& memo,
                                        const std::string& tableCopy, std::string& hostPath) {
    const std::string& source = memo.FullPath();
    const std::string extension = source.substr(source.find_last_of('.'));
    hostPath = platform::ResolveHostPath(
        platform::ExpandFullPath(MemoFile::MemoFileName(tableCopy, extension)));
    const std::uint64_t blockSize = static_cast<std::uint64_t>(memo.BlockSize());
    std::vector<std::uint8_t> header(
        (MemoFile::kHeaderArea + blockSize - 1) / blockSize * blockSize, 0);
    memo.DiskRead(0, header.data(), header.size());  // a shorter file reads as zeros beyond
    platform::OsFile out;
    Check(platform::OsFile::Create(hostPath), sub::DiskCreate, hostPath);
    Check(out.Open(hostPath, true, false), sub::DiskOpen, hostPath);
    Check(out.WriteAt(0, header.data(), header.size()), sub::DiskWrite, hostPath);
    Check(out.Flush(), sub::DiskFlush, hostPath);
    out.Close();
    MemoOptions options;
    options.tableName = tableCopy;
    options.tableVersion = table.Version();
    options.shared = false;
    options.readWrite = true;
    return OpenMemoFile(MemoKindFor(table.Version(), table.TableFlags(), true), options);
}

// Moves the memo of every memo field of `record` into `copy` and stores its new block.
void MoveMemos(DbfFields& table, std::uint8_t* record, MemoFile& copy) {
    RecordBufferScope scope(table, record);
    for (const FieldDescriptor& field : table.Fields()) {
        if (!IsMemoFieldType(field.type, table.Version())) continue;
        std::string text = table.GetMemo(field.number);
        std::int32_t block = 0;
        if (!text.empty()) copy.WriteMemo(text, block);
        if (block == 0 && !IsVisualFoxVersion(table.Version())) {
            table.PutFieldRaw(field.number, "");
        } else {
            table.PutFieldNumber(field.number, block);
        }
    }
}

}  // namespace

PackResult PackTable(const std::string& name) {
    std::unique_ptr<DbfHandler> table = OpenAlone(name);
    const std::string tablePath = table->HostPath();
    if ((table->TableFlags() & dbf::kFlagProductionIndex) != 0) {
        throw XBaseError(platform::ExpandPath(name) +
                             " has a production index, which a pack would leave pointing at the "
                             "old records; it is not packed",
                         err::AccessDenied, sub::None);
    }
    PackResult result;
    MemoFile* memo = HasMemoFields(*table) ? table->Memo() : nullptr;

    TemporaryFile tableCopy(SiblingName(tablePath, "~pack"));
    std::unique_ptr<MemoFile> memoCopy;
    std::string memoCopyPath;
    std::unique_ptr<TemporaryFile> memoCopyFile;
    if (memo != nullptr) {
        result.hadMemo = true;
        result.memoBytesBefore = memo->DiskSize();
        memoCopy = StartMemoCopy(*table, *memo, tableCopy.path(), memoCopyPath);
        memoCopyFile = std::make_unique<TemporaryFile>(memoCopyPath);
    }

    const std::size_t headerLength = static_cast<std::size_t>(table->HeaderLength());
    const std::size_t recordLength = static_cast<std::size_t>(table->RecordLength());
    std::vector<std::uint8_t> header(headerLength);
    if (table->DiskRead(0, header.data(), headerLength) < headerLength) {
        ReportEngineError(err::ShortRead, sub::TableOpen, table->DisplayPath());
    }
    platform::OsFile out;
    Check(platform::OsFile::Create(tableCopy.path()), sub::DiskCreate, tableCopy.path());
    Check(out.Open(tableCopy.path(), true, false), sub::DiskOpen, tableCopy.path());

    std::vector<std::uint8_t> pending;
    std::uint64_t written = headerLength;
    std::vector<std::uint8_t> record(recordLength + 1);
    for (std::int32_t n = 1; n <= table->RecordCount(); ++n) {
        const std::uint64_t at =
            dbf::RecordOffset(static_cast<int>(headerLength), static_cast<int>(recordLength), n);
        if (table->DiskRead(at, record.data(), recordLength) < recordLength) {
            ReportEngineError(err::ShortRead, sub::RecordRead, table->DisplayPath());
        }
        if (record[0] == kDeletedFlag) {
            ++result.removed;
            continue;
        }
        if (memoCopy) MoveMemos(*table, record.data(), *memoCopy);
        pending.insert(pending.end(), record.begin(),
                       record.begin() + static_cast<std::ptrdiff_t>(recordLength));
        ++result.kept;
        if (pending.size() >= kWriteChunk) {
            Check(out.WriteAt(written, pending.data(), pending.size()), sub::DiskWrite,
                  tableCopy.path());
            written += pending.size();
            pending.clear();
        }
    }
    pending.push_back(kEofMark);
    Check(out.WriteAt(written, pending.data(), pending.size()), sub::DiskWrite, tableCopy.path());

    platform::LocalTime now = platform::LocalNow();
    header[dbf::kUpdateYear] = static_cast<std::uint8_t>(now.year % 100);
    header[dbf::kUpdateMonth] = static_cast<std::uint8_t>(now.month);
    header[dbf::kUpdateDay] = static_cast<std::uint8_t>(now.day);
    byteorder::PutLe32(header.data() + dbf::kRecordCount, static_cast<std::uint32_t>(result.kept));
    Check(out.WriteAt(0, header.data(), header.size()), sub::DiskWrite, tableCopy.path());
    Check(out.Flush(), sub::DiskFlush, tableCopy.path());
    out.Close();

    if (!memoCopy) {
        Check(platform::ReplaceFile(tableCopy.path(), tablePath), sub::DiskRename, tablePath);
        tableCopy.Kept();
        return result;
    }
    memoCopy->DiskFlush();
    result.memoBytesAfter = memoCopy->DiskSize();
    memoCopy.reset();

    // The old memo file steps aside until the packed table is in place, so that a failed
    // rename can put everything back.
    const std::string memoPath = memo->HostPath();
    const std::string memoAside = SiblingName(memoPath, "~old");
    platform::RemoveFile(memoAside);
    Check(platform::RenameFile(memoPath, memoAside), sub::DiskRename, memoPath);
    int rc = platform::RenameFile(memoCopyPath, memoPath);
    if (rc == 0) {
        rc = platform::ReplaceFile(tableCopy.path(), tablePath);
        if (rc != 0) platform::RenameFile(memoPath, memoCopyPath);
    }
    if (rc != 0) {
        platform::RenameFile(memoAside, memoPath);
        ReportEngineError(rc, sub::DiskRename, tablePath);
    }
    memoCopyFile->Kept();
    tableCopy.Kept();
    platform::RemoveFile(memoAside);
    return result;
}

}  // namespace xbase
