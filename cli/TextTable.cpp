#include "cli/TextTable.h"

#include <algorithm>

namespace cli {

namespace {

bool Wide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
           (c >= 0x3041 && c <= 0x33FF) || (c >= 0x3400 && c <= 0x4DBF) ||
           (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

void Pad(std::ostream& out, const std::string& cell, std::size_t width) {
    out << cell;
    for (std::size_t w = DisplayWidth(cell); w < width; ++w) out << ' ';
}

}  // namespace

std::size_t DisplayWidth(std::string_view utf8) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (std::size_t k = 1; k < length && i + k < utf8.size(); ++k) {
            c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        width += Wide(c) ? 2 : 1;
        i += length;
    }
    return width;
}

void PrintTable(std::ostream& out, const std::vector<std::string>& header,
                const std::vector<std::vector<std::string>>& rows) {
    std::vector<std::size_t> widths;
    for (const std::string& h : header) widths.push_back(DisplayWidth(h));
    for (const auto& row : rows) {
        for (std::size_t c = 0; c < row.size() && c < widths.size(); ++c) {
            widths[c] = std::max(widths[c], DisplayWidth(row[c]));
        }
    }
    auto line = [&](const std::vector<std::string>& cells) {
        for (std::size_t c = 0; c < widths.size(); ++c) {
            if (c > 0) out << "  ";
            if (c + 1 == widths.size()) {
                out << (c < cells.size() ? cells[c] : "");
            } else {
                Pad(out, c < cells.size() ? cells[c] : "", widths[c]);
            }
        }
        out << '\n';
    };
    line(header);
    std::size_t total = 0;
    for (std::size_t w : widths) total += w;
    out << std::string(total + 2 * (widths.empty() ? 0 : widths.size() - 1), '-') << '\n';
    for (const auto& row : rows) line(row);
}

}  // namespace cli
