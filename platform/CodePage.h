// Conversion between the tables' OEM code page and the program's UTF-8 text (iconv).
//
// The OEM code page is a process-wide setting (default "CP936", GBK), and may be given
// per call. Conversion never splits a multi-byte character: a value cut to a field's
// width ends on a character boundary. Bytes that do not convert are replaced by '?' (one
// per character) and conversion goes on. A code page is any name iconv knows ("CP936",
// "GBK", "CP437", "CP850", ...); an unknown name throws std::invalid_argument.
// Thread-safe: each thread keeps its own iconv descriptors. Plain ASCII text is returned
// as it is without calling iconv (for code pages whose lower half is ASCII).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// The reference stays valid after the setting changes.
const std::string& OemCodePage();
void SetOemCodePage(const std::string& iconvName);

std::string OemToUtf8(std::string_view oem, const std::string& codePage = OemCodePage());
// Converts UTF-8 to the OEM code page; with maxBytes, the result is cut at the last
// whole character that fits.
std::string Utf8ToOem(std::string_view utf8, const std::string& codePage = OemCodePage(),
                      std::size_t maxBytes = std::string::npos);

}  // namespace platform
