// The process-wide format settings object.
#include "platform/FormatSettings.h"

namespace platform {

FormatSettings& formatSettings() {
    static FormatSettings settings;
    return settings;
}

}  // namespace platform
