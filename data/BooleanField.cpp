#include "data/BooleanField.h"

#include "data/DataError.h"
#include "data/DataMessages.h"
#include "data/FieldList.h"
#include "data/ValueText.h"

namespace data {

BooleanField::BooleanField(std::string fieldName) : Field(std::move(fieldName), ftBoolean, 0) {}

void BooleanField::SetDisplayValues(std::string_view values) {
    auto semicolon = values.find(';');
    std::string_view t = values.substr(0, semicolon);
    std::string_view f =
        semicolon == std::string_view::npos ? std::string_view{} : values.substr(semicolon + 1);
    trueText_ = t.empty() ? "True" : std::string(t);
    falseText_ = f.empty() ? "False" : std::string(f);
}

FieldValue BooleanField::Convert(const FieldValue& value) const {
    if (auto* b = std::get_if<bool>(&value)) return *b;
    if (auto* i = std::get_if<std::int32_t>(&value)) return *i != 0;
    if (auto* d = std::get_if<double>(&value)) return *d != 0.0;
    if (auto* s = std::get_if<std::string>(&value)) return ParseText(*s);
    if (std::holds_alternative<BlobBytes>(value)) AccessError("Blob");
    return {};
}

std::string BooleanField::FormatValue(const FieldValue& value) const {
    FieldValue typed = Convert(value);
    if (auto* b = std::get_if<bool>(&typed)) return *b ? trueText_ : falseText_;
    return {};
}

FieldValue BooleanField::ParseText(std::string_view text) const {
    if (text.find_first_not_of(" \t") == std::string_view::npos) return {};
    if (SameName(text, trueText_)) return true;
    if (SameName(text, falseText_)) return false;
    return ParseBoolean(text);
}

bool BooleanField::AsBoolean() const {
    FieldValue typed = TypedValue();
    auto* b = std::get_if<bool>(&typed);
    return b != nullptr && *b;
}

void BooleanField::SetAsBoolean(bool value) { SetData(value); }

std::int32_t BooleanField::AsInteger() const { return AsBoolean() ? 1 : 0; }

void BooleanField::SetAsInteger(std::int32_t value) { SetData(value != 0); }

}  // namespace data
