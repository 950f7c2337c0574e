#include "xbase/index/IndexKey.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "xbase/file/EngineError.h"

namespace xbase {

namespace {

const std::array<std::uint8_t, 256>* gCollation = nullptr;

}  // namespace

int CompareKeyText(std::string_view a, std::string_view b, bool partial) {
    const std::size_t common = std::min(a.size(), b.size());
    if (gCollation == nullptr) {
        if (common > 0) {
            int c = std::memcmp(a.data(), b.data(), common);
            if (c != 0) return c < 0 ? -1 : 1;
        }
    } else {
        const auto& map = *gCollation;
        for (std::size_t i = 0; i < common; ++i) {
            std::uint8_t x = map[static_cast<std::uint8_t>(a[i])];
            std::uint8_t y = map[static_cast<std::uint8_t>(b[i])];
            if (x != y) return x < y ? -1 : 1;
        }
    }
    if (a.size() == b.size()) return 0;
    if (a.size() < b.size()) return partial ? 0 : -1;
    return 1;
}

int CompareKeys(const IndexKey& a, const IndexKey& b, bool partial) {
    if (a.kind == KeyKind::Beyond || b.kind == KeyKind::Beyond) {
        if (a.kind == b.kind) return 0;
        return a.kind == KeyKind::Beyond ? 1 : -1;
    }
    if (a.IsText() != b.IsText()) {
        throw XBaseError("Variant types mismatch for compare");
    }
    if (a.IsText()) return CompareKeyText(a.text, b.text, partial);
    if (a.number < b.number) return -1;
    if (a.number > b.number) return 1;
    return 0;
}

void SetKeyCollation(const std::array<std::uint8_t, 256>* table) { gCollation = table; }

bool IndexKey::operator==(const IndexKey& other) const {
    if (kind == KeyKind::Beyond || other.kind == KeyKind::Beyond) return kind == other.kind;
    if (IsText() != other.IsText()) return false;
    return IsText() ? text == other.text : number == other.number;
}

std::string IndexKey::Display() const {
    switch (kind) {
        case KeyKind::Text:
            return text;
        case KeyKind::Beyond:
            return "<beyond>";
        default: {
            char buffer[64];
            std::snprintf(buffer, sizeof buffer, "%.15g", number);
            return buffer;
        }
    }
}

int KeyValueWidth(const KeyValue& value) {
    switch (value.type) {
        case 'C':
            return static_cast<int>(value.text.size());
        case 'L':
            return 1;
        default:
            return 8;
    }
}

}  // namespace xbase
