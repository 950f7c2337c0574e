// Code-page conversion through iconv, with a per-thread cache of converters, an ASCII
// fast path (most table values are plain ASCII and need no conversion at all) and a
// small memory of recent conversions to UTF-8 (table columns repeat the same names,
// units and addresses over and over, and each iconv call costs far more than a lookup).
#include "platform/CodePage.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <functional>
#include <list>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace platform {

namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

// The code page setting. Names are interned and never freed, so the reference that
// OemCodePage() returns stays valid while another thread changes the setting.
std::mutex codePageMutex;
std::list<std::string>& InternedNames() {
    static std::list<std::string> names{"CP936"};
    return names;
}
std::atomic<const std::string*> currentCodePage{nullptr};

// A text in the code page and its UTF-8 form.
struct RecentText {
    std::string oem;
    std::string utf8;
};

// Texts longer than this are converted every time.
constexpr std::size_t kRecentTextMaxBytes = 256;

// Both directions between one code page and UTF-8.
struct Converter {
    std::string codePage;
    iconv_t toUtf8 = kNoConverter;
    iconv_t fromUtf8 = kNoConverter;
    bool asciiCompatible = false;  // bytes 0x00-0x7F are the same characters as in ASCII
    // Recent conversions to UTF-8, one slot per hash value of the code-page text.
    std::array<RecentText, 64> recent;

    Converter() = default;
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    ~Converter() {
        if (toUtf8 != kNoConverter) ::iconv_close(toUtf8);
        if (fromUtf8 != kNoConverter) ::iconv_close(fromUtf8);
    }
};

// Runs iconv over the whole input; returns what it stopped on (0 when all converted).
int Convert(iconv_t cd, const char*& in, std::size_t& inLeft, char*& out, std::size_t& outLeft) {
    char* inPtr = const_cast<char*>(in);  // iconv's historical signature; input is not written
    const std::size_t rc = ::iconv(cd, &inPtr, &inLeft, &out, &outLeft);
    in = inPtr;
    return rc == static_cast<std::size_t>(-1) ? errno : 0;
}

bool CheckAsciiCompatible(iconv_t toUtf8) {
    char ascii[128];
    for (int i = 0; i < 128; ++i) ascii[i] = static_cast<char>(i);
    char converted[128 * 4];
    const char* in = ascii;
    std::size_t inLeft = sizeof ascii;
    char* out = converted;
    std::size_t outLeft = sizeof converted;
    ::iconv(toUtf8, nullptr, nullptr, nullptr, nullptr);
    const int err = Convert(toUtf8, in, inLeft, out, outLeft);
    ::iconv(toUtf8, nullptr, nullptr, nullptr, nullptr);
    return err == 0 && static_cast<std::size_t>(out - converted) == sizeof ascii &&
           std::equal(ascii, ascii + sizeof ascii, converted);
}

// The calling thread's converter for a code page (iconv descriptors are not shared
// between threads).
Converter& ConverterFor(const std::string& codePage) {
    thread_local std::list<Converter> converters;
    thread_local Converter* last = nullptr;
    if (last && last->codePage == codePage) return *last;
    for (Converter& c : converters) {
        if (c.codePage == codePage) {
            last = &c;
            return c;
        }
    }
    Converter& c = converters.emplace_back();
    c.codePage = codePage;
    c.toUtf8 = ::iconv_open("UTF-8", codePage.c_str());
    c.fromUtf8 = ::iconv_open(codePage.c_str(), "UTF-8");
    if (c.toUtf8 == kNoConverter || c.fromUtf8 == kNoConverter) {
        converters.pop_back();
        throw std::invalid_argument("Unknown code page: " + codePage);
    }
    c.asciiCompatible = CheckAsciiCompatible(c.toUtf8);
    last = &c;
    return c;
}

bool IsAscii(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// Length of the well-formed UTF-8 character at text[pos], or 1 for a malformed byte.
std::size_t Utf8CharLength(std::string_view text, std::size_t pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    std::size_t length = lead >= 0xF0 && lead <= 0xF4  ? 4
                         : lead >= 0xE0                ? 3
                         : lead >= 0xC2 && lead < 0xE0 ? 2
                                                       : 1;
    if (lead >= 0xF5) length = 1;
    if (length == 1 || pos + length > text.size()) return 1;
    for (std::size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(text[pos + k]) & 0xC0) != 0x80) return 1;
    return length;
}

// Bytes an unconvertible OEM character at text[pos] takes: two when the byte starts a
// multi-byte sequence (iconv reports it incomplete on its own) and the next byte can be
// a trail byte (no ASCII control, blank, digit or punctuation below '@').
std::size_t OemCharLength(iconv_t toUtf8, std::string_view text, std::size_t pos) {
    if (pos + 1 >= text.size() || static_cast<unsigned char>(text[pos + 1]) < 0x40) return 1;
    const char* in = text.data() + pos;
    std::size_t inLeft = 1;
    char buffer[8];
    char* out = buffer;
    std::size_t outLeft = sizeof buffer;
    ::iconv(toUtf8, nullptr, nullptr, nullptr, nullptr);
    const int err = Convert(toUtf8, in, inLeft, out, outLeft);
    ::iconv(toUtf8, nullptr, nullptr, nullptr, nullptr);
    return err == EINVAL ? 2 : 1;
}

