#include "xbase/expr/TextCompare.h"

namespace xbase {

namespace {

int primaryWeight(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return 0x300 + (c + 32);
    if (c >= 'a' && c <= 'z') return 0x300 + c;
    if (c >= '0' && c <= '9') return 0x200 + c;
    if (c < 0x80) return 0x100 + c;
    return 0x400 + c;
}

bool lowerLetter(unsigned char c) { return c >= 'a' && c <= 'z'; }

int sign(int v) { return (v > 0) - (v < 0); }

}  // namespace

int CollateText(std::string_view a, std::string_view b, bool ignoreCase, const TextCase& rules) {
    // Primary level: letters without case. A trail byte weighs as itself, never folded.
    std::size_t i = 0;
    std::size_t j = 0;
    int caseOrder = 0;
    while (i < a.size() && j < b.size()) {
        const std::size_t na = rules.CharLength(a, i);
        const std::size_t nb = rules.CharLength(b, j);
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[j]);
        if (int d = primaryWeight(ca) - primaryWeight(cb)) return sign(d);
        if (na != nb) return na < nb ? -1 : 1;
        if (na == 2 && a[i + 1] != b[j + 1])
            return static_cast<unsigned char>(a[i + 1]) < static_cast<unsigned char>(b[j + 1]) ? -1
                                                                                               : 1;
        if (caseOrder == 0 && ca != cb) caseOrder = lowerLetter(ca) ? -1 : 1;
        i += na;
        j += nb;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return ignoreCase ? 0 : caseOrder;
}

int CompareTexts(std::string_view left, std::string_view right, const TextCompareOptions& options,
                 std::string& scratchLeft, std::string& scratchRight) {
    const TextCase& rules = options.rules != nullptr ? *options.rules : TextCase::Current();
    left = TrimRight(left);
    right = TrimRight(right);
    const char many = options.manyWildcard;
    if (options.wildcards && right.size() == 1 && right[0] == many) return 0;
    if (left.empty() || right.empty()) return left.empty() ? (right.empty() ? 0 : -1) : 1;
    if (options.ignoreCase) {
        rules.Upper(left, scratchLeft);
        rules.Upper(right, scratchRight);
        left = scratchLeft;
        right = scratchRight;
    }
    if (options.wildcards && (right.front() == many || right.back() == many)) {
        const bool atStart = right.front() == many;
        const bool atEnd = right.back() == many;
        std::string_view rest = right.substr(atStart ? 1 : 0);
        if (atEnd && !rest.empty()) rest.remove_suffix(1);
        bool match;
        if (atStart && atEnd)
            match = left.find(rest) != std::string_view::npos;
        else if (atEnd)
            match = left.substr(0, rest.size()) == rest;
        else
            match = left.size() >= rest.size() && left.substr(left.size() - rest.size()) == rest;
        if (match) return 0;
        const int order = CollateText(left, rest, options.ignoreCase, rules);
        return order != 0 ? order : 1;
    }
    return CollateText(left, right, options.ignoreCase, rules);
}

}  // namespace xbase
