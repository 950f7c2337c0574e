// The index file kinds by extension (".CDX", ".NTX", ".MDX", ".NDX") and the one place
// index files are made. Each format registers itself with one line in its own .cpp:
//
//     static const xbase::IndexFormatRegistration kNdx{".NDX", &xbase::MakeIndexFile<NdxFile>};
#pragma once

#include <memory>
#include <string>

namespace xbase {

class DbfFile;
class IndexFile;

using IndexFileMaker = std::unique_ptr<IndexFile> (*)(DbfFile& table, const std::string& path);

template <typename Format>
std::unique_ptr<IndexFile> MakeIndexFile(DbfFile& table, const std::string& path) {
    return std::make_unique<Format>(table, path);
}

struct IndexFormatRegistration {
    IndexFormatRegistration(const char* extension, IndexFileMaker maker);
};

// The maker for a file name's extension (any case), nullptr for an unknown one.
IndexFileMaker IndexFormatFor(const std::string& path);

// The index name as the table opens it: upper case and trimmed, ".NDX" added without an
// extension, the table's directory taken without a path.
std::string IndexFileName(const DbfFile& table, const std::string& name);

// Opens an existing index file of the table. Error 2 (info -7) when it is missing or its
// extension names no kind, 2112 when it is not a valid index of its kind; both through the
// engine's error hook (nullptr when the hook returns).
std::unique_ptr<IndexFile> OpenIndexFile(DbfFile& table, const std::string& path);
// Creates a new, empty index file (replacing one of that name).
std::unique_ptr<IndexFile> CreateIndexFile(DbfFile& table, const std::string& path);

}  // namespace xbase
