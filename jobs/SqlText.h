// Values pasted into statement text between single quotes. A quote inside a value is
// doubled, so a value cannot end its literal early; a value without quotes is pasted
// unchanged, so the statements read exactly as the server expects them.
#pragma once

#include <string>
#include <string_view>

namespace jobs {

// The value with every single quote doubled.
std::string QuoteValue(std::string_view value);

// Appends the quoted value to a statement under construction.
void AppendQuoted(std::string& statement, std::string_view value);

}  // namespace jobs
