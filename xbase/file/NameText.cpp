#include "xbase/file/NameText.h"

#include "platform/Paths.h"

namespace xbase {

std::string TrimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

std::string UpperTrimmed(std::string_view text) { return platform::UpperAscii(TrimBlanks(text)); }

}  // namespace xbase
