// The dataset framework's error: every refusal of a dataset or field operation (wrong
// state, unknown field, invalid conversion) is raised as a DataError with a fixed English
// message.
#pragma once

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
// Raises a DataError with the message after replacing its first "%s" by the argument.
[[noreturn]] void DatabaseErrorFmt(std::string_view format, std::string_view argument);
// The format with its first "%s" replaced by the argument.
std::string FormatMessage(std::string_view format, std::string_view argument);

}  // namespace data
