// Blank trimming and ASCII upper case for the names the engine compares without regard to
// case or surrounding blanks: tag names, index file names, the text of key expressions.
#pragma once

#include <string>
#include <string_view>

namespace xbase {

// `text` without its trailing blanks (spaces only): a view into the same bytes.
inline std::string_view TrimTrailingBlanks(std::string_view text) {
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// `text` without its leading and trailing blanks (spaces only).
std::string TrimBlanks(std::string_view text);

// `text` without its leading and trailing blanks, in ASCII upper case.
std::string UpperTrimmed(std::string_view text);

}  // namespace xbase
