#include "data/DateField.h"

#include <cmath>

#include "data/DataError.h"
#include "data/DataMessages.h"
#include "data/ValueText.h"

namespace data {

DateField::DateField(std::string fieldName) : DateTimeField(std::move(fieldName), ftDate) {}

FieldValue DateField::Convert(const FieldValue& value) const {
    FieldValue typed = DateTimeField::Convert(value);
    if (auto* d = std::get_if<double>(&typed)) return std::trunc(*d);
    return typed;
}

std::string DateField::FormatValue(const FieldValue& value) const {
    FieldValue typed = Convert(value);
    if (auto* d = std::get_if<double>(&typed)) return FormatDate(*d);
    return {};
}

FieldValue DateField::ParseText(std::string_view text) const {
    if (text.find_first_not_of(" \t") == std::string_view::npos) return {};
    // A date with a time (as database servers send dates) is accepted; the time is
    // dropped.
    try {
        return std::trunc(ParseDateTime(text));
    } catch (const DataError&) {
        DatabaseErrorFmt(msg::InvalidDate, {text});
    }
}

}  // namespace data
