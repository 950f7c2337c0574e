#include "xbase/expr/TextCase.h"

#include <cctype>
#include <string>

#include "platform/CodePage.h"

namespace xbase {

namespace {

std::string upperName(std::string_view name) {
    std::string s(name);
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

char upperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }
char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

template <char (*Map)(char)>
void mapCase(const TextCase& rules, std::string_view in, std::string& out) {
    out.assign(in);
    if (!rules.DoubleByte()) {
        for (char& c : out) c = Map(c);
        return;
    }
    for (std::size_t i = 0; i < out.size(); i += rules.CharLength(out, i)) out[i] = Map(out[i]);
}

bool startsWord(unsigned char prev) {
    if (prev == 0 || prev == ' ' || prev == 127 || prev == '@') return true;
    if (prev >= 128) return false;
    return std::ispunct(prev) != 0 && prev != '\'' && prev != '`';
}

}  // namespace

TextCase TextCase::Make(unsigned first, unsigned last, unsigned first2, unsigned last2) {
    TextCase rules;
    for (unsigned b = first; b <= last && b < 256; ++b) rules.lead_[b] = true;
    for (unsigned b = first2; b <= last2 && b < 256; ++b) rules.lead_[b] = true;
    rules.doubleByte_ = first <= last;
    return rules;
}

const TextCase& TextCase::ForCodePage(std::string_view codePage) {
    static const TextCase singleByte = Make(1, 0);
    static const TextCase chinese = Make(0x81, 0xFE);               // GBK, Big5, UHC
    static const TextCase japanese = Make(0x81, 0x9F, 0xE0, 0xFC);  // Shift-JIS
    const std::string name = upperName(codePage);
    if (name == "CP936" || name == "GBK" || name == "GB2312" || name == "GB18030" ||
        name == "CP950" || name == "BIG5" || name == "BIG-5" || name == "CP949" || name == "UHC" ||
        name == "EUC-KR")
        return chinese;
    if (name == "CP932" || name == "SHIFT_JIS" || name == "SJIS" || name == "SHIFT-JIS")
        return japanese;
    return singleByte;
}

const TextCase& TextCase::Current() { return ForCodePage(platform::OemCodePage()); }

void TextCase::Upper(std::string_view in, std::string& out) const {
    mapCase<upperAscii>(*this, in, out);
}

void TextCase::Lower(std::string_view in, std::string& out) const {
    mapCase<lowerAscii>(*this, in, out);
}

void TextCase::Proper(std::string_view in, std::string& out) const {
    out.assign(in);
    unsigned char prev = 0;
    for (std::size_t i = 0; i < out.size();) {
        const std::size_t n = CharLength(out, i);
        out[i] = startsWord(prev) ? upperAscii(out[i]) : lowerAscii(out[i]);
        prev = static_cast<unsigned char>(out[i]);
        i += n;
    }
}

}  // namespace xbase
