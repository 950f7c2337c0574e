// Conversion between the tables' OEM code page and the program's UTF-8 text (iconv).
//
// The OEM code page is a process-wide setting (default "CP936", GBK), and may be given
// per call. Conversion never splits a multi-byte character: a value cut to a field's
// width ends on a character boundary. Bytes that do not convert are replaced by '?'.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

const std::string& oemCodePage();
void setOemCodePage(const std::string& iconvName);

std::string oemToUtf8(std::string_view oem, const std::string& codePage = oemCodePage());
// Converts UTF-8 to the OEM code page; with maxBytes, the result is cut at the last
// whole character that fits.
std::string utf8ToOem(std::string_view utf8, const std::string& codePage = oemCodePage(),
                      std::size_t maxBytes = std::string::npos);

}  // namespace platform
