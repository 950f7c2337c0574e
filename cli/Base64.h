// Base64 (RFC 4648, with padding) for the bytes of binary and general fields on the
// command line: dumps show them encoded, assignments take them encoded.
#pragma once

#include <string>
#include <string_view>

namespace cli {

std::string Base64Encode(std::string_view bytes);
// Fails with std::invalid_argument on characters outside the alphabet or bad padding;
// blanks and line breaks are ignored.
std::string Base64Decode(std::string_view text);

}  // namespace cli
