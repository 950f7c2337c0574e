#include "xbase/dataset/TextTranslation.h"

#include "platform/CodePage.h"

namespace xbase {

TextTranslation::TextTranslation(bool enabled, std::string codePage)
    : enabled_(enabled), codePage_(std::move(codePage)) {}

std::string TextTranslation::ToOem(std::string_view text, std::size_t maxBytes) const {
    if (!enabled_) return std::string(text.substr(0, maxBytes));
    return platform::Utf8ToOem(text, codePage_.empty() ? platform::OemCodePage() : codePage_,
                               maxBytes);
}

std::string TextTranslation::FromOem(std::string_view oem) const {
    if (!enabled_) return std::string(oem);
    return platform::OemToUtf8(oem, codePage_.empty() ? platform::OemCodePage() : codePage_);
}

}  // namespace xbase
