#include "ChildProcess.h"

#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

namespace platform_test {

namespace {

int waitForExit(int pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

int runInChild(const std::function<int()>& body) {
    const int pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) ::_exit(body());
    return waitForExit(pid);
}

HoldingChild::HoldingChild(const std::function<int()>& setup) {
    int down[2], up[2];
    if (::pipe(down) != 0 || ::pipe(up) != 0) throw std::runtime_error("pipe failed");
    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        ::close(down[1]);
        ::close(up[0]);
        const char result = static_cast<char>(setup());
        (void)!::write(up[1], &result, 1);
        char go;
        (void)!::read(down[0], &go, 1);  // returns when released or the parent closes
        ::_exit(0);
    }
    ::close(down[0]);
    ::close(up[1]);
    toChild_ = down[1];
    fromChild_ = up[0];
}

HoldingChild::~HoldingChild() { release(); }

int HoldingChild::ready() {
    char result = -1;
    if (::read(fromChild_, &result, 1) != 1) return -1;
    return result;
}

int HoldingChild::release() {
    if (pid_ <= 0) return -1;
    ::close(toChild_);
    ::close(fromChild_);
    const int status = waitForExit(pid_);
    pid_ = -1;
    return status;
}

}  // namespace platform_test
