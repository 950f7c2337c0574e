#include "data/DataError.h"

namespace data {

void DatabaseError(const std::string& message) { throw DataError(message); }

std::string FormatMessage(std::string_view format,
                          std::initializer_list<std::string_view> arguments) {
    std::string result;
    auto next = arguments.begin();
    std::size_t pos = 0;
    while (pos < format.size()) {
        auto at = format.find("%s", pos);
        if (at == std::string_view::npos || next == arguments.end()) {
            result.append(format.substr(pos));
            break;
        }
        result.append(format.substr(pos, at - pos));
        result.append(*next++);
        pos = at + 2;
    }
    return result;
}

void DatabaseErrorFmt(std::string_view format, std::initializer_list<std::string_view> arguments) {
    throw DataError(FormatMessage(format, arguments));
}

}  // namespace data
