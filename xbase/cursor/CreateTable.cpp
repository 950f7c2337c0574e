#include "xbase/cursor/CreateTable.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>

#include "platform/Clock.h"
#include "platform/OsFile.h"
#include "platform/Paths.h"
#include "xbase/file/DiskFile.h"
#include "xbase/file/EngineError.h"
#include "xbase/memo/MemoFactory.h"
#include "xbase/memo/MemoFile.h"
#include "xbase/table/DbfFile.h"
#include "xbase/table/DbfFormat.h"

namespace xbase {

namespace {

// A name with its extension replaced by `extension` (added when it has none), in lower
// case when the name's own letters are lower case, so that a new file keeps the case the
// caller gave (other programs find it in any case).
std::string WithExtension(const std::string& name, std::string extension) {
    std::size_t slash = name.find_last_of("\\/:");
    std::size_t base = slash == std::string::npos ? 0 : slash + 1;
    std::size_t dot = name.find_last_of('.');
    std::string stem = dot != std::string::npos && dot >= base ? name.substr(0, dot) : name;
    bool lower = std::any_of(stem.begin() + static_cast<std::ptrdiff_t>(base), stem.end(),
                             [](char c) { return c >= 'a' && c <= 'z'; });
    if (lower) {
        for (char& c : extension)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return stem + extension;
}

// A new file written in one piece; removed again unless Keep() is called.
class NewFile {
public:
    // `name` in the case the file should have on disk.
    explicit NewFile(const std::string& name) : name_(name), file_(name, false, true) {}
    ~NewFile() {
        if (created_ && !kept_) {
            file_.DiskClose();
            std::remove(platform::ResolveHostPath(file_.FullPath()).c_str());
        }
    }
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    void RefuseExisting() {
        if (file_.Existed()) file_.ReportError(err::AlreadyExists, sub::DiskCreate);
    }
    void Write(const std::vector<std::uint8_t>& bytes) {
        const int rc =
            platform::OsFile::Create(platform::ResolveHostPath(platform::ExpandPath(name_)));
        if (rc != 0) {
            file_.ReportError(rc, sub::DiskCreate);
            return;
        }
        created_ = true;
        file_.DiskOpen();  // finds the new file whatever its case
        if (file_.IsClosed()) return;
        file_.DiskWrite(0, bytes.data(), bytes.size());
        file_.DiskFlush();
        file_.DiskClose();
    }
    void Keep() { kept_ = true; }
    const std::string& FullPath() const { return file_.FullPath(); }

private:
    std::string name_;
    DiskFile file_;
    bool created_ = false;
    bool kept_ = false;
};

}  // namespace

std::string CreateTable(const std::string& path, std::uint8_t tableVersion,
                        const std::vector<NewField>& fields, const NewTableOptions& options) {
    const std::vector<NewField> checked = CheckedFields(tableVersion, fields);
    const MemoKind kind = NeedsMemoFile(tableVersion, checked)
                              ? MemoKindFor(tableVersion, dbf::kFlagHasMemo, true)
                              : MemoKind::None;
    const std::vector<std::uint8_t> memoBytes = EmptyMemoFileBytes(kind, options.memoBlockSize);

    NewTableOptions dated = options;
    if (dated.date.year == 0) dated.date = platform::LocalNow();
    std::vector<std::uint8_t> bytes = TableHeaderBytes(tableVersion, checked, dated, 0);
    bytes.push_back(dbf::kEofMark);

    // The name as TableFileName completes it, in the caller's letter case.
    const std::size_t first = path.find_first_not_of(" \t");
    const std::size_t last = path.find_last_not_of(" \t");
    std::string name =
        first == std::string::npos ? std::string() : path.substr(first, last - first + 1);
    if (platform::UpperAscii(name) != TableFileName(path)) name = WithExtension(name, ".DBF");
    NewFile table(name);
    table.RefuseExisting();
    std::unique_ptr<NewFile> memo;
    if (kind != MemoKind::None) {
        memo = std::make_unique<NewFile>(
            WithExtension(name, kind == MemoKind::FoxPro ? ".FPT" : ".DBT"));
        memo->RefuseExisting();
    }
    table.Write(bytes);
    if (memo) memo->Write(memoBytes);
    table.Keep();
    if (memo) memo->Keep();
    return table.FullPath();
}

}  // namespace xbase
