#include "data/StringField.h"

#include "data/ValueText.h"

namespace data {

StringField::StringField(std::string fieldName, int size)
    : Field(std::move(fieldName), ftString, size) {}

FieldValue StringField::Convert(const FieldValue& value) const {
    std::string text = FormatValue(value);
    if (text.empty()) return {};
    return text;
}

std::string StringField::FormatValue(const FieldValue& value) const {
    if (auto* s = std::get_if<std::string>(&value)) return *s;
    if (auto* i = std::get_if<std::int32_t>(&value)) return FormatInteger(*i);
    if (auto* d = std::get_if<double>(&value)) return FormatFloat(*d);
    if (auto* b = std::get_if<bool>(&value)) return FormatBoolean(*b);
    if (auto* blob = std::get_if<BlobBytes>(&value)) return blob->bytes;
    return {};
}

std::string StringField::AsString() const {
    FieldValue raw;
    if (!GetData(raw)) return {};
    if (auto* text = std::get_if<std::string>(&raw)) return std::move(*text);
    return FormatValue(raw);
}

FieldValue StringField::ParseText(std::string_view text) const {
    if (text.empty()) return {};
    return std::string(text);
}

std::int32_t StringField::AsInteger() const {
    std::string text = AsString();
    return text.empty() ? 0 : ParseInteger(text);
}

void StringField::SetAsInteger(std::int32_t value) { SetData(FormatInteger(value)); }

double StringField::AsFloat() const {
    std::string text = AsString();
    return text.empty() ? 0.0 : ParseFloat(text);
}

void StringField::SetAsFloat(double value) { SetData(FormatFloat(value)); }

bool StringField::AsBoolean() const {
    // The classic reading: true when the text starts with T or Y in either case.
    std::string text = AsString();
    return !text.empty() && (text[0] == 'T' || text[0] == 't' || text[0] == 'Y' || text[0] == 'y');
}

void StringField::SetAsBoolean(bool value) { SetData(FormatBoolean(value)); }

double StringField::AsDateTime() const {
    std::string text = AsString();
    return text.empty() ? 0.0 : ParseDateTime(text);
}

void StringField::SetAsDateTime(double value) { SetData(FormatDateTime(value)); }

}  // namespace data
