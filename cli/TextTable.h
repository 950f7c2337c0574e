// Aligned text tables for a terminal: columns padded to the widest cell by display
// width (a Chinese character takes two columns), a header row and a rule under it.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

// Terminal columns a UTF-8 text takes (East Asian wide and full-width characters: 2).
std::size_t DisplayWidth(std::string_view utf8);

void PrintTable(std::ostream& out, const std::vector<std::string>& header,
                const std::vector<std::vector<std::string>>& rows);

}  // namespace cli
