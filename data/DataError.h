// The dataset framework's error: every refusal of a dataset or field operation (wrong
// state, unknown field, invalid conversion) is raised as a DataError with a fixed English
// message.
#pragma once

#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>

namespace data {

class DataError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Raises a DataError with the message as given.
[[noreturn]] void DatabaseError(const std::string& message);
// The format with each "%s" replaced by the next argument, in order.
std::string FormatMessage(std::string_view format,
                          std::initializer_list<std::string_view> arguments);
// Raises a DataError with FormatMessage(format, arguments).
[[noreturn]] void DatabaseErrorFmt(std::string_view format,
                                   std::initializer_list<std::string_view> arguments);

}  // namespace data
