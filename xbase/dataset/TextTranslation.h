// Translation of character data between the tables' OEM code page and the program's
// UTF-8 text, as the xBase dataset does it for every string field (TranslateASCII).
// Translation off copies the bytes unchanged.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace xbase {

class TextTranslation {
public:
    // `codePage` empty: the process-wide OEM code page of the moment.
    TextTranslation(bool enabled, std::string codePage);

    // Program text to the bytes stored in a field of `maxBytes` bytes. Translated text is
    // cut after the last whole character that fits, never inside a multi-byte character.
    std::string ToOem(std::string_view text, std::size_t maxBytes = std::string::npos) const;
    // Stored bytes to program text.
    std::string FromOem(std::string_view oem) const;

private:
    bool enabled_;
    std::string codePage_;
};

}  // namespace xbase
