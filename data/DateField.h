// A date field: a whole day count since 1899-12-30 (any time part is dropped). Its text
// form is the settings' short date format.
#pragma once

#include "data/DateTimeField.h"

namespace data {

class DateField : public DateTimeField {
public:
    explicit DateField(std::string fieldName);

    std::string FormatValue(const FieldValue& value) const override;
    FieldValue ParseText(std::string_view text) const override;
    FieldValue Convert(const FieldValue& value) const override;
};

}  // namespace data
