// Text comparison of expressions: the locale's sort order, and the comparison operators'
// rules with trailing blanks, empty texts and wildcard patterns.
#pragma once

#include <string>
#include <string_view>

#include "xbase/expr/TextCase.h"

namespace xbase {

// The locale's order of two OEM texts (what AnsiStrComp and AnsiStrIComp give on the
// machine): punctuation and blanks before digits before letters before the bytes from
// 128; letters compared without regard to case first, and, unless `ignoreCase`, a lower
// case letter before the same letter in upper case when nothing else differs. Double-byte
// characters compare by their bytes. Negative, 0 or positive.
int CollateText(std::string_view a, std::string_view b, bool ignoreCase, const TextCase& rules);

struct TextCompareOptions {
    bool ignoreCase = false;
    bool wildcards = true;
    char manyWildcard = '*';
    const TextCase* rules = nullptr;
};

// The six comparison operators on texts: both texts lose their trailing blanks; an empty
// text is less than any non-empty one. With wildcards on, a right-hand text that begins or
// ends with the many-characters wildcard is a pattern: the lone wildcard matches
// everything; otherwise the left text matches when it contains the rest (wildcard at both
// ends), begins with it (at the end only) or ends with it (at the start only). A match
// compares equal; a mismatch compares the left text with the pattern without its marks.
// Other texts are collated. `scratch` holds case-folded copies when ignoreCase is set.
int CompareTexts(std::string_view left, std::string_view right, const TextCompareOptions& options,
                 std::string& scratchLeft, std::string& scratchRight);

// The text without its trailing blanks.
inline std::string_view TrimRight(std::string_view text) {
    std::size_t n = text.size();
    while (n > 0 && text[n - 1] == ' ') --n;
    return text.substr(0, n);
}
inline std::string_view TrimLeft(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    return text.substr(i);
}

}  // namespace xbase
