#include "appserver/NumberText.h"

#include <charconv>
#include <cmath>

namespace appserver {

std::string numberText(double value) {
    if (value == std::trunc(value) && std::fabs(value) < 1e15) {
        return std::to_string(static_cast<long long>(value));
    }
    char buf[64];
    auto result = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, result.ptr);
}

std::string trimDecimalText(std::string_view text) {
    std::string out(text);
    if (out.find('.') == std::string::npos || out.find_first_of("eE") != std::string::npos)
        return out;
    while (!out.empty() && out.back() == '0') out.pop_back();
    if (!out.empty() && out.back() == '.') out.pop_back();
    if (out.empty() || out == "-") return "0";
    if (out == "-0") return "0";
    return out;
}

}  // namespace appserver
