// The text form numbers take when they cross the link: shortest decimal text, no
// trailing zeros after the point ("185", "12.5", "-0.25"), the same on every backend.
#pragma once

#include <string>
#include <string_view>

namespace appserver {

std::string numberText(double value);
// Strips trailing fractional zeros from a decimal text ("185.50" -> "185.5").
std::string trimDecimalText(std::string_view text);

}  // namespace appserver
