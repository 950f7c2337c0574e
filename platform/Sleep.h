// Sleeping for the lock retries of memo and index files.
#pragma once

namespace platform {

void sleepMilliseconds(int milliseconds);

}  // namespace platform
