// Local wall-clock time, settable by tests (header dates and change stamps).
#pragma once

#include <optional>

namespace platform {

struct LocalTime {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

LocalTime LocalNow();
// Fixes the clock to a given time (tests); nullopt returns to the real clock.
void SetFixedTime(std::optional<LocalTime> time);

}  // namespace platform
