// Runs code in a forked child process, as another program on the host would: its own
// open files, its own locks. The parent can hold the child at a point and let it go on.
#pragma once

#include <functional>

namespace platform_test {

// Runs `body` in a child process and returns its result (the child's exit status),
// or -1 when the child did not exit normally.
int runInChild(const std::function<int()>& body);

// A child that runs `setup`, reports that it is ready and then waits until it is
// released (or destroyed) before it exits. Used to hold files and locks in another
// process while the test probes them.
class HoldingChild {
public:
    // `setup` returns 0 when it holds what it should; its result is reported by ready().
    explicit HoldingChild(const std::function<int()>& setup);
    ~HoldingChild();
    HoldingChild(const HoldingChild&) = delete;
    HoldingChild& operator=(const HoldingChild&) = delete;

    // Waits for the child's setup and returns its result.
    int ready();
    // Lets the child exit and waits for it; returns its exit status.
    int release();

private:
    int pid_ = -1;
    int toChild_ = -1;
    int fromChild_ = -1;
};

}  // namespace platform_test
