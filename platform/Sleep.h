// Sleeping for the lock retries of memo and index files.
#pragma once

namespace platform {

void SleepMilliseconds(int milliseconds);

}  // namespace platform
