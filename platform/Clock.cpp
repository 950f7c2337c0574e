// Local wall-clock time from clock_gettime() and localtime_r(), or a fixed time for tests.
#include "platform/Clock.h"

#include <atomic>
#include <ctime>
#include <mutex>

namespace platform {

namespace {

std::atomic<bool> clockFixed{false};
std::mutex fixedMutex;
LocalTime fixedTime;

}  // namespace

LocalTime LocalNow() {
    if (clockFixed.load(std::memory_order_acquire)) {
        std::lock_guard<std::mutex> guard(fixedMutex);
        if (clockFixed.load(std::memory_order_relaxed)) return fixedTime;
    }
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    ::localtime_r(&now.tv_sec, &local);
    LocalTime result;
    result.year = local.tm_year + 1900;
    result.month = local.tm_mon + 1;
    result.day = local.tm_mday;
    result.hour = local.tm_hour;
    result.minute = local.tm_min;
    result.second = local.tm_sec > 59 ? 59 : local.tm_sec;  // a leap second reads as :59
    result.millisecond = static_cast<int>(now.tv_nsec / 1000000);
    return result;
}

void SetFixedTime(std::optional<LocalTime> time) {
    std::lock_guard<std::mutex> guard(fixedMutex);
    if (time) fixedTime = *time;
    clockFixed.store(time.has_value(), std::memory_order_release);
}

}  // namespace platform
