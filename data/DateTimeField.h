// A date-time field: a day count since 1899-12-30 whose fraction is the time of day.
// Its text form is the short date format, then " hh:nn:ss" when the time is not
// midnight.
#pragma once

#include "data/Field.h"

namespace data {

class DateTimeField : public Field {
public:
    explicit DateTimeField(std::string fieldName);

    double AsDateTime() const override;
    void SetAsDateTime(double value) override;
    double AsFloat() const override;
    void SetAsFloat(double value) override;

    std::string FormatValue(const FieldValue& value) const override;
    FieldValue ParseText(std::string_view text) const override;
    FieldValue Convert(const FieldValue& value) const override;

protected:
    DateTimeField(std::string fieldName, FieldType dataType);
};

}  // namespace data
