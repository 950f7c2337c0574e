// Blank trimming and ASCII upper case for the names the engine compares without regard to
// case or surrounding blanks: tag names, index file names, the text of key expressions.
#pragma once

#include <string>
#include <string_view>

namespace xbase {

// `text` without its leading and trailing blanks (spaces only).
std::string TrimBlanks(std::string_view text);

// `text` without its leading and trailing blanks, in ASCII upper case.
std::string UpperTrimmed(std::string_view text);

}  // namespace xbase
