// A fresh temporary directory for one test, removed with everything in it afterwards.
#pragma once

#include <string>

namespace platform_test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path() + "/" + name
    std::string file(const std::string& name) const;
    // Writes `content` to path()/name, making missing directories on the way.
    std::string write(const std::string& name, const std::string& content) const;

private:
    std::string path_;
};

}  // namespace platform_test
