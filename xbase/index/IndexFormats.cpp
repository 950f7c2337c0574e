#include "xbase/index/IndexFormats.h"

#include <cctype>
#include <map>

#include "platform/Paths.h"
#include "xbase/file/EngineError.h"
#include "xbase/file/NameText.h"
#include "xbase/index/IndexFile.h"
#include "xbase/table/DbfFile.h"

namespace xbase {

namespace {

std::map<std::string, IndexFileMaker>& Registry() {
    static std::map<std::string, IndexFileMaker> registry;
    return registry;
}

std::string ExtensionOf(const std::string& path) {
    std::size_t slash = path.find_last_of("\\/:");
    std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    return platform::UpperAscii(path.substr(dot));
}

}  // namespace

IndexFormatRegistration::IndexFormatRegistration(const char* extension, IndexFileMaker maker) {
    Registry()[platform::UpperAscii(extension)] = maker;
}

IndexFileMaker IndexFormatFor(const std::string& path) {
    auto it = Registry().find(ExtensionOf(path));
    return it == Registry().end() ? nullptr : it->second;
}

std::string IndexFileName(const DbfFile& table, const std::string& name) {
    std::string result = UpperTrimmed(name);
    if (ExtensionOf(result).empty()) result += ".NDX";
    if (result.find_first_of("\\/:") == std::string::npos) {
        const std::string& tablePath = table.FullPath();
        std::size_t slash = tablePath.find_last_of("\\/");
        if (slash != std::string::npos) result = tablePath.substr(0, slash + 1) + result;
    }
    return result;
}

std::unique_ptr<IndexFile> OpenIndexFile(DbfFile& table, const std::string& path) {
    IndexFileMaker maker = IndexFormatFor(path);
    if (maker == nullptr) {
        ReportEngineError(err::FileNotFound, sub::None, path);
        return nullptr;
    }
    std::unique_ptr<IndexFile> file = maker(table, path);
    if (!file->Disk().Existed()) {
        ReportEngineError(err::FileNotFound, sub::None, file->FullPath());
        return nullptr;
    }
    file->Open();
    if (!file->Opened() || file->WrongKind()) {
        ReportEngineError(kIndexCorrupt, sub::None, file->FullPath());
        return nullptr;
    }
    return file;
}

std::unique_ptr<IndexFile> CreateIndexFile(DbfFile& table, const std::string& path) {
    IndexFileMaker maker = IndexFormatFor(path);
    if (maker == nullptr) {
        ReportEngineError(err::FileNotFound, sub::None, path);
        return nullptr;
    }
    std::unique_ptr<IndexFile> file = maker(table, path);
    file->Create();
    return file;
}

}  // namespace xbase
