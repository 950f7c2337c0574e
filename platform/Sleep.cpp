// Sleeping with nanosleep(), resumed after signals until the whole time has passed.
#include "platform/Sleep.h"

#include <cerrno>
#include <ctime>

namespace platform {

void SleepMilliseconds(int milliseconds) {
    if (milliseconds <= 0) return;
    timespec remaining{milliseconds / 1000, static_cast<long>(milliseconds % 1000) * 1000000L};
    while (::nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}

}  // namespace platform
