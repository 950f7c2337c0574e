#include "data/DateTimeField.h"

#include "data/DataError.h"
#include "data/DataMessages.h"
#include "data/ValueText.h"

namespace data {

DateTimeField::DateTimeField(std::string fieldName)
    : DateTimeField(std::move(fieldName), ftDateTime) {}

DateTimeField::DateTimeField(std::string fieldName, FieldType dataType)
    : Field(std::move(fieldName), dataType, 0) {}

FieldValue DateTimeField::Convert(const FieldValue& value) const {
    double dayCount = 0;
    if (auto* d = std::get_if<double>(&value)) {
        dayCount = *d;
    } else if (auto* i = std::get_if<std::int32_t>(&value)) {
        dayCount = *i;
    } else if (auto* s = std::get_if<std::string>(&value)) {
        return ParseText(*s);
    } else if (std::holds_alternative<bool>(value)) {
        AccessError("Boolean");
    } else if (std::holds_alternative<BlobBytes>(value)) {
        AccessError("Blob");
    } else {
        return {};
    }
    if (!DayCountInRange(dayCount)) DatabaseError(msg::DateOutOfRange);
    return dayCount;
}

std::string DateTimeField::FormatValue(const FieldValue& value) const {
    FieldValue typed = Convert(value);
    if (auto* d = std::get_if<double>(&typed)) return FormatDateTime(*d);
    return {};
}

FieldValue DateTimeField::ParseText(std::string_view text) const {
    if (text.find_first_not_of(" \t") == std::string_view::npos) return {};
    return ParseDateTime(text);
}

double DateTimeField::AsDateTime() const {
    FieldValue typed = TypedValue();
    auto* d = std::get_if<double>(&typed);
    return d ? *d : 0.0;
}

void DateTimeField::SetAsDateTime(double value) { SetData(value); }

double DateTimeField::AsFloat() const { return AsDateTime(); }

void DateTimeField::SetAsFloat(double value) { SetData(value); }

}  // namespace data
