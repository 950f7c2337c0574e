// Reading one section of an INI file, like the platform's profile-section reading
// (the alias list in "xbase.cfg").
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace platform {

// The key=value lines of `section` in file order. The section name is matched without
// regard to ASCII case; of several sections with that name the first counts. Keys and
// values are trimmed of blanks and a value's enclosing quotes ('...' or "...") are
// removed; a line without '=' is a key with an empty value; lines starting with ';' are
// comments. A missing file or section gives an empty list.
std::vector<std::pair<std::string, std::string>> ReadIniSection(const std::string& hostPath,
                                                                const std::string& section);

}  // namespace platform
