#include "xbase/file/OpenFileList.h"

#include <algorithm>

#include "xbase/file/DiskFile.h"

namespace xbase {

namespace {
// Set once the list has been destroyed at unload; files closed later find no list.
bool g_listGone = false;
}  // namespace

OpenFileList* OpenFileList::Instance() {
    if (g_listGone) return nullptr;
    static OpenFileList list;
    return &list;
}

void OpenFileList::Add(DiskFile* file) {
    OpenFileList* list = Instance();
    if (list == nullptr) return;
    std::lock_guard<std::mutex> guard(list->mutex_);
    list->files_.push_back(file);
}

void OpenFileList::Remove(DiskFile* file) {
    OpenFileList* list = Instance();
    if (list == nullptr) return;
    std::lock_guard<std::mutex> guard(list->mutex_);
    auto it = std::find(list->files_.rbegin(), list->files_.rend(), file);
    if (it != list->files_.rend()) list->files_.erase(std::next(it).base());
}

std::size_t OpenFileList::Count() {
    OpenFileList* list = Instance();
    if (list == nullptr) return 0;
    std::lock_guard<std::mutex> guard(list->mutex_);
    return list->files_.size();
}

void OpenFileList::ReleaseAll() {
    OpenFileList* list = Instance();
    if (list == nullptr) return;
    std::vector<DiskFile*> files;
    {
        std::lock_guard<std::mutex> guard(list->mutex_);
        files.swap(list->files_);
    }
    for (DiskFile* file : files) file->ReleaseAtUnload();
}

OpenFileList::~OpenFileList() {
    std::vector<DiskFile*> files;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        files.swap(files_);
    }
    for (DiskFile* file : files) file->ReleaseAtUnload();
    g_listGone = true;
}

}  // namespace xbase
