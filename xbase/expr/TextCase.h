// Letter case of OEM text that may hold double-byte characters.
//
// With a double-byte OEM code page (CP936, the tables' default, CP950, CP949, CP932) a
// lead byte and the byte after it form one character. Case mapping and case-insensitive
// comparison step over such pairs whole and never change the trail byte, even when it
// happens to be an ASCII letter (價 is 83 72 in CP936; upper-casing the 72 would turn it
// into another character). Only ASCII letters change case.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace xbase {

class TextCase {
public:
    // The rules of a code page as iconv names it ("CP936", "GBK", "CP437", ...).
    static const TextCase& ForCodePage(std::string_view codePage);
    // The rules of the process-wide OEM code page.
    static const TextCase& Current();

    bool IsLead(unsigned char byte) const { return lead_[byte]; }
    bool DoubleByte() const { return doubleByte_; }
    // Length in bytes of the character starting at text[i] (1 or 2).
    std::size_t CharLength(std::string_view text, std::size_t i) const {
        return lead_[static_cast<unsigned char>(text[i])] && i + 1 < text.size() ? 2 : 1;
    }

    void Upper(std::string_view in, std::string& out) const;
    void Lower(std::string_view in, std::string& out) const;
    // Each character upper-cased when it is the first or follows NUL, blank, DEL, '@' or
    // an ASCII punctuation mark; every other character lower-cased. Bytes from 128 count
    // as letters.
    void Proper(std::string_view in, std::string& out) const;

private:
    static TextCase Make(unsigned first, unsigned last, unsigned first2 = 1, unsigned last2 = 0);

    std::array<bool, 256> lead_{};
    bool doubleByte_ = false;
};

}  // namespace xbase
