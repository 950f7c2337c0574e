#include "data/IntegerField.h"

#include <cmath>
#include <limits>

#include "data/ValueText.h"

namespace data {

IntegerField::IntegerField(std::string fieldName)
    : IntegerField(std::move(fieldName), ftInteger, std::numeric_limits<std::int32_t>::min(),
                   std::numeric_limits<std::int32_t>::max()) {}

IntegerField::IntegerField(std::string fieldName, FieldType dataType, std::int64_t minValue,
                           std::int64_t maxValue)
    : Field(std::move(fieldName), dataType, 0), minValue_(minValue), maxValue_(maxValue) {}

std::int32_t IntegerField::CheckRange(double value) const {
    double rounded = std::round(value);
    if (!(rounded >= static_cast<double>(minValue_) && rounded <= static_cast<double>(maxValue_))) {
        RangeError(FormatFloat(value), FormatInteger(minValue_), FormatInteger(maxValue_));
    }
    return static_cast<std::int32_t>(rounded);
}

FieldValue IntegerField::Convert(const FieldValue& value) const {
    if (auto* i = std::get_if<std::int32_t>(&value)) return CheckRange(*i);
    if (auto* d = std::get_if<double>(&value)) return CheckRange(*d);
    if (auto* b = std::get_if<bool>(&value)) return std::int32_t{*b ? 1 : 0};
    if (auto* s = std::get_if<std::string>(&value)) return ParseText(*s);
    if (std::holds_alternative<BlobBytes>(value)) AccessError("Blob");
    return {};
}

std::string IntegerField::FormatValue(const FieldValue& value) const {
    FieldValue typed = Convert(value);
    if (auto* i = std::get_if<std::int32_t>(&typed)) return FormatInteger(*i);
    return {};
}

FieldValue IntegerField::ParseText(std::string_view text) const {
    if (text.find_first_not_of(" \t") == std::string_view::npos) return {};
    auto parsed = TryParseInteger(text);
    if (!parsed) ParseInteger(text);  // raises the invalid integer message
    if (*parsed < minValue_ || *parsed > maxValue_) {
        RangeError(FormatInteger(*parsed), FormatInteger(minValue_), FormatInteger(maxValue_));
    }
    return static_cast<std::int32_t>(*parsed);
}

std::int32_t IntegerField::AsInteger() const {
    FieldValue typed = TypedValue();
    auto* i = std::get_if<std::int32_t>(&typed);
    return i ? *i : 0;
}

void IntegerField::SetAsInteger(std::int32_t value) { SetData(value); }

double IntegerField::AsFloat() const { return AsInteger(); }

void IntegerField::SetAsFloat(double value) { SetData(value); }

}  // namespace data
