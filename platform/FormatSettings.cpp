// The process-wide format settings object.
#include "platform/FormatSettings.h"

namespace platform {

FormatSettings& ProcessFormatSettings() {
    static FormatSettings settings;
    return settings;
}

}  // namespace platform
