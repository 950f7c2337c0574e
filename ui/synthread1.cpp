#include "ui/synthread1.h"

#include <QCoreApplication>
#include <QProgressBar>
#include <algorithm>

namespace ui {

synthread1::synthread1(QProgressBar* bar) : bar_(bar) {
    bar->setRange(kMinimum, kMaximum);
    bar->setValue(kMinimum);
    start();
}

synthread1::~synthread1() { Join(); }

void synthread1::Terminate() {
    {
        std::lock_guard lock(mutex_);
        terminated_ = true;
    }
    performed_.notify_all();
}

bool synthread1::Terminated() const {
    std::lock_guard lock(mutex_);
    return terminated_;
}

void synthread1::Join() {
    Terminate();
    wait();
    // The worker's last calls (a step it stopped waiting for, the final position) are
    // queued for the window thread; carry them out now.
    QCoreApplication::sendPostedEvents(&windowSide_, QEvent::MetaCall);
}

void synthread1::run() {
    while (!Terminated()) {
        Synchronize([this] { StepIt(); });
    }
    Post([this] {
        if (bar_) bar_->setValue(std::min(kFinalPosition, bar_->maximum()));
    });
}

void synthread1::StepIt() {
    if (!bar_) return;
    int next = bar_->value() + step_;
    if (next > bar_->maximum()) next = bar_->minimum();
    bar_->setValue(next);
}

void synthread1::Post(std::function<void()> call) {
    QMetaObject::invokeMethod(&windowSide_, std::move(call), Qt::QueuedConnection);
}

void synthread1::Synchronize(std::function<void()> call) {
    std::uint64_t ticket = 0;
    {
        std::lock_guard lock(mutex_);
        if (terminated_) return;
        ticket = ++requested_;
    }
    Post([this, ticket, call = std::move(call)] {
        call();
        {
            std::lock_guard lock(mutex_);
            done_ = std::max(done_, ticket);
        }
        performed_.notify_all();
    });
    std::unique_lock lock(mutex_);
    performed_.wait(lock, [&] { return terminated_ || done_ >= ticket; });
}

}  // namespace ui
