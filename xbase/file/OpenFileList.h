// The process-wide list of open engine files. Every successful open adds the file and
// every close removes it; when the library is unloaded the files still listed give back
// their locks and close their handles.
#pragma once

#include <cstddef>
#include <mutex>
#include <vector>

namespace xbase {

class DiskFile;

class OpenFileList {
public:
    static void Add(DiskFile* file);
    static void Remove(DiskFile* file);
    static std::size_t Count();
    // Releases every listed file's lock and closes it (what unloading does).
    static void ReleaseAll();

    ~OpenFileList();

private:
    OpenFileList() = default;
    static OpenFileList* Instance();

    std::mutex mutex_;
    std::vector<DiskFile*> files_;
};

}  // namespace xbase