// `input` converted with `cd` into at most maxBytes (npos: no limit; the result starts
// at `initialSize` and grows). A character with no counterpart, or cut off at the end,
// becomes one '?' and skips charLength(pos) bytes. With a limit, iconv writes only whole
// characters: when the next one does not fit it stops with E2BIG, which is where the
// text is cut.
template <class CharLength>
std::string ConvertText(iconv_t cd, std::string_view input, std::size_t maxBytes,
                        std::size_t initialSize, CharLength charLength) {
    ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    const bool limited = maxBytes != std::string::npos;
    std::string result(limited ? maxBytes : initialSize, '\0');
    std::size_t written = 0;
    std::size_t pos = 0;
    bool full = false;
    const auto grow = [&] {
        if (limited) {
            full = true;
            return false;
        }
        result.resize(result.size() * 2);
        return true;
    };
    while (pos < input.size()) {
        const char* in = input.data() + pos;
        std::size_t inLeft = input.size() - pos;
        char* out = result.data() + written;
        std::size_t outLeft = result.size() - written;
        const int err = Convert(cd, in, inLeft, out, outLeft);
        written = static_cast<std::size_t>(out - result.data());
        pos = static_cast<std::size_t>(in - input.data());
        if (err == 0) break;
        if (err == E2BIG) {
            if (!grow()) break;
            continue;
        }
        // A byte sequence with no character (EILSEQ), or cut off at the end (EINVAL).
        if (written == result.size() && !grow()) break;
        result[written++] = '?';
        pos += err == EINVAL ? inLeft : charLength(pos);
        ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    // Return to the initial shift state (stateful code pages), when it fits.
    while (!full) {
        char* out = result.data() + written;
        std::size_t outLeft = result.size() - written;
        const std::size_t rc = ::iconv(cd, nullptr, nullptr, &out, &outLeft);
        written = static_cast<std::size_t>(out - result.data());
        if (rc != static_cast<std::size_t>(-1) || errno != E2BIG || !grow()) break;
    }
    result.resize(written);
    return result;
}

// The whole OEM text in UTF-8.
std::string ConvertToUtf8(iconv_t cd, std::string_view oem) {
    return ConvertText(cd, oem, std::string::npos, oem.size() * 3 + 8,
                       [&](std::size_t pos) { return OemCharLength(cd, oem, pos); });
}

}  // namespace

const std::string& OemCodePage() {
    const std::string* current = currentCodePage.load(std::memory_order_acquire);
    if (current) return *current;
    std::lock_guard<std::mutex> guard(codePageMutex);
    current = currentCodePage.load(std::memory_order_acquire);
    if (current) return *current;
    const std::string& initial = InternedNames().front();
    currentCodePage.store(&initial, std::memory_order_release);
    return initial;
}

void SetOemCodePage(const std::string& iconvName) {
    ConverterFor(iconvName);  // throws std::invalid_argument for a name iconv does not know
    std::lock_guard<std::mutex> guard(codePageMutex);
    auto& names = InternedNames();
    for (const std::string& name : names) {
        if (name == iconvName) {
            currentCodePage.store(&name, std::memory_order_release);
            return;
        }
    }
    currentCodePage.store(&names.emplace_back(iconvName), std::memory_order_release);
}

std::string OemToUtf8(std::string_view oem, const std::string& codePage) {
    if (oem.empty()) return {};
    Converter& converter = ConverterFor(codePage);
    if (converter.asciiCompatible && IsAscii(oem)) return std::string(oem);
    if (oem.size() > kRecentTextMaxBytes) return ConvertToUtf8(converter.toUtf8, oem);
    RecentText& slot =
        converter.recent[std::hash<std::string_view>{}(oem) % converter.recent.size()];
    if (slot.oem != oem) {
        slot.oem.clear();  // the slot matches nothing until both halves are in place
        slot.utf8 = ConvertToUtf8(converter.toUtf8, oem);
        slot.oem = oem;
    }
    return slot.utf8;
}

std::string Utf8ToOem(std::string_view utf8, const std::string& codePage, std::size_t maxBytes) {
    if (utf8.empty() || maxBytes == 0) return {};
    Converter& converter = ConverterFor(codePage);
    if (converter.asciiCompatible && IsAscii(utf8))
        return std::string(utf8.substr(0, std::min(maxBytes, utf8.size())));

    return ConvertText(converter.fromUtf8, utf8, maxBytes, utf8.size() * 2 + 8,
                       [&](std::size_t pos) { return Utf8CharLength(utf8, pos); });
}

}  // namespace platform
