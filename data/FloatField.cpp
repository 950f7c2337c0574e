#include "data/FloatField.h"

#include <cmath>

#include "data/DataError.h"
#include "data/DataMessages.h"
#include "data/ValueText.h"

namespace data {

FloatField::FloatField(std::string fieldName) : Field(std::move(fieldName), ftFloat, 0) {}

FieldValue FloatField::Convert(const FieldValue& value) const {
    if (auto* d = std::get_if<double>(&value)) return *d;
    if (auto* i = std::get_if<std::int32_t>(&value)) return static_cast<double>(*i);
    if (auto* s = std::get_if<std::string>(&value)) return ParseText(*s);
    if (std::holds_alternative<bool>(value)) AccessError("Boolean");
    if (std::holds_alternative<BlobBytes>(value)) AccessError("Blob");
    return {};
}

std::string FloatField::FormatValue(const FieldValue& value) const {
    FieldValue typed = Convert(value);
    if (auto* d = std::get_if<double>(&typed)) return FormatFloat(*d);
    return {};
}

FieldValue FloatField::ParseText(std::string_view text) const {
    if (text.find_first_not_of(" \t") == std::string_view::npos) return {};
    return ParseFloat(text);
}

double FloatField::AsFloat() const {
    FieldValue typed = TypedValue();
    auto* d = std::get_if<double>(&typed);
    return d ? *d : 0.0;
}

void FloatField::SetAsFloat(double value) { SetData(value); }

std::int32_t FloatField::AsInteger() const {
    double value = std::round(AsFloat());
    if (!(value >= -2147483648.0 && value <= 2147483647.0)) {
        DatabaseErrorFmt(msg::InvalidInteger, {FormatFloat(value)});
    }
    return static_cast<std::int32_t>(value);
}

void FloatField::SetAsInteger(std::int32_t value) { SetData(static_cast<double>(value)); }

}  // namespace data
