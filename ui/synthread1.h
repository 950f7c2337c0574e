// The progress ticker: a worker thread that keeps a progress bar moving while a refresh
// job runs on the window thread. Each step is carried out on the window thread and the
// worker waits until it has been (so the bar moves whenever the window thread handles
// events, and stands still while it is busy); when told to terminate it leaves the loop
// and sets the bar full.
//
// A ticker never outlives its bar: the window that owns both stops it with Join (or by
// destroying it) before the bar goes away. Join also releases a worker waiting for a step
// the window thread has not carried out yet, so stopping never hangs.
#pragma once

#include <QObject>
#include <QPointer>
#include <QThread>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

class QProgressBar;

namespace ui {

class synthread1 : public QThread {
    Q_OBJECT
public:
    static constexpr int kMinimum = 1;
    static constexpr int kMaximum = 10000;
    static constexpr int kFinalPosition = 100000;

    // Sets the bar's range 1 to 10000, its position to 1, and starts the worker. Created
    // and destroyed on the window thread.
    explicit synthread1(QProgressBar* bar);
    // Terminates and joins.
    ~synthread1() override;

    // Sets the terminate flag; the worker leaves its loop at its next check.
    void Terminate();
    // Terminates, waits for the worker to end and carries out its last bar calls, so the
    // bar shows full when this returns. Window thread only.
    void Join();
    bool Terminated() const;
    int Step() const { return step_; }

protected:
    // Execute: steps until terminated, then sets the final position.
    void run() override;

private:
    // Runs `call` on the window thread and waits until it has run or the ticker has been
    // told to terminate.
    void Synchronize(std::function<void()> call);
    // Posts `call` to the window thread without waiting.
    void Post(std::function<void()> call);
    void StepIt();

    QPointer<QProgressBar> bar_;
    const int step_ = 1;

    mutable std::mutex mutex_;
    std::condition_variable performed_;
    bool terminated_ = false;
    std::uint64_t requested_ = 0;
    std::uint64_t done_ = 0;
    // Lives on the window thread and receives the worker's calls; declared last so that
    // it (with any call still queued for it) goes first.
    QObject windowSide_;
};

}  // namespace ui
