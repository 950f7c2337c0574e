// Case-insensitive comparison and case mapping of ASCII letters, as the server link
// matches provider, column, method and server names (other bytes compare exactly).
#pragma once

#include <string>
#include <string_view>

namespace appserver {

bool equalsIgnoreCase(std::string_view a, std::string_view b);
std::string toUpperAscii(std::string_view text);
std::string toLowerAscii(std::string_view text);

}  // namespace appserver
